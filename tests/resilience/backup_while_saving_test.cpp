#include "tests/resilience/ResilienceSupport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

namespace {

constexpr int kClients = 4;

QString adminProgram()
{
    return QStringLiteral(IR_BUILD_DIR "/inventory-request-admin");
}

// Output lines of the clients as they come, kept per client.
struct ClientOutput
{
    QProcess *process = nullptr;
    QByteArray pending;
    QStringList lines;

    void read()
    {
        pending += process->readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            lines << QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
        }
    }
};

int savedLines(const QList<ClientOutput> &clients)
{
    int count = 0;
    for (const ClientOutput &client : clients)
        for (const QString &line : client.lines)
            count += line.startsWith(QLatin1String("saved\t"));
    return count;
}

int runAdmin(const QStringList &arguments, QString *output = nullptr)
{
    QProcess admin;
    admin.start(adminProgram(), arguments);
    if (!admin.waitForFinished(60000))
        return -1;
    if (output)
        *output = QString::fromUtf8(admin.readAllStandardOutput() + admin.readAllStandardError());
    return admin.exitStatus() == QProcess::NormalExit ? admin.exitCode() : -1;
}

} // namespace

// The administrator backs the data folder up while four workstations keep saving: the copies
// pass the integrity check and hold every request saved before the backup began, each with lines
// one of its saves wrote.
TEST(BackupWhileSaving, CopiesPassTheCheckAndHoldEveryRequestSavedBefore)
{
    if (TestDatabase::onServer())
        GTEST_SKIP() << "the program backs up data folders only; a server is backed up by PostgreSQL's pg_dump";
    TestDatabase db;
    QList<ClientOutput> clients;
    for (int client = 0; client < kClients; ++client) {
        auto *process = new QProcess;
        startClient(*process, {QStringLiteral("work"), db.folder(), QString::number(client), QStringLiteral("40")});
        clients << ClientOutput{process, {}, {}};
    }
    auto stopClients = qScopeGuard([&] {
        for (ClientOutput &client : clients) {
            client.process->kill();
            client.process->waitForFinished(10000);
            delete client.process;
        }
    });

    QElapsedTimer waited;
    waited.start();
    while (savedLines(clients) < 12 && waited.elapsed() < 60000) {
        for (ClientOutput &client : clients) {
            client.process->waitForReadyRead(20);
            client.read();
        }
    }
    ASSERT_GE(savedLines(clients), 12) << "the clients did not save";
    QSet<QString> savedBefore;
    for (const ClientOutput &client : std::as_const(clients))
        for (const QString &line : client.lines)
            if (line.startsWith(QLatin1String("saved\t")))
                savedBefore.insert(line.section(QLatin1Char('\t'), 1, 1));

    QTemporaryDir backupRoot;
    const QString backup = QDir(backupRoot.path()).filePath(QStringLiteral("backup"));
    QString said;
    ASSERT_EQ(runAdmin({QStringLiteral("backup"), QStringLiteral("--data"), db.folder(), backup}, &said), 0)
        << said.toStdString();
    int stillSaving = 0;
    for (const ClientOutput &client : std::as_const(clients))
        stillSaving += client.process->state() == QProcess::Running;
    EXPECT_GT(stillSaving, 0) << "the backup ran after the clients had finished";

    // Every state a request was saved in, over the whole run.
    for (ClientOutput &client : clients) {
        ASSERT_TRUE(client.process->waitForFinished(200000));
        client.read();
        EXPECT_EQ(client.process->exitCode(), 0) << client.lines.join(QLatin1Char('\n')).toStdString();
    }
    QHash<QString, QSet<QString>> savedStates;
    for (const ClientOutput &client : std::as_const(clients))
        for (const QString &line : client.lines)
            if (line.startsWith(QLatin1String("saved\t")))
                savedStates[line.section(QLatin1Char('\t'), 1, 1)].insert(sortedLines(line.section(QLatin1Char('\t'), 3, 3)));

    EXPECT_EQ(runAdmin({QStringLiteral("check"), QStringLiteral("--data"), backup}, &said), 0) << said.toStdString();
    EXPECT_TRUE(said.startsWith(QStringLiteral("OK: "))) << said.toStdString();

    auto copy = Connection::open(backup);
    for (const QString &doc : std::as_const(savedBefore)) {
        QSqlQuery query(copy->database());
        ASSERT_TRUE(query.exec(QStringLiteral("Select ifnull(group_concat(x, ';'), '') From (Select ItemID || ':' || "
                                              "Cast(Quantity As Integer) As x From tbInvWithdrawRequest Where "
                                              "DocumentNumber = '%1' Order By x)")
                                   .arg(doc)));
        ASSERT_TRUE(query.next());
        const QString lines = query.value(0).toString();
        EXPECT_FALSE(lines.isEmpty()) << "request " << doc.toStdString() << " is missing from the backup";
        EXPECT_TRUE(savedStates.value(doc).contains(lines))
            << "request " << doc.toStdString() << " holds lines no save wrote: " << lines.toStdString();
    }
}
