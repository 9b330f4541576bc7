#include "tests/desktop/Desktop.h"
#include "tests/support/DemoFacts.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// The program itself, started as a user starts it, on a fresh data folder and with settings of
// its own (a database server the machine's user chose earlier is not remembered here).
class RunningProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!Desktop::instance().running())
            GTEST_SKIP() << "no X desktop: " << Desktop::instance().whyNotRunning().toStdString();
        ASSERT_TRUE(m_data.isValid() && m_settings.isValid());
    }

    static QString programPath() { return S(IR_BUILD_DIR "/inventory-request"); }

    void start(const QMap<QString, QString> &extraEnvironment = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(S("DISPLAY"), Desktop::instance().display());
        environment.insert(S("INVENTORY_REQUEST_DATA"), m_data.path());
        environment.insert(S("XDG_CONFIG_HOME"), m_settings.path());
        environment.remove(S("QT_QPA_PLATFORM"));
        for (auto it = extraEnvironment.begin(); it != extraEnvironment.end(); ++it)
            environment.insert(it.key(), it.value());
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(programPath(), {});
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }

    void TearDown() override
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
    }

    // The id of the window whose shown title is exactly the given one, waiting for it to appear.
    static QString windowTitled(const QString &title, int timeoutMs = 15000)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            const QString ids = RunOnDesktop(S("xdotool"), {S("search"), S("--onlyvisible"), S("--name"),
                                                             QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
            if (!ids.isEmpty())
                return ids.split(QLatin1Char('\n')).first();
            QThread::msleep(100);
        }
        return QString();
    }
    static void keys(const QStringList &names)
    {
        RunOnDesktop(S("xdotool"), QStringList{S("key"), S("--clearmodifiers")} + names);
    }
    static void type(const QString &text)
    {
        RunOnDesktop(S("xdotool"), {S("type"), S("--delay"), S("30"), text});
    }
    bool endsWithin(int timeoutMs) { return m_program.waitForFinished(timeoutMs); }
    QString logOnAndOpenAViewer();

private:
    QTemporaryDir m_data;
    QTemporaryDir m_settings;
    QProcess m_program;
};

// Logs the clerk on and prints the selected request into a viewer of its own; the request window's id.
QString RunningProgram::logOnAndOpenAViewer()
{
    if (windowTitled(S("Log On - Inventory Request")).isEmpty())
        return QString();
    type(S(Demo::ClerkId));
    keys({S("Tab")});
    type(S(Demo::ClerkPassword));
    keys({S("Return")});
    const QString editor = windowTitled(S("Visual Quorvane - Inventory Request"));
    if (editor.isEmpty())
        return QString();
    // "&View" prints the request selected in the list into a viewer of its own.
    keys({S("alt+v")});
    if (windowTitled(S("Inventory Master File")).isEmpty())
        return QString();
    RunOnDesktop(S("xdotool"), {S("windowactivate"), S("--sync"), editor});
    return editor;
}

TEST_F(RunningProgram, ClosingTheRequestWindowWithNothingUnsavedEndsTheProgramAtOnce)
{
    start();
    ASSERT_FALSE(logOnAndOpenAViewer().isEmpty());
    keys({S("alt+F4")});
    EXPECT_TRUE(endsWithin(10000)) << "the program still runs after its request window closed";
}

TEST_F(RunningProgram, ClosingTheRequestWindowWithUnsavedLinesAsksFirst)
{
    start();
    const QString editor = logOnAndOpenAViewer();
    ASSERT_FALSE(editor.isEmpty());
    keys({S("alt+n")});
    QThread::msleep(1000); // as a person waits for the new request to show
    type(S("1000"));
    keys({S("alt+F4")});
    ASSERT_FALSE(windowTitled(S("Inventory Request")).isEmpty()) << "the exit question is asked";
    keys({S("Return")});
    EXPECT_TRUE(endsWithin(10000)) << "the program still runs after its request window closed";
}

// Measuring seams stay in the benchmark's own build: the program the users run asks for the log-on
// whatever its environment holds, and carries no trace of those variables.
TEST_F(RunningProgram, TheShippedProgramAlwaysAsksForTheLogOn)
{
    start({{S("INVENTORY_REQUEST_BENCH_LOGON"), S(Demo::ClerkId)},
           {S("INVENTORY_REQUEST_BENCH_PASSWORD"), S(Demo::ClerkPassword)},
           {S("INVENTORY_REQUEST_QUIT_WHEN_SHOWN"), S("1")}});
    EXPECT_FALSE(windowTitled(S("Log On - Inventory Request")).isEmpty());
    EXPECT_TRUE(windowTitled(S("Visual Quorvane - Inventory Request"), 1000).isEmpty());
    EXPECT_FALSE(endsWithin(500));

    QFile executable(programPath());
    ASSERT_TRUE(executable.open(QIODevice::ReadOnly));
    EXPECT_FALSE(executable.readAll().contains("INVENTORY_REQUEST_BENCH"));
}

} // namespace
