#include "app/admin/DataFolderArgument.h"

#include "platform/CurrentUser.h"

const char *const kDataFolderHelp =
    "  --data FOLDER  the data folder; without it, the one the client opens for this account\n"
    "                 ($INVENTORY_REQUEST_DATA, else ~/.local/share/inventory-request)\n";

QString takeDataFolder(QStringList &arguments, QString &error)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--data"));
    if (at < 0)
        return CurrentUser::dataFolder();
    if (at + 1 >= arguments.size()) {
        error = QStringLiteral("--data needs a folder");
        return QString();
    }
    const QString folder = arguments.at(at + 1);
    arguments.remove(at, 2);
    return folder;
}
