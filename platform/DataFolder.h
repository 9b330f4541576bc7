#pragma once

#include <QString>

struct sqlite3;

// Creates and checks the two database files of a data folder from the scripts kept in the
// program (db/: schema, stored procedures, demo data).
namespace DataFolder {

bool hasDatabases(const QString &folder);

enum class Content { SchemaOnly, DemoData };

// Creates the folder if needed and builds INVENTORY.sqlite and Password.sqlite in one
// transaction each. Throws Error with a clear description when the folder cannot be created
// or written.
void create(const QString &folder, Content content);

// Brings the indexes of the INVENTORY database open on the connection in line with the schema:
// an index that a file made by an earlier version lacks or defines otherwise is built anew, in one
// transaction. A file that cannot be written now keeps the indexes it has (they still answer, only
// slower), and so does one that another workstation is writing.
void updateIndexes(sqlite3 *db);

// Text of a script embedded from db/ (for example "schema.sql"); throws Error when missing.
QString script(const QString &name);

} // namespace DataFolder
