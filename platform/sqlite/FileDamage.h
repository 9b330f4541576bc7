#pragma once

#include <QString>

#include <sqlite3.h>

// A database file SQLite finds damaged, or not a database at all, and what an administrator does
// about it. Shared by the connection's failures and the log-on's checks of the data folder.
namespace FileDamage {

inline bool isDamaged(int resultCode)
{
    return (resultCode & 0xff) == SQLITE_CORRUPT || (resultCode & 0xff) == SQLITE_NOTADB;
}

inline QString restoreAdvice()
{
    return QStringLiteral("Restore the last backup of the data folder; \"inventory-request-admin check\" tells more.");
}

} // namespace FileDamage
