// Benchmarks of the request window's operations on a hospital-scale data set, each beside the
// bare time of the statements it sends, on the embedded files or on a PostgreSQL server. Run
// through bench/run (see bench/RESULTS.md).

#include "bench/BarePostgres.h"
#include "bench/BareSqlite.h"
#include "bench/ScaleData.h"
#include "bench/ServerData.h"

#include "editor/GridExport.h"
#include "editor/RequestCopy.h"
#include "editor/RequestList.h"
#include "editor/RequestSaving.h"
#include "editor/RestockSuggestion.h"
#include "editor/frmMain.h"
#include "pickers/PickerWindows.h"
#include "pickers/frmItemLookup.h"
#include "platform/CurrentUser.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "platform/SqlTrace.h"
#include "platform/TimeZoneRules.h"
#include "widgets/FlexGrid.h"
#include "widgets/KeySender.h"
#include "widgets/LocationCombo.h"
#include "records/OfferedStock.h"
#include "shell/Session.h"

#include "ui_frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void processEvents()
{
    for (int i = 0; i < 2; ++i)
        QCoreApplication::processEvents();
}

// The logged-on request window over a working copy of the cached data set.
struct Search
{
    std::unique_ptr<frmItemLookup> window;
    QLineEdit *box = nullptr;
};

struct Bench
{
    QTemporaryDir work;
    QString folder;
    QString server; // the working database on the server; empty on the embedded files
    ScaleData::Facts facts;
    MessageRecorder messages;
    std::unique_ptr<CurrentUser> user;
    std::unique_ptr<KeySender> keys;
    std::unique_ptr<frmMain> form;
    std::unique_ptr<Bare> bare;
    Search searches[2]; // catalogue form, location form
    QStringList trace;
    bool tracing = false;

    // Statements the operation sends, recorded from one run of it.
    QStringList statementsOf(const std::function<void()> &operation)
    {
        trace.clear();
        tracing = true;
        operation();
        tracing = false;
        return trace;
    }
};

Bench *g = nullptr;
std::string g_namePrefix; // the backend, and the data set when it is not the standard one

