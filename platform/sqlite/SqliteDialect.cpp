#include "platform/sqlite/SqliteDialect.h"

#include "platform/Error.h"
#include "platform/tsql/LikePattern.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <sqlite3.h>

#include <cmath>
#include <memory>

namespace {

[[noreturn]] void dialectError(const QString &description)
{
    throw Error(Error::DatabaseError, QStringLiteral("Database"), description);
}

int trimmedLength(const char *text, int length)
{
    while (length > 0 && text[length - 1] == ' ')
        --length;
    return length;
}

bool isAscii(const char *text, int length)
{
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Pure ASCII texts are compared without conversion (the common case, and the one index lookups
// take); any other text is compared after Unicode case folding, which orders ASCII the same way.
int collateMssql(void *, int length1, const void *data1, int length2, const void *data2)
{
    const char *text1 = static_cast<const char *>(data1);
    const char *text2 = static_cast<const char *>(data2);
    length1 = trimmedLength(text1, length1);
    length2 = trimmedLength(text2, length2);
    if (isAscii(text1, length1) && isAscii(text2, length2)) {
        const int common = std::min(length1, length2);
        for (int i = 0; i < common; ++i) {
            const char c1 = asciiLower(text1[i]);
            const char c2 = asciiLower(text2[i]);
            if (c1 != c2)
                return static_cast<unsigned char>(c1) < static_cast<unsigned char>(c2) ? -1 : 1;
        }
        return length1 == length2 ? 0 : (length1 < length2 ? -1 : 1);
    }
    const QString a = QString::fromUtf8(text1, length1);
    const QString b = QString::fromUtf8(text2, length2);
    const int result = a.compare(b, Qt::CaseInsensitive);
    return result == 0 ? 0 : (result < 0 ? -1 : 1);
}

QString valueText(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QString::fromUtf8(text, sqlite3_value_bytes(value));
}

void sqlGetDate(sqlite3_context *context, int, sqlite3_value **)
{
    const QByteArray now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    sqlite3_result_text(context, now.constData(), int(now.size()), SQLITE_TRANSIENT);
}

void sqlPatIndex(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, patIndex(valueText(arguments[0]), valueText(arguments[1])));
}

// Convert(VarChar(n), value). A number that does not fit in n characters is an overflow, as on
// SQL Server; cutting it would turn a new code into an existing one.
void sqlConvertVarchar(sqlite3_context *context, int argumentCount, sqlite3_value **arguments)
{
    sqlite3_value *value = arguments[0];
    int length = argumentCount > 1 ? sqlite3_value_int(arguments[1]) : 30;
    if (length <= 0)
        length = 30;
    QString text;
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        sqlite3_result_null(context);
        return;
    case SQLITE_INTEGER:
        text = QString::number(sqlite3_value_int64(value));
        break;
    case SQLITE_FLOAT: {
        const double number = sqlite3_value_double(value);
        if (std::floor(number) == number && std::fabs(number) < 1e15)
            text = QString::number(qint64(number));
        else
            text = QString::number(number, 'g', 15);
        break;
    }
    default: {
        text = valueText(value);
        if (text.size() > length)
            text.truncate(length);
        const QByteArray bytes = text.toUtf8();
        sqlite3_result_text(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return;
    }
    }
    if (text.size() > length) {
        sqlite3_result_error(context, "Arithmetic overflow error converting expression to data type varchar.",
                             -1);
        return;
    }
    const QByteArray bytes = text.toLatin1();
    sqlite3_result_text(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

QStringView valueText16(sqlite3_value *value)
{
    const auto *text = static_cast<const char16_t *>(sqlite3_value_text16(value));
    return text ? QStringView(text, sqlite3_value_bytes16(value) / 2) : QStringView();
}

// "text LIKE pattern" as SQL Server matches it. A statement matches one pattern against many rows,
// so the pattern is read once and kept with the statement while the pattern stays the same.
void sqlLike(sqlite3_context *context, int, sqlite3_value **arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    if (const auto *kept = static_cast<const LikePattern *>(sqlite3_get_auxdata(context, 0))) {
        sqlite3_result_int(context, kept->matches(valueText16(arguments[1])) ? 1 : 0);
        return;
    }
    auto pattern = std::make_unique<LikePattern>(valueText16(arguments[0]));
    sqlite3_result_int(context, pattern->matches(valueText16(arguments[1])) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, pattern.release(), [](void *kept) { delete static_cast<LikePattern *>(kept); });
}

} // namespace

int compareMssql(const QString &a, const QString &b)
{
    const QByteArray left = a.toUtf8();
    const QByteArray right = b.toUtf8();
    return collateMssql(nullptr, int(left.size()), left.constData(), int(right.size()), right.constData());
}

int patIndex(const QString &pattern, const QString &text)
{
    return LikePattern(pattern).firstMatchPosition(text);
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        dialectError(QStringLiteral("The database connection is not open."));
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        dialectError(QStringLiteral("The database connection is not an SQLite connection."));
    sqlite3 *native = *static_cast<sqlite3 *const *>(handle.constData());
    if (!native)
        dialectError(QStringLiteral("The database connection is not open."));
    return native;
}

void registerSqlServerDialect(QSqlDatabase &db)
{
    sqlite3 *native = sqliteHandle(db);
    const int deterministic = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_collation(native, "MSSQL", SQLITE_UTF8, nullptr, collateMssql);
    if (rc == SQLITE_OK)
        rc =
            sqlite3_create_function(native, "getdate", 0, SQLITE_UTF8, nullptr, sqlGetDate, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(native, "patindex", 2, deterministic, nullptr, sqlPatIndex, nullptr,
                                     nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(native, "like", 2, deterministic, nullptr, sqlLike, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(native, "convert_varchar", 2, deterministic, nullptr, sqlConvertVarchar,
                                     nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(native, "convert_varchar", 1, deterministic, nullptr, sqlConvertVarchar,
                                     nullptr, nullptr);
    if (rc != SQLITE_OK)
        dialectError(QStringLiteral("The database functions cannot be registered: ") +
                     QString::fromUtf8(sqlite3_errmsg(native)));
}
