#pragma once

#include <QString>

// Database files made by earlier versions declared their text columns with a collation that only
// this program registers, so no other SQLite tool could query them. upgradeFile() rebuilds such a
// file's tables with the current schema in one transaction, keeping every row; a current file is
// left untouched. Throws Error, with nothing changed, when the file cannot be upgraded.
namespace SchemaUpgrade {

// database: "inventory" or "password", the part of the schema that the file holds.
void upgradeFile(const QString &path, const QString &database);

} // namespace SchemaUpgrade
