#pragma once

#include <QString>

#include <functional>

// Sets up an empty PostgreSQL database for the client: the schemas "inventory" and "password"
// with their tables, the functions and stored procedures, the workstations' role
// inventory_request_client with only the grants the client's statements need, and optionally the
// demo hospital. Everything happens in one transaction: a failure leaves the database as it was.
namespace ServerSetup {

enum class Content { SchemaOnly, DemoData };

// Throws Error when the server cannot be reached, the database already holds tables, or a step
// fails. progress receives a line per step.
void run(const QString &serverName, Content content, const std::function<void(const QString &)> &progress = {});

} // namespace ServerSetup
