#pragma once

#include <QString>
#include <QStringList>

// "--data FOLDER" names the data folder a command works on; without it, the one the client
// opens for the same account (INVENTORY_REQUEST_DATA, else the per-user folder). The option is
// taken out of the arguments; an empty result with a message in error means misuse.
QString takeDataFolder(QStringList &arguments, QString &error);

extern const char *const kDataFolderHelp;
