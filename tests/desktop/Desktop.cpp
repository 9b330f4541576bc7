#include "tests/desktop/Desktop.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

Desktop &Desktop::instance()
{
    static Desktop desktop;
    return desktop;
}

Desktop::~Desktop()
{
    stop();
}

bool Desktop::fail(const QString &problem)
{
    m_problem = problem;
    stop();
    return false;
}

bool Desktop::start()
{
    for (const char *tool : {"Xvfb", "openbox", "xdotool", "xprop"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return fail(QStringLiteral("%1 is not installed (scripts/install-deps installs it)").arg(QLatin1String(tool)));
    }

    // The server picks a free display itself and tells its number on the given descriptor, so
    // several test programs may start desktops at once.
    m_server = std::make_unique<QProcess>();
    m_server->setStandardErrorFile(QProcess::nullDevice());
    m_server->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp")});
    QByteArray number;
    QElapsedTimer waited;
    waited.start();
    while (!number.contains('\n') && waited.elapsed() < 15000) {
        if (!m_server->waitForReadyRead(200) && m_server->state() == QProcess::NotRunning)
            break;
        number += m_server->readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return fail(QStringLiteral("the X server did not start"));
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    m_windowManager = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    m_windowManager->setProcessEnvironment(environment);
    m_windowManager->setStandardOutputFile(QProcess::nullDevice());
    m_windowManager->setStandardErrorFile(QProcess::nullDevice());
    m_windowManager->start(QStringLiteral("openbox"), {});
    // The window manager is ready once it announces itself on the root window.
    waited.restart();
    while (waited.elapsed() < 15000) {
        if (RunOnDesktop(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QLatin1String("window id")))
            return true;
        if (m_windowManager->state() == QProcess::NotRunning)
            break;
        QThread::msleep(100);
    }
    return fail(QStringLiteral("the window manager did not start"));
}

void Desktop::stop()
{
    for (auto *process : {&m_windowManager, &m_server}) {
        if (*process && (*process)->state() != QProcess::NotRunning) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(3000)) {
                (*process)->kill();
                (*process)->waitForFinished(1000);
            }
        }
        process->reset();
    }
    m_display.clear();
}

QString RunOnDesktop(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), Desktop::instance().display());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(10000);
    if (ok)
        *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString ShownTitle(const QWidget *window)
{
    // Through the window manager's reading of the window, not Qt's own title.
    const QString shown = RunOnDesktop(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                                                  QStringLiteral("_NET_WM_NAME")});
    const qsizetype quote = shown.indexOf(QLatin1Char('"'));
    if (quote < 0 || !shown.endsWith(QLatin1Char('"')))
        return shown;
    return shown.mid(quote + 1, shown.size() - quote - 2).replace(QLatin1String("\\\""), QLatin1String("\""));
}

QStringList KeyboardScript::run(const std::function<void(KeyboardScript &)> &script, int timeoutMs)
{
    {
        std::lock_guard lock(m_mutex);
        m_failures.clear();
    }
    m_stopped = false;
    std::atomic<bool> finished{false};
    std::thread typist([&] {
        script(*this);
        finished = true;
    });
    // Windows the script left open would keep this thread inside their event loops.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (!finished)
            return;
        if (QWidget *modal = QApplication::activeModalWidget()) {
            addFailure(QStringLiteral("a window stayed open: ") + modal->windowTitle());
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        }
    });
    closer.start(100);
    QElapsedTimer waited;
    waited.start();
    while (!(finished && !QApplication::activeModalWidget())) {
        if (!m_stopped && waited.elapsed() > timeoutMs) {
            addFailure(QStringLiteral("the script did not end in time"));
            m_stopped = true; // its remaining steps do nothing; the one under way still needs events
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    typist.join();
    std::lock_guard lock(m_mutex);
    return m_failures;
}

bool KeyboardScript::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_stopped || !m_failures.isEmpty();
}

void KeyboardScript::addFailure(const QString &failure)
{
    std::lock_guard lock(m_mutex);
    m_failures.append(failure);
}

void KeyboardScript::keys(const QStringList &names)
{
    if (failed())
        return;
    RunOnDesktop(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + names);
}

void KeyboardScript::type(const QString &text)
{
    if (failed())
        return;
    RunOnDesktop(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void KeyboardScript::onProgram(const std::function<void()> &action)
{
    QMetaObject::invokeMethod(qApp, action, Qt::BlockingQueuedConnection);
}

bool KeyboardScript::waitFor(const QString &what, const std::function<bool()> &condition, int timeoutMs)
{
    if (failed())
        return false;
    QElapsedTimer waited;
    waited.start();
    bool holds = false;
    QString state;
    while (true) {
        onProgram([&] {
            holds = condition();
            state = QStringLiteral("active window %1, focus %2").arg(ActiveWindowName(), FocusedControlName());
        });
        if (holds)
            return true;
        if (waited.elapsed() > timeoutMs)
            break;
        QThread::msleep(30);
    }
    addFailure(what + QStringLiteral(" (") + state + QLatin1Char(')'));
    return false;
}

QString FocusedControlName()
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return name;
    }
    return QString();
}

QString ActiveWindowName()
{
    const QWidget *window = QApplication::activeWindow();
    if (!window)
        return QString();
    return window->objectName().isEmpty() ? window->windowTitle() : window->objectName();
}
