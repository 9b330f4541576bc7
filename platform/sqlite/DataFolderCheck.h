#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// SQLite's integrity check of the two database files of a data folder, safe to run while
// clients work (it reads, as a client does).
namespace DataFolderCheck {

struct FileResult
{
    QString path;
    QStringList problems; // empty when the file passed; at most a few, as SQLite reports them
};

struct Result
{
    QString folder;
    QList<FileResult> files;

    bool passed() const;
    // One line for the administrator: what was checked and whether it passed.
    QString verdict() const;
};

// Never throws: a missing, unreadable or damaged file is a failed check with its reason.
Result run(const QString &folder);

} // namespace DataFolderCheck