void copyFolder(const QString &from, const QString &to)
{
    for (const QString &file : {QStringLiteral("INVENTORY.sqlite"), QStringLiteral("Password.sqlite")}) {
        if (!QFile::copy(QDir(from).filePath(file), QDir(to).filePath(file)))
            throw std::runtime_error("cannot copy the data set");
        QFile(QDir(to).filePath(file)).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
}

frmMain &form()
{
    return *g->form;
}

// Views of the list: pending unverified, pending verified, processed.
void selectView(int view)
{
    Ui::frmMain &ui = form().ui();
    QSignalBlocker a(ui.optOptions_0), b(ui.optOptions_1), c(ui.chkverified);
    ui.optOptions_0->setChecked(view != 2);
    ui.optOptions_1->setChecked(view == 2);
    ui.chkverified->setChecked(view != 0);
}

// Puts the list on the pending, unverified view with the document selected.
void selectListedRequest(const QString &documentNumber)
{
    selectView(0);
    form().requestList().RefreshRequestList();
    FlexGrid *grid = form().ui().grdListing;
    for (int row = 1; row < grid->Rows(); ++row) {
        if (grid->TextMatrix(row, 0).trimmed() == documentNumber) {
            grid->setRow(row);
            return;
        }
    }
    throw std::runtime_error("the request is not listed: " + documentNumber.toStdString());
}

void counters(benchmark::State &state, qint64 rows)
{
    state.counters["rows"] = double(rows);
    state.counters["peak_MB"] = peakMegabytes();
}

// CPU time (ms) a server process has spent so far, from /proc; 0 without a server.
double serverCpuMilliseconds(qint64 pid)
{
    if (pid <= 0)
        return 0;
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = file.readAll();
    // The fields after the command's closing parenthesis; utime and stime are the 14th and 15th.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toDouble() + fields.at(12).toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The server's share of the work: its process's CPU time per iteration, beside the benchmark's
// own CPU column (the client's). On a shared machine these are steadier than the wall clock.
// What the server does while the timing is paused (arranging the next run) is left out.
struct ServerCpu
{
    qint64 pid;
    double start;
    double pausedAt = 0;
    double paused = 0;
    explicit ServerCpu(qint64 serverPid) : pid(serverPid), start(serverCpuMilliseconds(serverPid)) {}
    void pause() { pausedAt = serverCpuMilliseconds(pid); }
    void resume() { paused += serverCpuMilliseconds(pid) - pausedAt; }
    void report(benchmark::State &state) const
    {
        if (pid > 0)
            state.counters["server_cpu_ms"] = benchmark::Counter(serverCpuMilliseconds(pid) - start - paused,
                                                                 benchmark::Counter::kAvgIterations);
    }
};

// The server process of the client's connection (the window's statements), 0 on the files.
qint64 windowServerPid()
{
    if (g->server.isEmpty())
        return 0;
    QSqlQuery query(CurrentConnection()->database());
    return query.exec(QStringLiteral("SELECT pg_backend_pid()")) && query.next() ? query.value(0).toLongLong() : 0;
}

// The statements and the backend's plan for each (IR_BENCH_PLANS=1), to find where the time goes.
void printPlans(const std::string &name, const QStringList &statements)
{
    std::fprintf(stderr, "== %s%s\n", g_namePrefix.c_str(), name.c_str());
    for (const QString &statement : statements) {
        std::fprintf(stderr, "%s\n", qPrintable(statement));
        try {
            std::fprintf(stderr, "%s", qPrintable(g->bare->queryPlan(statement)));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "  (no plan: %s)\n", e.what());
        }
    }
}

// Registers NAME/window (the window's operation) and NAME/bare (its statements on the bare connection).
void registerPair(const std::string &name, std::function<void()> arrange, std::function<void()> operation,
                  std::function<void()> betweenRuns = {})
{
    auto statements = std::make_shared<QStringList>();
    benchmark::RegisterBenchmark((g_namePrefix + name + "/window").c_str(),
                                 [=](benchmark::State &state) {
                                     arrange();
                                     *statements = g->statementsOf(operation);
                                     // Google Benchmark calls this more than once: plans are printed once.
                                     static QSet<QString> printed;
                                     if (qEnvironmentVariableIsSet("IR_BENCH_PLANS")
                                         && !printed.contains(QString::fromStdString(name))) {
                                         printed.insert(QString::fromStdString(name));
                                         printPlans(name, *statements);
                                     }
                                     ServerCpu server(windowServerPid());
                                     for (auto _ : state) {
                                         if (betweenRuns) {
                                             state.PauseTiming();
                                             server.pause();
                                             betweenRuns();
                                             server.resume();
                                             state.ResumeTiming();
                                         }
                                         operation();
                                         processEvents();
                                     }
                                     server.report(state);
                                     counters(state, statements->size());
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((g_namePrefix + name + "/bare").c_str(),
                                 [=](benchmark::State &state) {
                                     qint64 rows = 0;
                                     ServerCpu server(g->bare->serverProcess());
                                     for (auto _ : state) {
                                         if (betweenRuns) {
                                             state.PauseTiming();
                                             server.pause();
                                             betweenRuns();
                                             server.resume();
                                             state.ResumeTiming();
                                         }
                                         rows = g->bare->run(*statements);
                                     }
                                     server.report(state);
                                     counters(state, rows);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// ---- Product Search ------------------------------------------------------------------------

Search &searchWindow(bool locationForm)
{
    Search &search = g->searches[locationForm ? 1 : 0];
    if (!search.window) {
        search.window = std::make_unique<frmItemLookup>(&form());
        search.window->setLocationName(QStringLiteral("MAIN PHARMACY"));
        search.window->setLocationCode(locationForm ? QString::fromLatin1(ScaleData::Facts::Pharmacy) : QString());
        search.window->setSearchString(QStringLiteral("0"));
        search.window->Form_Load();
        search.window->show();
        search.box = search.window->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        processEvents();
    }
    return search;
}

// One keystroke: the box holds all but the last character, the last one is typed.
void registerSearch(const std::string &name, bool locationForm, const QString &text)
{
    auto before = [locationForm, text] {
        Search &search = searchWindow(locationForm);
        QSignalBlocker quiet(search.box);
        search.box->setText(text.left(text.size() - 1));
        search.box->setFocus();
    };
    auto type = [locationForm, text] {
        Search &search = searchWindow(locationForm);
        QTest::keyClick(search.box, text.back().toLatin1());
    };
    registerPair(name, before, type, before);
}

// ---- Start-up ------------------------------------------------------------------------------

void startApplication(const QString &traceFile)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("INVENTORY_REQUEST_DATA"), g->folder);
    if (!g->server.isEmpty())
        environment.insert(QStringLiteral("INVENTORY_REQUEST_BENCH_SERVER"), g->server);
    environment.insert(QStringLiteral("INVENTORY_REQUEST_BENCH_LOGON"), QString::fromLatin1(ScaleData::Facts::Employee));
    environment.insert(QStringLiteral("INVENTORY_REQUEST_BENCH_PASSWORD"),
                       QString::fromLatin1(ScaleData::Facts::Password));
    if (!traceFile.isEmpty())
        environment.insert(QStringLiteral("INVENTORY_REQUEST_SQL_TRACE"), traceFile);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(IR_APP_PATH), {});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        throw std::runtime_error("the start-up program did not start and quit: "
                                 + process.readAllStandardError().toStdString());
}

void registerStartup()
{
    auto statements = std::make_shared<QStringList>();
    benchmark::RegisterBenchmark((g_namePrefix + "Startup/window").c_str(),
                                 [=](benchmark::State &state) {
                                     const QString traceFile = g->work.filePath(QStringLiteral("startup.trace"));
                                     QFile::remove(traceFile);
                                     startApplication(traceFile);
                                     QFile file(traceFile);
                                     if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                                         for (const QByteArray &line : file.readAll().split('\n'))
                                             if (!line.trimmed().isEmpty())
                                                 *statements << QString::fromUtf8(line).replace(
                                                     QStringLiteral("\\n"), QStringLiteral("\n"));
                                     }
                                     for (auto _ : state)
                                         startApplication(QString());
                                     counters(state, statements->size());
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(10);
    benchmark::RegisterBenchmark((g_namePrefix + "Startup/bare").c_str(),
                                 [=](benchmark::State &state) {
                                     qint64 rows = 0;
                                     for (auto _ : state)
                                         rows = g->bare->run(*statements);
                                     counters(state, rows);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

// ---- Restock suggestion and copy -------------------------------------------------------------

// A ward of its own for the suggestion, so that the other benchmarks see the data set as it is.
const char *const kRestockWard = "101";
constexpr int kRestockStocked = 3000;
constexpr int kRestockBelowMinimum = 500;

int countOf(const QString &sql)
{
    Recordset rs;
    rs.Open(sql, CurrentConnection());
    return rs.Fields(0).toInt();
}

// The ward stocks kRestockStocked items, all with levels, kRestockBelowMinimum of those the
// pharmacy offers it at or below their minimum. The same SQL on both backends.
void arrangeRestockWard()
{
    static bool arranged = false;
    if (arranged)
        return;
    arranged = true;
    const QString ward = QString::fromLatin1(kRestockWard);
    const QString pharmacy = QString::fromLatin1(ScaleData::Facts::Pharmacy);
    const int stocked =
        countOf(QStringLiteral("Select Count(*) From INVENTORY..tbInvent Where LocationID = '%1'").arg(ward));
    if (stocked < kRestockStocked)
        g->bare->exec(
            QStringLiteral("INSERT INTO tbInvent (ItemID, LocationID, OnHand, ItemStatus, AverageCost) "
                           "SELECT P.ItemID, '%1', 0, 0, P.AverageCost FROM tbInvent P "
                           "WHERE P.LocationID = '%2' AND NOT EXISTS (SELECT 1 FROM tbInvent W "
                           "WHERE W.ItemID = P.ItemID AND W.LocationID = '%1') ORDER BY P.ItemID LIMIT %3")
                .arg(ward, pharmacy)
                .arg(kRestockStocked - stocked));
    g->bare->exec(QStringLiteral("UPDATE tbInvent SET OnHand = 150, MinStockLevel = 40, MaxStockLevel = 400 "
                                 "WHERE LocationID = '%1'")
                      .arg(ward));
    QStringList below;
    for (const OfferedItem &item : ReadOfferedStock(CurrentConnection(), ward, pharmacy, QString())) {
        if (below.size() == kRestockBelowMinimum)
            break;
        if (item.locationOnHand > 0)
            below << QLatin1Char('\'') + item.itemId + QLatin1Char('\'');
    }
    g->bare->exec(QStringLiteral("UPDATE tbInvent SET OnHand = 10 WHERE LocationID = '%1' AND ItemID IN (%2)")
                      .arg(ward, below.join(QLatin1Char(','))));
}

void registerRestockAndCopy()
{
    auto suggestAt = [] {
        arrangeRestockWard();
        // The grid fills on whichever tab shows: leaving the list would open its selected request.
        Ui::frmMain &ui = form().ui();
        ui.cboTargetLocation->setTag(QString::fromLatin1(kRestockWard));
        ui.cboLocation->setTag(QString::fromLatin1(ScaleData::Facts::Pharmacy));
        form().ClearAll();
    };
    registerPair(
        "Suggest/3000 stocked 500 below", suggestAt,
        [] {
            form().restockSuggestion().cmdSuggest_Click();
            const int lines = form().ui().grdDetails->Rows() - 2;
            if (lines < kRestockBelowMinimum * 9 / 10)
                throw std::runtime_error("the suggestion proposed only " + std::to_string(lines) + " lines");
        },
        [] { form().ClearAll(); });

    const QString document = g->facts.request200;
    auto listed = [document] {
        form().ui().SSTab1->setCurrentIndex(0);
        selectListedRequest(document);
    };
    registerPair(
        "CopyRequest/200 lines", listed,
        [] {
            form().copySelectedRequest();
            if (form().ui().grdDetails->Rows() < 3)
                throw std::runtime_error("nothing was copied");
        },
        listed);

    // The processed list (26,000 requests) written as CSV, as its context menu does.
    registerPair(
        "ExportList/processed",
        [] {
            form().ui().SSTab1->setCurrentIndex(0);
            selectView(2);
            form().requestList().RefreshRequestList();
        },
        [] {
            const QString failure =
                GridExport::write(*form().ui().grdListing, g->work.filePath(QStringLiteral("list.csv")));
            if (!failure.isEmpty())
                throw std::runtime_error(failure.toStdString());
        });
}

// ---- Registration --------------------------------------------------------------------------

QString stockedItemName(QString *code)
{
    Recordset rs;
    rs.Open(QStringLiteral("Select Top 1 A.ItemID, A.ItemName From INVENTORY..tbInvMaster A "
                           "Join INVENTORY..tbInvent D On D.ItemID = A.ItemID and D.LocationID = '95' "
                           "Join INVENTORY..tbInvent W On W.ItemID = A.ItemID and W.LocationID = '100' "
                           "Where A.ItemStatus = 0 and D.ItemStatus = 0 and W.ItemStatus = 0 "
                           "and A.ItemClassificationID = 'A' and A.ItemName not like '% %' Order By A.ItemID"),
            CurrentConnection());
    *code = rs.Fields(0).toString();
    return rs.Fields(1).toString();
}

void registerAll()
{
    QString code;
    const QString name = stockedItemName(&code);
    for (bool locationForm : {true, false}) {
        const std::string form = locationForm ? "Search/location/" : "Search/catalogue/";
        registerSearch(form + "1 letter", locationForm, name.left(1));
        registerSearch(form + "2 letters", locationForm, name.left(2));
        registerSearch(form + "3 letters", locationForm, name.left(3));
        registerSearch(form + "code", locationForm, code);
    }
    // Wildcards typed as a search text: every name is matched against the whole pattern.
    registerSearch("Search/catalogue/30 wildcards", false, QStringLiteral("%_").repeated(15) + QLatin1Char('#'));

    const char *views[] = {"pending", "verified", "processed"};
    for (int view = 0; view < 3; ++view)
        registerPair(std::string("RefreshRequestList/") + views[view], [view] { selectView(view); },
                     [] { form().requestList().RefreshRequestList(); });

    struct Large
    {
        const char *label;
        QString document;
    };
    for (const Large &large : {Large{"200 lines", g->facts.request200}, Large{"2000 lines", g->facts.request2000}}) {
        const QString document = large.document;
        const std::string label = large.label;
        registerPair("LoadRequest/" + label, [document] { selectListedRequest(document); },
                     [] { form().requestList().LoadRequest(true); });
        registerPair("SaveRequest/" + label,
                     [document] {
                         selectListedRequest(document);
                         form().requestList().LoadRequest(true);
                         form().requestSaving().VerifyAfterSave = false;
                     },
                     [] {
                         if (!form().requestSaving().SaveRequest())
                             throw std::runtime_error("the save failed");
                     });
        // The delete click: access check, confirmation, the update, the list refreshed.
        auto restore = [document] {
            // The same text on both backends (search_path names the table on the server).
            g->bare->exec(QStringLiteral("UPDATE tbInvWithdrawRequest SET Status = NULL, ProcessDate = NULL, "
                                         "ProcessBy = NULL WHERE DocumentNumber = '%1'")
                              .arg(document));
            selectListedRequest(document);
            g->messages.queueAnswer(MsgAnswer::Yes);
        };
        registerPair("DeleteRequest/" + label, restore, [] { form().requestSaving().cmdDeleteReq_Click(); },
                     restore);
    }

    registerStartup();
    registerRestockAndCopy();

    benchmark::RegisterBenchmark((g_namePrefix + "PeakMemory").c_str(), [](benchmark::State &state) {
        for (auto _ : state)
            benchmark::DoNotOptimize(peakMegabytes());
        state.counters["peak_MB"] = peakMegabytes();
    })->Iterations(1);
}

} // namespace

int main(int argc, char **argv)
{
    readTimeZoneRulesOnce(); // as the program does
    Q_INIT_RESOURCE(db);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    const quint64 seed = qEnvironmentVariableIsSet("IR_BENCH_SEED") ? qgetenv("IR_BENCH_SEED").toULongLong() : 1;
    const int factor = qEnvironmentVariableIsSet("IR_BENCH_SCALE_DOWN") ? qgetenv("IR_BENCH_SCALE_DOWN").toInt() : 1;
    const QString root = qEnvironmentVariableIsSet("IR_BENCH_DATA") ? qEnvironmentVariable("IR_BENCH_DATA")
                                                                      : QStringLiteral(IR_BENCH_DATA_ROOT);
    // IR_BENCH_BACKEND=postgres: on a working copy of the data set on the server IR_BENCH_SERVER
    // names (a maintenance database to create databases from); names start with the backend.
    const bool onServer = qEnvironmentVariable("IR_BENCH_BACKEND") == QLatin1String("postgres");
    const QString maintenanceServer = qEnvironmentVariable("IR_BENCH_SERVER").trimmed();
    if (onServer && maintenanceServer.isEmpty()) {
        std::fprintf(stderr, "IR_BENCH_BACKEND=postgres needs IR_BENCH_SERVER, e.g. \"host=/tmp/pg user=postgres "
                             "dbname=postgres\" (bash bench/run starts a private server)\n");
        return 2;
    }
    g_namePrefix = onServer ? "postgres/" : "sqlite/";
    // IR_BENCH_HISTORY=2: the same hospital with twice the request history; names get "History2x/".
    const int history = qEnvironmentVariableIsSet("IR_BENCH_HISTORY") ? qgetenv("IR_BENCH_HISTORY").toInt() : 1;
    const ScaleData::Size size = ScaleData::Size::scaledDown(factor).withLongerHistory(std::max(1, history));
    if (history > 1)
        g_namePrefix += "History" + std::to_string(history) + "x/";
    const QString workDatabase = QStringLiteral("ir_bench_work_%1").arg(QCoreApplication::applicationPid());

    Bench bench;
    g = &bench;
    try {
        QElapsedTimer timer;
        timer.start();
        const QString cached = ScaleData::cachedFolder(root, seed, size);
        std::fprintf(stderr, "data set: %s (%.1f s)\n", qPrintable(cached), timer.elapsed() / 1000.0);
        bench.folder = bench.work.path();
        if (onServer) {
            timer.restart();
            bench.server = ServerData::workingDatabase(maintenanceServer, cached, root, workDatabase);
            std::fprintf(stderr, "server database: %s (%.1f s)\n", qPrintable(bench.server), timer.elapsed() / 1000.0);
        } else {
            copyFolder(cached, bench.folder);
        }
        bench.facts = ScaleData::factsFor(size);

        SqlTrace::setObserver([](const QString &statement) {
            if (g->tracing)
                g->trace << statement;
        });
        bench.messages.setDefaultAnswer(MsgAnswer::OK);
        bench.user = std::make_unique<CurrentUser>(nullptr, [](const QString &password) { return password; });
        bench.user->setPasswordDeptCode(QStringLiteral("4"));
        bench.user->attach(onServer ? Connection::openServer(bench.server) : Connection::open(bench.folder),
                           QString::fromLatin1(ScaleData::Facts::Employee));
        gCurrentUser = bench.user.get();
        bench.keys = std::make_unique<KeySender>();
        gShell = bench.keys.get();
        LoadSiteInformation();
        gDefaultLocationID = QStringLiteral("94");
        gAllowedInventoryTypes = QStringLiteral("A");
        registerPickerWindows();
        if (onServer) {
            // The server's statistics come with the data set (ServerData gathers them).
            bench.bare = std::make_unique<BarePostgres>(bench.server);
        } else {
            bench.bare = std::make_unique<BareSqlite>(bench.folder);
            // A data folder in use has the statistics that each session leaves behind when it closes
            // its connection (a sampled ANALYZE); the freshly generated one gets them the same way.
            bench.bare->exec(QStringLiteral("PRAGMA analysis_limit=1000; ANALYZE;"));
        }
        // Trying a schema change (an index) on the working copy before measuring it, in the
        // backend's own SQL.
        if (qEnvironmentVariableIsSet("IR_BENCH_EXTRA_SQL"))
            bench.bare->exec(qEnvironmentVariable("IR_BENCH_EXTRA_SQL"));

        bench.form = std::make_unique<frmMain>();
        bench.form->Form_Load();
        bench.form->show();
        (void)QTest::qWaitForWindowExposed(bench.form.get());
        // The search reads the request window's locations: a ward asking the main pharmacy.
        bench.form->ui().cboLocation->setTag(QString::fromLatin1(ScaleData::Facts::Pharmacy));
        bench.form->ui().cboTargetLocation->setTag(QString::fromLatin1(ScaleData::Facts::Ward));
        processEvents();

        registerAll();
        benchmark::RunSpecifiedBenchmarks();
        for (const Message &message : bench.messages.messages())
            if (message.buttons == MsgButtons::OK)
                std::fprintf(stderr, "message shown: %s\n", qPrintable(message.text));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }

    for (Search &search : bench.searches)
        search.window.reset();
    bench.form.reset();
    gCurrentUser = nullptr;
    gShell = nullptr;
    SqlTrace::setObserver({});
    benchmark::Shutdown();
    bench.bare.reset();
    bench.user.reset();
    if (onServer) {
        try {
            ServerData::dropDatabase(maintenanceServer, workDatabase);
        } catch (const std::exception &) {
        }
    }
    return 0;
}
