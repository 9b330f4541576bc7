// A request clerk in a process of its own, for the tests that run several workstations on one
// data folder at once or stop one in the middle of a save. <folder> is the data folder, or for
// work, edit and act a database on a PostgreSQL server as libpq's connection string.
//
//   resilience_client work <folder> <client> <iterations>
//       Each iteration saves a new request, edits it, and then verifies it, deletes it or leaves
//       it. Every completed step is written to stdout, one tab-separated line:
//           saved <doc> <remarks> <item:quantity;...>   (the request's lines as now stored)
//           verified <doc>
//           deleted <doc>
//           failed <step> <doc> <message>
//   resilience_client edit <folder> <doc>
//       Replaces the lines of an existing request. With RESILIENCE_PAUSE_AT_INSERT=n the process
//       writes "paused" and stops before the n-th line is written, inside the save's transaction,
//       until it is killed.
//   resilience_client start <folder>
//       Starts as the program does on the data folder (building it when empty), logs the clerk
//       on, saves one new request and writes "saved <doc> ..." as work does.
//   resilience_client act <folder> <employee> <action> <doc>
//       Another workstation that acts on a request while the test's window has it open. It first
//       does what comes before the button (edit, verify: the request opened; delete: the list
//       read and the request selected; new: a new request with <doc> typed as its number), writes
//       "ready", waits for a line on stdin, presses the button and writes "done" or
//       "refused <message>". With RESILIENCE_HOLD_AT_INSERT=n and RESILIENCE_HOLD_MS=m the n-th
//       line's insert waits m milliseconds inside the save's transaction, after writing "holding".

#include "pickers/core/modEncryption.h"
#include "platform/CurrentUser.h"
#include "platform/SqlTrace.h"
#include "tests/resilience/RequestDriver.h"

#include <QApplication>
#include <QThread>

#include <cstdio>
#include <memory>

