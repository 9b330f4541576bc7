#include "platform/SqlTrace.h"

#include <QFile>
#include <QMutex>

namespace {

QMutex &traceMutex()
{
    static QMutex mutex;
    return mutex;
}

std::function<void(const QString &)> &observer()
{
    static std::function<void(const QString &)> current;
    return current;
}

} // namespace

namespace SqlTrace {

void record(const QString &statement)
{
    std::function<void(const QString &)> notify;
    {
        QMutexLocker lock(&traceMutex());
        notify = observer();
    }
    if (notify)
        notify(statement);

    const QString path = qEnvironmentVariable("INVENTORY_REQUEST_SQL_TRACE");
    if (path.isEmpty())
        return;
    QString line = statement;
    line.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    line.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    line += QLatin1Char('\n');
    // Opened per statement and appended in one write, so several client processes can share
    // one trace file; a trace that cannot be written never stops the client.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line.toUtf8());
}

void setObserver(std::function<void(const QString &)> newObserver)
{
    QMutexLocker lock(&traceMutex());
    observer() = std::move(newObserver);
}

} // namespace SqlTrace
