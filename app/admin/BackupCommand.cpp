#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "platform/sqlite/DataFolderBackup.h"
#include "platform/Error.h"

#include <QDir>

#include <unistd.h>

namespace {

// Files from this size on get a progress line; smaller ones are copied in a blink.
constexpr qint64 kLargeFile = 16 * 1024 * 1024;

int backup(const QStringList &given, QTextStream &out, QTextStream &err)
{
    QStringList arguments = given;
    QString misuse;
    const QString folder = takeDataFolder(arguments, misuse);
    if (arguments.size() != 1 && misuse.isEmpty())
        misuse = QStringLiteral("backup needs one target folder");
    if (!misuse.isEmpty()) {
        err << "inventory-request-admin: " << misuse << " (see inventory-request-admin backup --help)\n";
        return 2;
    }
    const QString target = arguments.first();

    const bool terminal = isatty(STDERR_FILENO);
    int shownPercent = -1;
    auto progress = [&](const DataFolderBackup::Progress &step) {
        if (step.bytes < kLargeFile || step.percent == shownPercent)
            return;
        if (!terminal && step.percent % 10 != 0 && step.percent != 100)
            return;
        shownPercent = step.percent;
        err << (terminal ? "\r" : "") << "Backing up " << step.file << " (" << step.bytes / (1024 * 1024)
            << " MB): " << step.percent << '%' << (terminal && step.percent < 100 ? "" : "\n");
        err.flush();
        if (step.percent == 100)
            shownPercent = -1;
    };
    try {
        DataFolderBackup::run(folder, target, progress);
    } catch (const Error &error) {
        err << "inventory-request-admin: backup failed: " << error.Description() << '\n';
        return 1;
    }
    out << "Backed up INVENTORY.sqlite and Password.sqlite of \"" << QDir::toNativeSeparators(folder) << "\" into \""
        << QDir::toNativeSeparators(target) << "\".\n";
    return 0;
}

} // namespace

AdminCommand backupCommand()
{
    return {QStringLiteral("backup"), QStringLiteral("copy the data folder's databases, also while clients run"),
            QStringLiteral("Usage: inventory-request-admin backup [--data FOLDER] TARGET\n\n"
                           "Copies INVENTORY.sqlite and Password.sqlite into the folder TARGET (made if needed;\n"
                           "it must not hold an earlier backup) through SQLite's online backup. Clients may go\n"
                           "on working: the copies hold the data as it stood when the backup began. The copies\n"
                           "are readable by their owner alone. Large files show a progress line.\n\n"
                           "To restore, stop every client and copy both files back into the data folder,\n"
                           "removing any INVENTORY.sqlite-wal, -shm, Password.sqlite-wal and -shm left there.\n\n"
                           "Options:\n")
                + QString::fromLatin1(kDataFolderHelp)
                + QStringLiteral("\nExit status: 0 backed up, 1 failed (the message says why), 2 misuse.\n"),
            backup};
}
