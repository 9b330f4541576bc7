#pragma once

#include "tests/resilience/RequestDriver.h"
#include "tests/support/TestSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

// The lines of a stored request as "item:quantity" in item order, joined by ';'.
inline QString storedLines(const TestDatabase &db, const QString &documentNumber)
{
    return db
        .rawValue(QStringLiteral("Select ifnull(group_concat(x, ';'), '') From (Select ItemID || ':' || "
                                 "Cast(Quantity As Integer) As x From tbInvWithdrawRequest Where "
                                 "DocumentNumber = '%1' Order By x) As lines")
                      .arg(documentNumber))
        .toString();
}

inline QString sortedLines(const QString &described)
{
    QStringList parts = described.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    parts.sort();
    return parts.join(QLatin1Char(';'));
}

// Every row of every request, for "nothing else changed" comparisons.
inline QString allRows(const TestDatabase &db, const QString &where = QStringLiteral("1 = 1"))
{
    return db
        .rawValue(QStringLiteral("Select ifnull(group_concat(x, '|'), '') From (Select DocumentNumber || ',' || "
                                 "ItemID || ',' || Quantity || ',' || ifnull(Remarks, '') || ',' || "
                                 "ifnull(Status, '') || ',' || ifnull(Verifiedby, '') As x From "
                                 "tbInvWithdrawRequest Where %1 Order By x) As rowsNow")
                      .arg(where))
        .toString();
}

// SQLite's check of the files ("ok"); a server answers for its own storage, and the tests
// compare its rows instead.
inline void expectIntactFiles(const TestDatabase &db)
{
    if (!TestDatabase::onServer()) {
        EXPECT_EQ(db.rawValue(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
}

inline QString clientProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("resilience_client"));
}

inline void startClient(QProcess &process, const QStringList &arguments,
                        const QProcessEnvironment &extra = QProcessEnvironment())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("INVENTORY_REQUEST_SQL_TRACE"));
    for (const QString &key : extra.keys())
        environment.insert(key, extra.value(key));
    process.setProcessEnvironment(environment);
    process.setProgram(clientProgram());
    process.setArguments(arguments);
    process.start();
}

inline QList<RequestLine> someLines(int count, int firstQuantity)
{
    static const char *const items[] = {"10001", "10003", "10004", "10005", "10007", "10008"};
    QList<RequestLine> lines;
    for (int i = 0; i < count; ++i)
        lines << RequestLine{QString::fromLatin1(items[i % 6]), QString::number(firstQuantity + i),
                             QStringLiteral("1.0000")};
    return lines;
}
