#include "platform/SqlTrace.h"

#include "platform/tsql/SqlTokenizer.h"

#include <QFile>
#include <QMutex>

namespace {

const QString HiddenPassword = QStringLiteral("'\u2026'");

bool isPasswordColumn(const SqlToken &token)
{
    return (token.kind == SqlToken::Word || token.kind == SqlToken::QuotedName) &&
           token.nameValue().compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0;
}

bool isComparison(const SqlToken &token)
{
    for (const char *comparison : {"=", "<>", "!=", "<", ">", "<=", ">=", "like"})
        if (token.is(comparison))
            return true;
    return false;
}

// Whether the literal is compared to a Password column, on either side of the comparison.
bool comparedToPassword(const QVector<const SqlToken *> &significant, int s)
{
    const auto at = [&](int i) { return i >= 0 && i < significant.size() ? significant.at(i) : nullptr; };
    const auto isComparisonAt = [&](int i) { return at(i) && isComparison(*at(i)); };
    const auto isPasswordAt = [&](int i) { return at(i) && isPasswordColumn(*at(i)); };
    return (isComparisonAt(s - 1) && isPasswordAt(s - 2)) || (isComparisonAt(s + 1) && isPasswordAt(s + 2));
}

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

QString traced(const QString &statement)
{
    if (!statement.contains(QLatin1String("password"), Qt::CaseInsensitive))
        return statement;
    QVector<SqlToken> tokens = tokenizeSql(statement);
    QVector<const SqlToken *> significant;
    for (const SqlToken &token : std::as_const(tokens))
        if (token.isSignificant())
            significant.append(&token);
    QVector<const SqlToken *> hidden;
    for (int s = 0; s < significant.size(); ++s)
        if (significant.at(s)->kind == SqlToken::String && comparedToPassword(significant, s))
            hidden.append(significant.at(s));
    if (hidden.isEmpty())
        return statement;
    QString shown;
    for (const SqlToken &token : std::as_const(tokens))
        shown += hidden.contains(&token) ? HiddenPassword : token.text;
    return shown;
}

void record(const QString &built)
{
    const QString statement = traced(built);
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
    // one trace file; a trace that cannot be written never stops the client. A new file is the
    // owner's alone, an existing one keeps the permissions it has.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append, QFile::ReadOwner | QFile::WriteOwner))
        file.write(line.toUtf8());
}

void setObserver(std::function<void(const QString &)> newObserver)
{
    QMutexLocker lock(&traceMutex());
    observer() = std::move(newObserver);
}

} // namespace SqlTrace
