#pragma once

#include <QString>

// Creates and checks the two database files of a data folder from the scripts kept in the
// program (db/: schema, stored procedures, demo data).
namespace DataFolder {

bool hasDatabases(const QString &folder);

enum class Content { SchemaOnly, DemoData };

// Creates the folder if needed and builds INVENTORY.sqlite and Password.sqlite in one
// transaction each. Throws Error with a clear description when the folder cannot be created
// or written.
void create(const QString &folder, Content content);

// Text of a script embedded from db/ (for example "schema.sql"); throws Error when missing.
QString script(const QString &name);

// The part of an embedded script that belongs to one database ("inventory" or "password").
QString scriptPart(const QString &name, const QString &database);

} // namespace DataFolder
