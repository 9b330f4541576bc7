#pragma once

#include <QString>

#include <functional>

// Copies the two database files of a data folder through SQLite's online backup, while clients
// go on working: both copies show the data as it stood when the backup began, each complete.
namespace DataFolderBackup {

struct Progress
{
    QString file;   // "INVENTORY.sqlite" or "Password.sqlite"
    qint64 bytes = 0; // the file's size
    int percent = 0;
};

// Writes INVENTORY.sqlite and Password.sqlite into target, made if needed (0700 when made) and
// not already holding either file; the copies are readable by their owner alone. The progress
// callback is called after each step of each file. Throws Error with a clear description; a
// failed backup leaves no copy behind.
void run(const QString &folder, const QString &target, const std::function<void(const Progress &)> &progress = {});

} // namespace DataFolderBackup
