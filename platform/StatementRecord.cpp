#include "platform/StatementRecord.h"

#include "platform/SqlTrace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMutex>

namespace {

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

const QString &recordFolder()
{
    static const QString folder = qEnvironmentVariable("INVENTORY_REQUEST_STATEMENT_RECORD");
    return folder;
}

void append(StatementRecord::Engine engine, const char *kind, const QString &text)
{
    const QString &folder = recordFolder();
    if (folder.isEmpty())
        return;
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    static QFile file(QDir(folder).filePath(QStringLiteral("%1.tsv").arg(QCoreApplication::applicationPid())));
    if (!file.isOpen() && !file.open(QIODevice::WriteOnly | QIODevice::Append, QFile::ReadOwner | QFile::WriteOwner))
        return;
    const QString line = QStringLiteral("%1\t%2\t%3\n")
                             .arg(engine == StatementRecord::Engine::Sqlite ? QLatin1String("sqlite")
                                                                             : QLatin1String("postgres"),
                                  QLatin1String(kind), oneLine(SqlTrace::traced(text)));
    file.write(line.toUtf8());
    file.flush();
}

} // namespace

namespace StatementRecord {

void given(Engine engine, const QString &statement)
{
    append(engine, "given", statement);
}

void ran(Engine engine, const QString &text, const QVariantList &values)
{
    if (recordFolder().isEmpty())
        return; // the values are shown only for a record
    if (values.isEmpty()) {
        append(engine, "ran", text);
        return;
    }
    QStringList shown;
    for (const QVariant &value : values)
        shown << (value.isNull() ? QStringLiteral("NULL") : value.toString());
    append(engine, "ran", text + QStringLiteral(" \u27e8") + shown.join(QStringLiteral(" | ")) + QStringLiteral("\u27e9"));
}

} // namespace StatementRecord
