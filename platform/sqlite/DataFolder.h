#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// Creates and checks the two database files of a data folder from the scripts kept in the
// program (db/: schema, stored procedures, demo data).
namespace DataFolder {

// The two database files of a data folder: INVENTORY.sqlite, then Password.sqlite.
QStringList databaseFileNames();

bool hasDatabases(const QString &folder);

enum class Content { SchemaOnly, DemoData };

// Creates the folder if needed and builds INVENTORY.sqlite and Password.sqlite in one
// transaction each, under a lock in the folder, so that several programs starting at once build
// them once. A folder that holds one of the two files is refused and left as it is. Throws Error
// with a clear description when the folder cannot be created or written.
void create(const QString &folder, Content content);

// How the program treats the permissions of a data folder. The per-user folder it makes for
// itself is readable by its user alone, since the staff register holds passwords in a reversible
// form; a folder named by the administrator keeps the permissions given to it, so several
// accounts of one machine can share it. Either way a database file the program makes is its
// owner's alone, or also its group's where the folder's group shares the folder (group-write or
// setgid).
enum class Access { Private, AsGiven };

// Makes a data folder ready to open: builds the demo databases when it holds no database file at
// all, and refuses one that holds one file but not the other (Error naming the missing file and
// the folder), touching nothing. A private folder is made 0700 and its files 0600.
void prepare(const QString &folder, Access access);

// Brings the indexes of the INVENTORY database open on the connection in line with the schema:
// an index that a file made by an earlier version lacks or defines otherwise is built anew, in one
// transaction. A file that cannot be written now keeps the indexes it has (they still answer, only
// slower), and so does one that another workstation is writing.
void updateIndexes(sqlite3 *db);


} // namespace DataFolder
