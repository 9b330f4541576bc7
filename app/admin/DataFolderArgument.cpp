#include "app/admin/DataFolderArgument.h"

#include "platform/CurrentUser.h"

const char *const kDataFolderHelp =
    "  --data FOLDER  the data folder; without it, the one the client opens for this account\n"
    "                 ($INVENTORY_REQUEST_DATA, else ~/.local/share/inventory-request)\n";

const char *const kServerAddressHelp =
    "SERVER is what the log-on dialog's \"Server\" box takes: \"host=... dbname=...\",\n"
    "a postgresql:// URI or \"service=...\"; PG* variables and ~/.pgpass apply.\n";

QString takeOption(QStringList &arguments, const QString &name, QString &error)
{
    const qsizetype at = arguments.indexOf(name);
    if (at < 0)
        return QString();
    if (at + 1 >= arguments.size() || arguments.at(at + 1).isEmpty()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return QStringLiteral("");
    }
    const QString value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return value;
}

QString takeDataFolder(QStringList &arguments, QString &error)
{
    const QString folder = takeOption(arguments, QStringLiteral("--data"), error);
    return folder.isNull() ? CurrentUser::dataFolder() : folder;
}
