#include "platform/DatabaseScripts.h"

#include "platform/Error.h"

#include <QFile>
#include <QRegularExpression>

namespace DatabaseScripts {

QString text(const QString &name)
{
    QFile file(QStringLiteral(":/db/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(Error::DatabaseError, QStringLiteral("DatabaseScripts"),
                    QStringLiteral("The database script \"%1\" is missing from the program.").arg(name));
    return QString::fromUtf8(file.readAll());
}

QHash<QString, QString> splitByDatabase(const QString &script)
{
    static const QRegularExpression marker(QStringLiteral("^\\s*--\\s*@database\\s+(\\w+)\\s*$"));
    QHash<QString, QString> parts;
    QString current = QStringLiteral("inventory");
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = marker.match(line);
        if (match.hasMatch()) {
            current = match.captured(1).toLower();
            continue;
        }
        QString &part = parts[current];
        part += line;
        part += QLatin1Char('\n');
    }
    return parts;
}

QString part(const QString &name, const QString &database)
{
    return splitByDatabase(text(name)).value(database.toLower());
}

} // namespace DatabaseScripts
