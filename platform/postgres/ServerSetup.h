#pragma once

#include <QString>

#include <functional>

// Sets up an empty PostgreSQL database for the client: the schemas "inventory" and "password"
// with their tables, the functions and stored procedures, the workstations' role
// inventory_request_client with only the grants the client's statements need, and optionally the
// demo hospital. Everything happens in one transaction: a failure leaves the database as it was.
namespace ServerSetup {

// The version of the server's schema this program sets up and works with, recorded in
// inventory.tbInvSchemaVersion. 3: texts are stored without trailing blanks, the procedures find
// their keys by index, and the request list has indexes holding every column it reads. 4: the
// request list has an index for each state of the lines it lists. 5: an owner role owns everything,
// the staff's passwords are bcrypt hashes checked only by the server, the requests are guarded by
// triggers, wrong passwords lock an id out, and the audit records it; a department's pending lines
// have an index of their own (the restock suggestion sums them).
constexpr int SchemaVersion = 5;

enum class Content { SchemaOnly, DemoData };

// Throws Error when the server cannot be reached, the database already holds tables, or a step
// fails. progress receives a line per step.
void run(const QString &serverName, Content content, const std::function<void(const QString &)> &progress = {});

// Brings a database set up by an earlier version to SchemaVersion, keeping every row, in one
// transaction that first waits for the workstations' saves under way. Returns the version found
// (SchemaVersion when there was nothing to do). Throws Error, having changed nothing, when the
// server cannot be reached, holds no schema of the client or a later one, or a step cannot be
// done (such as two keys that differ only in trailing blanks).
int upgrade(const QString &serverName, const std::function<void(const QString &)> &progress = {});

} // namespace ServerSetup
