#include "platform/postgres/ServerAddress.h"
#include "platform/Administration.h"
#include "tests/support/TestSession.h"

#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// A free TCP port on the loopback address.
int freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (probe >= 0 && ::bind(probe, reinterpret_cast<sockaddr *>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (probe >= 0)
        ::close(probe);
    return port;
}

// A private server on 127.0.0.1 with a certificate signed by a CA of its own (scripts/test-server
// start-tls), stopped when the test ends.
class TlsServer
{
public:
    TlsServer() : m_port(freePort())
    {
        // The folder itself, which the script gives to the server's account when run as root.
        m_folder = m_dir.path();
        QProcess start;
        start.start(script(), {S("start-tls"), m_folder, QString::number(m_port)});
        m_started = start.waitForFinished(60000) && start.exitCode() == 0;
        m_log = QString::fromUtf8(start.readAllStandardError());
    }
    ~TlsServer() { QProcess::execute(script(), {S("stop"), m_folder}); }
    bool started() const { return m_started; }
    int port() const { return m_port; }
    QString log() const { return m_log; }
    QString network(const char *host) const
    {
        return S("host=%1 port=%2 user=postgres dbname=postgres").arg(S(host)).arg(m_port);
    }
    QString socket() const
    {
        return S("host=%1 port=%2 user=postgres dbname=postgres").arg(m_folder).arg(m_port);
    }
    QString ca() const { return m_folder + S("/ca.crt"); }

private:
    static QString script() { return S(IR_SOURCE_DIR "/scripts/test-server"); }

    QTemporaryDir m_dir;
    QString m_folder;
    int m_port;
    bool m_started = false;
    QString m_log;
};

// What opening the address gives: the connection's protection, or the refusal.
QString openWith(const QString &address)
{
    const QString name = S("tls-test");
    QString outcome;
    try {
        QSqlDatabase db = ServerAddress::open(address, name);
        outcome = ServerAddress::encryption(db);
        db.close();
    } catch (const Error &error) {
        outcome = error.Description();
    }
    QSqlDatabase::removeDatabase(name);
    return outcome;
}

// Turns the server's TLS on or off as an administrator does, and waits until new connections
// see it.
void setServerSsl(const TlsServer &server, bool on)
{
    const QString name = S("tls-test-admin");
    {
        QSqlDatabase db = ServerAddress::open(server.socket(), name);
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(S("ALTER SYSTEM SET ssl = %1").arg(S(on ? "on" : "off"))));
        ASSERT_TRUE(query.exec(S("SELECT pg_reload_conf()")));
    }
    QSqlDatabase::removeDatabase(name);
    for (int tries = 0; tries < 100; ++tries) {
        bool done = false;
        {
            QSqlDatabase db = ServerAddress::open(server.socket(), name);
            QSqlQuery query(db);
            done = query.exec(S("SHOW ssl")) && query.next() &&
                   query.value(0).toString() == S(on ? "on" : "off");
        }
        QSqlDatabase::removeDatabase(name);
        if (done)
            return;
        QThread::msleep(100);
    }
    FAIL() << "the server did not take the new setting";
}

} // namespace

// Over the network the client logs on only with TLS, unless the address itself asks for clear text;
// a Unix socket on the computer itself needs none.
TEST(ServerTls, TheNetworkIsCrossedOnlyEncryptedUnlessTheAddressSaysOtherwise)
{
    if (!TestDatabase::onServer())
        GTEST_SKIP() << "starts a server of its own: runs in the .postgres copy";
    if (qEnvironmentVariable("PGSSLMODE") != S("require"))
        GTEST_SKIP() << "PGSSLMODE is set where the tests run";
    TlsServer server;
    ASSERT_TRUE(server.started()) << server.log().toStdString();

    const QString encrypted = S("The connection is encrypted (TLS");
    const QString refused = S("sslmode");
    const struct
    {
        QString address;
        QString outcome; // the start of the sentence, or a word of the refusal
    } withTls[] = {
        {server.network("127.0.0.1"), encrypted},
        {server.network("localhost") + S(" sslmode=verify-full sslrootcert=") + server.ca(), encrypted},
        {server.network("127.0.0.1") + S(" sslmode=prefer"), encrypted},
        // libpq tries clear text first, and the server takes it.
        {server.network("127.0.0.1") + S(" sslmode=allow"), S("is not encrypted, and the program logs on")},
        {server.network("127.0.0.1") + S(" sslmode=disable"),
         S("The connection is not encrypted (the address says")},
        {server.socket(), S("The connection is not encrypted (a Unix socket")},
    };
    for (const auto &[address, outcome] : withTls) {
        const QString result = openWith(address);
        EXPECT_TRUE(result.contains(outcome)) << address.toStdString() << "\n" << result.toStdString();
    }
    EXPECT_TRUE(openWith(server.network("127.0.0.1") + S(" sslmode=allow")).contains(refused));

    // A server without TLS: refused unless the address asks for clear text, always naming sslmode.
    setServerSsl(server, false);
    const struct
    {
        QString address;
        bool accepted;
    } withoutTls[] = {
        {server.network("127.0.0.1"), false},
        {server.network("127.0.0.1") + S(" sslmode=prefer"), false},
        {S("postgresql://postgres@127.0.0.1:%1/postgres?sslmode=prefer").arg(server.port()), false},
        {server.network("127.0.0.1") + S(" sslmode=disable"), true},
        {server.socket(), true},
    };
    for (const auto &[address, accepted] : withoutTls) {
        const QString result = openWith(address);
        EXPECT_EQ(result.startsWith(S("The connection is")), accepted) << address.toStdString() << "\n"
                                                                       << result.toStdString();
        if (!accepted) {
            EXPECT_TRUE(result.contains(refused)) << result.toStdString();
        }
    }
    setServerSsl(server, true);

    // The administrator's check says how its own connection went.
    EXPECT_TRUE(ServerCheck::run(server.network("127.0.0.1")).connection.startsWith(encrypted));
    EXPECT_TRUE(ServerCheck::run(server.socket()).connection.contains(S("Unix socket")));
}
