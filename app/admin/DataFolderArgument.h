#pragma once

#include <QString>
#include <QStringList>

// Takes "NAME VALUE" out of the arguments: the value, a null text when the option is absent, and
// an empty text with a message in error when the value is missing (misuse).
QString takeOption(QStringList &arguments, const QString &name, QString &error);

// "--data FOLDER" names the data folder a command works on; without it, the one the client
// opens for the same account (INVENTORY_REQUEST_DATA, else the per-user folder). The option is
// taken out of the arguments; an empty result with a message in error means misuse.
QString takeDataFolder(QStringList &arguments, QString &error);

extern const char *const kDataFolderHelp;

// What a SERVER argument may be, for the commands that work on a PostgreSQL server.
extern const char *const kServerAddressHelp;