namespace {

const QString kClerk = QStringLiteral("1001");
const QString kSupervisor = QStringLiteral("2001");
const QStringList kItems{QStringLiteral("10001"), QStringLiteral("10003"), QStringLiteral("10004"),
                         QStringLiteral("10005"), QStringLiteral("10007"), QStringLiteral("10008"),
                         QStringLiteral("10009"), QStringLiteral("10010")};

void say(const QStringList &fields)
{
    std::fputs(fields.join(QLatin1Char('\t')).toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString describe(const QList<RequestLine> &lines)
{
    QStringList parts;
    for (const RequestLine &line : lines)
        parts << line.itemId + QLatin1Char(':') + line.quantity;
    return parts.join(QLatin1Char(';'));
}

// Quantities carry the client, the iteration and the pass, so rows that land in another
// client's request are recognised.
QList<RequestLine> linesFor(int client, int iteration, int pass)
{
    QList<RequestLine> lines;
    const int count = 1 + (client + iteration + pass) % 4;
    for (int i = 0; i < count; ++i) {
        const QString item = kItems.at((client * 3 + iteration + i + pass) % kItems.size());
        const int quantity = pass * 100000 + client * 1000 + iteration * 10 + i + 1;
        lines << RequestLine{item, QString::number(quantity), QStringLiteral("1.2500")};
    }
    return lines;
}

void failed(RequestDriver &driver, const QString &step, const QString &doc)
{
    say({QStringLiteral("failed"), step, doc, driver.messages().last().text.replace(QLatin1Char('\n'), u' ')});
}

int work(const QString &folder, int client, int iterations)
{
    RequestDriver driver(folder, kClerk);
    int failures = 0;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        const QString remarks = QStringLiteral("CLIENT %1 REQ %2 O'NEIL").arg(client).arg(iteration);
        const QList<RequestLine> first = linesFor(client, iteration, 0);
        const QString doc = driver.saveNew(first, remarks);
        if (doc.isEmpty()) {
            failed(driver, QStringLiteral("save"), QString());
            ++failures;
            continue;
        }
        say({QStringLiteral("saved"), doc, remarks, describe(first)});

        const QString edited = remarks + QStringLiteral(" EDITED");
        const QList<RequestLine> second = linesFor(client, iteration, 1);
        if (driver.edit(doc, second, edited)) {
            say({QStringLiteral("saved"), doc, edited, describe(second)});
        } else {
            failed(driver, QStringLiteral("edit"), doc);
            ++failures;
            continue;
        }

        if (iteration % 3 == 1) {
            if (driver.verify(doc, kSupervisor)) {
                say({QStringLiteral("verified"), doc});
            } else {
                failed(driver, QStringLiteral("verify"), doc);
                ++failures;
            }
        } else if (iteration % 3 == 2) {
            if (driver.remove(doc)) {
                say({QStringLiteral("deleted"), doc});
            } else {
                failed(driver, QStringLiteral("delete"), doc);
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

int editPaused(const QString &folder, const QString &doc)
{
    const int pauseAt = qEnvironmentVariableIntValue("RESILIENCE_PAUSE_AT_INSERT");
    int inserts = 0;
    SqlTrace::setObserver([&](const QString &statement) {
        if (!statement.startsWith(QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest")))
            return;
        if (++inserts == pauseAt) {
            say({QStringLiteral("paused")});
            for (;;)
                QThread::sleep(1);
        }
    });
    RequestDriver driver(folder, kClerk);
    QList<RequestLine> lines;
    for (int i = 0; i < 6; ++i)
        lines << RequestLine{kItems.at(i), QString::number(900 + i), QStringLiteral("2.0000")};
    if (!driver.edit(doc, lines, QStringLiteral("REPLACED"))) {
        failed(driver, QStringLiteral("edit"), doc);
        return 1;
    }
    say({QStringLiteral("saved"), doc, QStringLiteral("REPLACED"), describe(lines)});
    return 0;
}

// Answers the log-on prompt once with the clerk's id and password.
class ClerkLogon : public LogonPrompt
{
public:
    std::optional<LogonCredentials> ask() override
    {
        if (m_asked)
            return std::nullopt;
        m_asked = true;
        return LogonCredentials{kClerk, QStringLiteral("clerk")};
    }

private:
    bool m_asked = false;
};

int startUp(const QString &folder)
{
    qputenv("INVENTORY_REQUEST_DATA", folder.toLocal8Bit());
    {
        MessageRecorder messages;
        ClerkLogon prompt;
        CurrentUser user(&prompt, [](const QString &password) {
            return ScrambleText(QStringLiteral("E"), QStringLiteral("DARVELQUIMSTO"), password);
        });
        user.ShowMain();
        if (!user.Connected()) {
            say({QStringLiteral("failed"), QStringLiteral("start"), QString(),
                 messages.count() ? messages.last().text.replace(QLatin1Char('\n'), u' ') : QString()});
            return 1;
        }
    }
    RequestDriver driver(folder, kClerk);
    const QString remarks = QStringLiteral("FIRST START %1").arg(QCoreApplication::applicationPid());
    const QList<RequestLine> lines = linesFor(0, 0, 0);
    const QString doc = driver.saveNew(lines, remarks);
    if (doc.isEmpty()) {
        failed(driver, QStringLiteral("save"), QString());
        return 1;
    }
    say({QStringLiteral("saved"), doc, remarks, describe(lines)});
    return 0;
}

QList<RequestLine> otherWorkstationsLines()
{
    return {RequestLine{kItems.at(4), QStringLiteral("77"), QStringLiteral("3.0000")},
            RequestLine{kItems.at(5), QStringLiteral("78"), QStringLiteral("3.0000")}};
}

void holdInsideTheSave()
{
    const int holdAt = qEnvironmentVariableIntValue("RESILIENCE_HOLD_AT_INSERT");
    const int holdMs = qEnvironmentVariableIntValue("RESILIENCE_HOLD_MS");
    if (holdAt <= 0)
        return;
    auto inserts = std::make_shared<int>(0);
    SqlTrace::setObserver([=](const QString &statement) {
        if (statement.startsWith(QStringLiteral("Insert INVENTORY..tbInvWithdrawRequest")) && ++*inserts == holdAt) {
            say({QStringLiteral("holding")});
            QThread::msleep(holdMs);
        }
    });
}

int act(const QString &folder, const QString &employee, const QString &action, const QString &doc)
{
    RequestDriver driver(folder, employee);
    bool prepared = false;
    if (action == QLatin1String("edit") || action == QLatin1String("verify"))
        prepared = driver.openRequest(doc);
    else if (action == QLatin1String("delete"))
        prepared = driver.selectListed(doc);
    else if (action == QLatin1String("new")) {
        driver.startNew(doc);
        prepared = true;
    }
    if (!prepared) {
        failed(driver, action, doc);
        return 1;
    }
    say({QStringLiteral("ready")});
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;

    holdInsideTheSave();
    bool done = false;
    if (action == QLatin1String("verify"))
        done = driver.verifyShown(employee);
    else if (action == QLatin1String("delete"))
        done = driver.removeSelected();
    else
        done = driver.saveShownWith(otherWorkstationsLines(), QStringLiteral("SAVED BY ") + employee);
    if (done)
        say({QStringLiteral("done")});
    else
        say({QStringLiteral("refused"), driver.messages().last().text.replace(QLatin1Char('\n'), u' ')});
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Q_INIT_RESOURCE(db);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    try {
        if (args.size() == 5 && args.at(1) == QLatin1String("work"))
            return work(args.at(2), args.at(3).toInt(), args.at(4).toInt());
        if (args.size() == 4 && args.at(1) == QLatin1String("edit"))
            return editPaused(args.at(2), args.at(3));
        if (args.size() == 6 && args.at(1) == QLatin1String("act"))
            return act(args.at(2), args.at(3), args.at(4), args.at(5));
        if (args.size() == 3 && args.at(1) == QLatin1String("start"))
            return startUp(args.at(2));
    } catch (const std::exception &e) {
        say({QStringLiteral("failed"), QStringLiteral("start"), QString(), QString::fromUtf8(e.what())});
        return 1;
    }
    std::fputs("usage: resilience_client work <folder> <client> <iterations> | edit <folder> <doc> | start <folder> | "
               "act <folder> <employee> <action> <doc>\n",
               stderr);
    return 2;
}
