#include "tests/resilience/ResilienceSupport.h"

#include <QHash>
#include <QSet>

#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

struct Expected
{
    int client = -1;
    QString remarks;
    QString lines;
    bool verified = false;
    bool deleted = false;
};

constexpr int kClients = 4;
constexpr int kIterations = 12;

} // namespace

// Four workstations save, edit, verify and delete requests on one data folder at the same time;
// afterwards every request is exactly what its workstation last saved, numbered uniquely.
TEST(ConcurrentClients, EveryRequestIsWholeAndNumberedOnce)
{
    TestDatabase db;
    const QString demoBefore = allRows(db, QStringLiteral("Cast(DocumentNumber As Integer) <= 7"));

    QList<QProcess *> clients;
    for (int client = 0; client < kClients; ++client) {
        auto *process = new QProcess;
        startClient(*process, {QStringLiteral("work"), db.address(), QString::number(client),
                               QString::number(kIterations)});
        clients << process;
    }

    QHash<QString, Expected> expected;
    QStringList failures;
    for (int client = 0; client < kClients; ++client) {
        QProcess *process = clients.at(client);
        ASSERT_TRUE(process->waitForFinished(100000)) << "client " << client << " did not finish";
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        const QString output = QString::fromUtf8(process->readAllStandardOutput());
        const QString errors = QString::fromUtf8(process->readAllStandardError());
        EXPECT_EQ(process->exitCode(), 0) << output.toStdString() << errors.toStdString();
        for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = line.split(QLatin1Char('\t'));
            if (f.at(0) == QLatin1String("failed")) {
                failures << line;
                continue;
            }
            Expected &e = expected[f.value(1)];
            if (e.client < 0)
                e.client = client;
            // A number handed to two workstations shows up as one request claimed by both.
            EXPECT_EQ(e.client, client) << "request " << f.value(1).toStdString() << " saved by two clients";
            if (f.at(0) == QLatin1String("saved")) {
                e.remarks = f.value(2);
                e.lines = sortedLines(f.value(3));
            } else if (f.at(0) == QLatin1String("verified")) {
                e.verified = true;
            } else if (f.at(0) == QLatin1String("deleted")) {
                e.deleted = true;
            }
        }
    }
    qDeleteAll(clients);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(expected.size(), kClients * kIterations);

    QSet<int> numbers;
    int expectedRows = 0;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString &doc = it.key();
        const Expected &e = it.value();
        numbers.insert(doc.toInt());
        EXPECT_GT(doc.toInt(), 7) << "a new request took a demo number";
        EXPECT_EQ(storedLines(db, doc), e.lines) << "request " << doc.toStdString();
        const QString condition = QStringLiteral("DocumentNumber = '%1'").arg(doc);
        const int rows = db.rawValue(QStringLiteral("Select Count(*) From tbInvWithdrawRequest Where ") + condition)
                             .toInt();
        expectedRows += rows;
        auto rowsWhere = [&](const QString &more) {
            return db.rawValue(QStringLiteral("Select Count(*) From tbInvWithdrawRequest Where %1 And %2")
                                   .arg(condition, more))
                .toInt();
        };
        EXPECT_EQ(rowsWhere(QStringLiteral("Remarks = '%1' And UserID = '1001'")
                                .arg(QString(e.remarks).replace(QLatin1String("'"), QLatin1String("''")))),
                  rows)
            << "request " << doc.toStdString() << " holds rows of another save";
        EXPECT_EQ(rowsWhere(e.verified ? QStringLiteral("Verifiedby = '2001' And verifiedDate Is Not Null")
                                       : QStringLiteral("ifnull(Verifiedby, '') = ''")),
                  rows)
            << "request " << doc.toStdString();
        EXPECT_EQ(rowsWhere(e.deleted ? QStringLiteral("Status = 'D' And ProcessBy = '1001'")
                                      : QStringLiteral("ifnull(Status, '') = ''")),
                  rows)
            << "request " << doc.toStdString();
    }
    EXPECT_EQ(numbers.size(), kClients * kIterations);
    // Nothing beyond what the clients report was written, and the demo requests are untouched.
    EXPECT_EQ(db.rawValue(QStringLiteral("Select Count(*) From tbInvWithdrawRequest Where "
                                         "Cast(DocumentNumber As Integer) > 7"))
                  .toInt(),
              expectedRows);
    EXPECT_EQ(allRows(db, QStringLiteral("Cast(DocumentNumber As Integer) <= 7")), demoBefore);
    expectIntactFiles(db);
}

// A workstation that dies inside a save (power cut, killed process) leaves the request as it was
// and the database free for the others.
TEST(KilledClient, ASaveCutOffMidwayLeavesThePreviousLines)
{
    TestDatabase db;
    const QString before = allRows(db);
    ASSERT_EQ(storedLines(db, QStringLiteral("1")).count(QLatin1Char(';')), 2);

    QProcess process;
    QProcessEnvironment pause;
    pause.insert(QStringLiteral("RESILIENCE_PAUSE_AT_INSERT"), QStringLiteral("4"));
    startClient(process, {QStringLiteral("edit"), db.address(), QStringLiteral("1")}, pause);
    QByteArray output;
    while (!output.contains("paused") && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(20000);
        output += process.readAllStandardOutput();
        if (!output.contains("paused") && process.state() == QProcess::NotRunning)
            break;
    }
    ASSERT_TRUE(output.contains("paused")) << output.toStdString() << process.readAllStandardError().toStdString();
    // The old lines are deleted and three new ones written, all uncommitted.
    process.kill();
    ASSERT_TRUE(process.waitForFinished(10000));

    EXPECT_EQ(allRows(db), before);
    expectIntactFiles(db);

    // The dead process's lock is gone: the request can be saved again at once.
    Connection::setBusyTimeout(2000);
    {
        RequestDriver driver(db.address(), QStringLiteral("1001"));
        EXPECT_TRUE(driver.edit(QStringLiteral("1"), someLines(2, 40), QStringLiteral("AFTER")))
            << driver.messages().last().text.toStdString();
    }
    Connection::setBusyTimeout(5000);
    EXPECT_EQ(storedLines(db, QStringLiteral("1")), QStringLiteral("10001:40;10003:41"));
}
