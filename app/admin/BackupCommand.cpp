#include "app/admin/AdminCommand.h"
#include "app/admin/DataFolderArgument.h"

#include "platform/Administration.h"
#include "platform/Error.h"

#include <QDir>

#include <unistd.h>

namespace {

// Files from this size on get a progress line; smaller ones are copied in a blink.
constexpr qint64 kLargeFile = 16 * 1024 * 1024;

QString shellQuoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1String("'"), QLatin1String("'\\''")) + QLatin1Char('\'');
}

// A server's data is the server's to copy: pg_dump takes a consistent picture while clients
// work. Nothing is copied here, so the exit status says so to scripts.
int explainServerBackup(const QString &server, const QString &target, QTextStream &err)
{
    err << "inventory-request-admin: a PostgreSQL server is backed up with PostgreSQL's own pg_dump, which\n"
           "takes a consistent copy while clients run; nothing was copied. Run:\n\n"
        << "  mkdir -p -m 700 " << shellQuoted(target) << " &&\n  pg_dump --format=custom --file="
        << shellQuoted(QDir(target).filePath(QStringLiteral("inventory-request.dump"))) << ' ' << shellQuoted(server)
        << "\n\nand restore it with pg_restore --clean --dbname=" << shellQuoted(server) << " on the same file.\n";
    return 1;
}

int backup(const QStringList &given, QTextStream &out, QTextStream &err)
{
    QStringList arguments = given;
    QString misuse;
    const QString server = takeOption(arguments, QStringLiteral("--server"), misuse);
    const QString folder = takeDataFolder(arguments, misuse);
    if (arguments.size() != 1 && misuse.isEmpty())
        misuse = QStringLiteral("backup needs one target folder");
    if (!misuse.isEmpty()) {
        err << "inventory-request-admin: " << misuse << " (see inventory-request-admin backup --help)\n";
        return 2;
    }
    const QString target = arguments.first();
    if (!server.isNull())
        return explainServerBackup(server, target, err);

    // On a terminal one line counts up; in a log, a line each tenth of the way.
    const bool terminal = isatty(STDERR_FILENO);
    QString file;
    int shown = -1;
    auto progress = [&](const DataFolderBackup::Progress &step) {
        if (step.bytes < kLargeFile)
            return;
        if (step.file != file) {
            file = step.file;
            shown = -1;
        }
        const int mark = terminal ? step.percent : step.percent / 10;
        if (mark == shown)
            return;
        shown = mark;
        err << (terminal ? "\r" : "") << "Backing up " << step.file << " (" << step.bytes / (1024 * 1024)
            << " MB): " << step.percent << '%' << (terminal && step.percent < 100 ? "" : "\n");
        err.flush();
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
            QStringLiteral("Usage: inventory-request-admin backup [--data FOLDER] TARGET\n"
                           "       inventory-request-admin backup --server CONNECTION TARGET\n\n"
                           "Copies INVENTORY.sqlite and Password.sqlite into the folder TARGET (made if needed;\n"
                           "it must not hold an earlier backup) through SQLite's online backup. Clients may go\n"
                           "on working: the copies hold the data as it stood when the backup began. The copies\n"
                           "are readable by their owner alone. Large files show a progress line.\n\n"
                           "To restore, stop every client and copy both files back into the data folder,\n"
                           "removing any INVENTORY.sqlite-wal, -shm, Password.sqlite-wal and -shm left there.\n\n"
                           "Options:\n")
                + QString::fromLatin1(kDataFolderHelp)
                + QStringLiteral("  --server CONNECTION  a PostgreSQL server (libpq connection string or URI): shows\n"
                                 "                 the pg_dump command that backs it up into TARGET\n"
                                 "\nExit status: 0 backed up, 1 failed or not copied (the message says why), 2 misuse.\n"),
            backup};
}
