#pragma once

#include "platform/CurrentUser.h"
#include "platform/sqlite/DataFolder.h"
#include "platform/Database.h"
#include "platform/Messages.h"
#include "tests/support/DemoFacts.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A fresh data folder built from the project's own scripts (a copy of a template built once per
// test program), with an open connection. With INVENTORY_REQUEST_TEST_BACKEND=postgres it is a
// fresh database on the PostgreSQL server that INVENTORY_REQUEST_TEST_SERVER names (a libpq
// "key=value" connection string), made from a template database set up once per test program.
class TestDatabase
{
public:
    // Which database a test gets: the one the environment chooses, or a given one (a test that
    // compares the two backends opens one of each).
    enum class Backend { Chosen, Embedded, Server };

    explicit TestDatabase(DataFolder::Content content = DataFolder::Content::DemoData,
                          Backend backend = Backend::Chosen);
    virtual ~TestDatabase();

    // Whether this test program runs on the PostgreSQL server; serverUnavailable() explains why
    // it cannot (empty when it can).
    static bool onServer();
    static QString serverUnavailable();
    // Whether INVENTORY_REQUEST_TEST_SERVER names a server, whichever backend this program runs on.
    static bool serverGiven();

    QString folder() const { return m_dir.path(); }
    // On the server: the libpq connection string of this test's own database; else empty.
    QString serverName() const;
    // Where another process finds these databases: the folder, or on the server the test's
    // database as a connection string.
    QString address() const;
    Connection *connection() const { return m_connection.get(); }
    std::unique_ptr<Connection> takeConnection() { return std::move(m_connection); }
    // A connection of its own to the same databases, as another workstation has.
    std::unique_ptr<Connection> openAnotherConnection() const;

    // Runs SQLite SQL directly (no adapter, no trace): for arranging a test's data.
    void raw(const QString &sqliteSql) const;
    // First column of the first row of a direct SQLite query, null when no row.
    QVariant rawValue(const QString &sqliteSql) const;

private:
    QTemporaryDir m_dir;
    QString m_serverDatabase; // the test's own database on the server
    QString m_rawName;        // the Qt connection raw() uses
    std::unique_ptr<Connection> m_connection;
};

// For a test of the embedded files themselves (file handling, SQLite tools): skipped on the server.
#define SKIP_ON_SERVER()                                                                                  \
    do {                                                                                                  \
        if (TestDatabase::onServer())                                                                     \
            GTEST_SKIP() << "a test of the embedded SQLite files";                                        \
    } while (false)

// A logged-on session over a fresh database: the session globals are reset, gCurrentUser is the
// given employee, the site information is loaded and the defaults set as start-up does (without
// the log-on prompt and without the editor). Messages are recorded; the SQL trace is collected.
class TestSession
{
public:
    explicit TestSession(const QString &employeeCode = QString::fromLatin1(Demo::ClerkId),
                         DataFolder::Content content = DataFolder::Content::DemoData,
                         bool loadSite = true);
    ~TestSession();

    Connection *connection() const;
    CurrentUser &user() { return *m_user; }
    MessageRecorder &messages() { return m_messages; }
    const TestDatabase &db() const { return m_db; }
    void raw(const QString &sqliteSql) const { m_db.raw(sqliteSql); }
    QVariant rawValue(const QString &sqliteSql) const { return m_db.rawValue(sqliteSql); }

    QStringList trace() const { return m_trace; }
    void clearTrace() { m_trace.clear(); }

private:
    TestDatabase m_db;
    MessageRecorder m_messages;
    std::unique_ptr<CurrentUser> m_user;
    QStringList m_trace;
};
