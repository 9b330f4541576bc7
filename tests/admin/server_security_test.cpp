// A server set up for the workstations, tried with the ward's own log-in as anyone at a ward PC
// could: with plain SQL, through the client's connection, and after an upgrade from version 4.

#include "pickers/core/modEncryption.h"
#include "platform/Database.h"
#include "platform/postgres/ServerAddress.h"
#include "platform/Administration.h"
#include "tests/support/DemoFacts.h"

#include <QCoreApplication>
#include <QThread>

#include <libpq-fe.h>

#include <memory>

#include <gtest/gtest.h>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

QString scrambled(const char *password)
{
    return ScrambleText(S("E"), S("DARVELQUIMSTO"), S(password));
}

// One libpq session; statements run as given, so a test sees what the server accepts.
class Session
{
public:
    explicit Session(const QString &address)
        : m_connection(PQconnectdb(ServerAddress::connectionString(address).toUtf8().constData()), &PQfinish)
    {
        PQsetNoticeProcessor(
            m_connection.get(), [](void *, const char *) {}, nullptr);
    }
    bool ok() const { return PQstatus(m_connection.get()) == CONNECTION_OK; }
    // Whether the statement succeeded; its error (or first value) in answer.
    bool run(const QString &sql, QString *answer = nullptr)
    {
        std::unique_ptr<PGresult, decltype(&PQclear)> result(
            PQexec(m_connection.get(), sql.toUtf8().constData()), &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        const bool done = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (answer)
            *answer = done ? (PQntuples(result.get()) > 0 ? QString::fromUtf8(PQgetvalue(result.get(), 0, 0))
                                                          : QString())
                           : QString::fromUtf8(PQerrorMessage(m_connection.get()));
        return done;
    }
    QString value(const QString &sql)
    {
        QString answer;
        EXPECT_TRUE(run(sql, &answer)) << answer.toStdString() << "\nin: " << sql.toStdString();
        return answer;
    }

private:
    std::unique_ptr<PGconn, decltype(&PQfinish)> m_connection;
};

// A database of its own set up with the demo (as "setup --demo" does), and a ward's log-in role
// that is a member of the workstations' role and nothing else.
class SecuredServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_base = qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER").trimmed();
        if (m_base.isEmpty())
            GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
        const QString pid = QString::number(QCoreApplication::applicationPid());
        m_name = S("ir_secured_") + pid;
        m_ward = S("ir_ward_") + pid;
        Session maintenance(m_base);
        ASSERT_TRUE(maintenance.ok());
        maintenance.run(S("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
        ASSERT_TRUE(maintenance.run(S("CREATE DATABASE ") + m_name));
        ServerSetup::run(address(), ServerSetup::Content::DemoData);
        maintenance.run(S("DROP ROLE IF EXISTS ") + m_ward);
        ASSERT_TRUE(maintenance.run(S("CREATE ROLE %1 LOGIN IN ROLE inventory_request_client").arg(m_ward)));
    }
    void TearDown() override
    {
        if (m_base.isEmpty())
            return;
        Session maintenance(m_base);
        maintenance.run(S("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_name));
        maintenance.run(S("DROP ROLE IF EXISTS ") + m_ward);
    }

    QString address() const { return m_base + S(" dbname=") + m_name; }
    // As the ward PC connects: its log-in, the client's schemas on the search path.
    QString wardAddress() const
    {
        return address() + S(" user=") + m_ward + S(" options='-c search_path=inventory,password,public'");
    }
    // A ward session in which the clerk logged on through the server's check.
    std::unique_ptr<Session> clerkAtWard()
    {
        auto session = std::make_unique<Session>(wardAddress());
        EXPECT_EQ(session->value(S("SELECT employee_id FROM password.check_logon('%1', '%2')")
                                     .arg(S(Demo::ClerkId), scrambled(Demo::ClerkPassword))),
                  S(Demo::ClerkId));
        return session;
    }

    QString m_base;
    QString m_name;
    QString m_ward;
};

// Requests of the demo: 2 pending and 6 pending of the operating room (not the clerk's), 3
// verified, 4 processed, all but 6 from the emergency room (the clerk's).
TEST_F(SecuredServer, TheWardsLogInIsRefusedWhatTheClientWouldRefuse)
{
    const std::unique_ptr<Session> ward = clerkAtWard();
    const struct
    {
        const char *what;
        const char *sql;
    } refused[] = {
        {"reading the passwords", "SELECT Password FROM password.tbPasswordMain"},
        {"reading every column of the staff register", "SELECT * FROM password.tbPasswordMain"},
        {"marking a request processed", "UPDATE tbInvWithdrawRequest SET Status = 'P', ProcessBy = '1001' "
                                        "WHERE DocumentNumber = '2'"},
        {"a verification mark without a check", "UPDATE tbInvWithdrawRequest SET Verifiedby = '2001', "
                                                "verifiedDate = GetDate() WHERE DocumentNumber = '2'"},
        {"changing a processed request's quantities", "UPDATE tbInvWithdrawRequest SET Quantity = 1 "
                                                      "WHERE DocumentNumber = '4'"},
        {"replacing a processed request's lines",
         "DELETE FROM tbInvWithdrawRequest WHERE DocumentNumber = '4'"},
        {"replacing a verified request's lines",
         "DELETE FROM tbInvWithdrawRequest WHERE DocumentNumber = '3'"},
        {"adding a line to a verified request",
         "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, TargetLocationID, UserID) "
         "VALUES ('3', '10001', 1, '10', '1001')"},
        {"deleting another department's request",
         "UPDATE tbInvWithdrawRequest SET Status = 'D', ProcessDate = "
         "GetDate(), ProcessBy = '1001' WHERE DocumentNumber = '6'"},
        {"deleting a request in another employee's name", "UPDATE tbInvWithdrawRequest SET Status = 'D', "
                                                          "ProcessBy = '2001' WHERE DocumentNumber = '2'"},
        {"a line into another department's request",
         "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, TargetLocationID, UserID) "
         "VALUES ('6', '10001', 1, '10', '1001')"},
        {"a non-numeric document number",
         "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, TargetLocationID, UserID) "
         "VALUES ('9A', '10001', 1, '10', '1001')"},
        {"a line in another employee's name",
         "INSERT INTO tbInvWithdrawRequest (DocumentNumber, ItemID, Quantity, TargetLocationID, UserID) "
         "VALUES ('900', '10001', 1, '10', '2001')"},
        {"setting a price", "UPDATE tbInvMaster SET ListCost = 0"},
        {"deactivating a location", "UPDATE tbInvLocation SET Status = 'I'"},
        {"creating objects in public", "CREATE TABLE public.tbOwn (a integer)"},
        {"a function in public", "CREATE FUNCTION public.rtrim(citext, text) RETURNS text LANGUAGE sql "
                                 "AS 'SELECT ''x'''"},
        {"reading the audit", "SELECT * FROM audit.tbAuditEvent"},
        {"writing the audit", "SELECT audit.record('log-on', '2001')"},
        {"reading the log-on sessions", "SELECT * FROM password.tbLogonSession"},
        {"granting oneself a verification",
         "INSERT INTO password.tbVerificationGrant (TokenDigest, SupervisorID) "
         "VALUES ('x', '2001')"},
    };
    for (const auto &attempt : refused) {
        QString error;
        EXPECT_FALSE(ward->run(S(attempt.sql), &error)) << attempt.what;
        EXPECT_FALSE(error.isEmpty()) << attempt.what;
    }

    // What the client does is allowed: replacing an open request's lines, deleting one of its own
    // department's requests, and a verification right after the supervisor's check.
    ASSERT_EQ(ward->value(S("SELECT count(*) FROM tbInvWithdrawRequest WHERE DocumentNumber = '2'")), S("5"));
    EXPECT_EQ(ward->value(S("SELECT accepted FROM password.check_supervisor('%1', '%2')")
                              .arg(S(Demo::SupervisorId), scrambled(Demo::SupervisorPassword))),
              S("t"));
    // One check verifies one request, not several at once.
    EXPECT_FALSE(ward->run(S("UPDATE tbInvWithdrawRequest SET Verifiedby = '2001' WHERE DocumentNumber IN "
                             "('1', '2')")));
    EXPECT_TRUE(ward->run(S("UPDATE tbInvWithdrawRequest SET Verifiedby = '2001', verifiedDate = GetDate() "
                            "WHERE DocumentNumber = '2'")));
    // The check served that one verification only.
    EXPECT_FALSE(
        ward->run(S("UPDATE tbInvWithdrawRequest SET Verifiedby = '2001' WHERE DocumentNumber = '7'")));
    EXPECT_TRUE(
        ward->run(S("UPDATE tbInvWithdrawRequest SET Status = 'D', ProcessDate = GetDate(), ProcessBy = "
                    "'1001' WHERE DocumentNumber = '7'")));
    const QStringList events = [&] {
        QStringList lines;
        for (const ServerStaff::AuditEvent &event : ServerStaff::audit(address()))
            lines << event.event + S(" ") + event.employeeId + S(" ") + event.documentNumber + S(" ") +
                         event.databaseRole;
        return lines;
    }();
    EXPECT_TRUE(events.contains(S("log-on 1001  ") + m_ward)) << events.join(S("\n")).toStdString();
    EXPECT_TRUE(events.contains(S("verified 2001 2 ") + m_ward)) << events.join(S("\n")).toStdString();
    EXPECT_TRUE(events.contains(S("deleted 1001 7 ") + m_ward)) << events.join(S("\n")).toStdString();
}

// The central supply's programs mark requests processed; they neither verify nor write lines.
TEST_F(SecuredServer, TheCentralSupplysRoleSetsTheProcessingMarks)
{
    Session maintenance(m_base);
    const QString supply = m_ward + S("_supply");
    maintenance.run(S("DROP ROLE IF EXISTS ") + supply);
    ASSERT_TRUE(maintenance.run(S("CREATE ROLE %1 LOGIN IN ROLE inventory_request_supply").arg(supply)));
    {
        Session program(address() + S(" user=") + supply);
        EXPECT_TRUE(program.run(S("UPDATE inventory.tbInvWithdrawRequest SET Status = 'P', ProcessDate = "
                                  "LOCALTIMESTAMP(0), ProcessBy = 'SUPPLY' WHERE DocumentNumber = '2'")));
        EXPECT_FALSE(program.run(S("UPDATE inventory.tbInvWithdrawRequest SET Verifiedby = '2001' "
                                   "WHERE DocumentNumber = '7'")));
        EXPECT_FALSE(program.run(S("DELETE FROM inventory.tbInvWithdrawRequest WHERE DocumentNumber = '7'")));
        EXPECT_FALSE(program.run(S("SELECT Password FROM password.tbPasswordMain")));
    }
    maintenance.run(S("DROP ROLE IF EXISTS ") + supply);
    EXPECT_EQ(
        Session(address()).value(S("SELECT count(*) FROM audit.tbAuditEvent WHERE Event = 'processed' AND "
                                   "DocumentNumber = '2'")),
        S("1"));
}

// A ward session idle in its transaction while it holds a table lock, row locks or the client's
// save lock is ended within seconds, and the other workstations save again.
TEST_F(SecuredServer, AWardSessionHoldingALockIdleInItsTransactionIsEnded)
{
    const char *locks[] = {"LOCK TABLE tbInvWithdrawRequest IN SHARE MODE",
                           "SELECT count(*) FROM (SELECT 1 FROM tbInvWithdrawRequest FOR UPDATE) locked",
                           "SELECT pg_advisory_xact_lock(7419263)"};
    std::vector<std::unique_ptr<Session>> holders;
    for (const char *lock : locks) {
        holders.push_back(clerkAtWard());
        ASSERT_TRUE(holders.back()->run(S("BEGIN")));
        ASSERT_TRUE(holders.back()->run(S(lock))) << lock;
    }
    QThread::sleep(7);
    for (size_t i = 0; i < holders.size(); ++i)
        EXPECT_FALSE(holders.at(i)->run(S("SELECT 1"))) << locks[i];
    std::unique_ptr<Connection> workstation = Connection::openServer(address() + S(" user=") + m_ward);
    Connection::setBusyTimeout(1000);
    EXPECT_NO_THROW({
        workstation->BeginTrans();
        workstation->Execute(
            S("Update INVENTORY..tbInvWithdrawRequest Set Status = Status Where DocumentNumber = '2'"));
        workstation->CommitTrans();
    });
    Connection::setBusyTimeout(5000);
}

// A ward session that turned its own idle timeout off and holds the save lock idle is ended by the
// next workstation whose save waited for it in vain; that save goes through, and the audit says so.
TEST_F(SecuredServer, AWardSessionThatTurnedItsTimeoutOffIsEndedByTheNextSave)
{
    std::unique_ptr<Session> holder = clerkAtWard();
    ASSERT_TRUE(holder->run(S("SET idle_in_transaction_session_timeout = 0")));
    ASSERT_TRUE(holder->run(S("BEGIN")));
    ASSERT_TRUE(holder->run(S("SELECT pg_advisory_xact_lock(7419263)")));
    QThread::sleep(6);
    Connection::setBusyTimeout(1000);
    std::unique_ptr<Connection> workstation = Connection::openServer(address() + S(" user=") + m_ward);
    EXPECT_NO_THROW({
        workstation->BeginTrans();
        workstation->CommitTrans();
    });
    Connection::setBusyTimeout(5000);
    EXPECT_FALSE(holder->run(S("SELECT 1")));
    Session administrator(address());
    EXPECT_EQ(administrator.value(S("SELECT count(*) FROM audit.tbAuditEvent WHERE Event = 'stuck session ended: ")
                                  + m_ward + S(" from local'")),
              S("1"));
}

// The sixth wrong password within 15 minutes is refused with the lock-out message even when right,
// at the log-on and at the supervisor prompt alike; the audit lists every try; the administrator's
// unlock ends it.
TEST_F(SecuredServer, RepeatedWrongPasswordsLockTheIdOut)
{
    std::unique_ptr<Connection> workstation = Connection::openServer(address() + S(" user=") + m_ward);
    const QString prompt =
        S("Select EmployeeId, Password from password..tbpasswordmain where departmentid in "
          "('4','00') and Right_Code1 = 'A' and Right_Code2 = 'S' and Employeeid = '%1' and "
          "Password = '%2'");
    const QString supervisor = S(Demo::SupervisorId);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(workstation->checkServerLogon(supervisor, scrambled("wrong")).isEmpty());
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(workstation->Execute(prompt.arg(supervisor, scrambled("wrong"))).rows.isEmpty());
    for (const QString &check : {S("log-on"), S("prompt")}) {
        try {
            if (check == S("log-on"))
                workstation->checkServerLogon(supervisor, scrambled(Demo::SupervisorPassword));
            else
                workstation->Execute(prompt.arg(supervisor, scrambled(Demo::SupervisorPassword)));
            ADD_FAILURE() << "a locked id was accepted at the " << check.toStdString();
        } catch (const Error &error) {
            EXPECT_TRUE(
                error.Description().contains(S("Too many wrong passwords were given for employee ID 2001")))
                << error.Description().toStdString();
            EXPECT_TRUE(error.Description().contains(S("until"))) << error.Description().toStdString();
        }
    }
    // Another id is not locked.
    EXPECT_EQ(workstation->checkServerLogon(S(Demo::ClerkId), scrambled(Demo::ClerkPassword)),
              S(Demo::ClerkId));

    QStringList tries;
    for (const ServerStaff::AuditEvent &event : ServerStaff::audit(address(), S("2000-01-01")))
        if (event.employeeId == supervisor)
            tries << event.event;
    EXPECT_EQ(tries,
              QStringList({S("log-on refused"), S("log-on refused"), S("log-on refused"),
                           S("supervisor check refused"), S("supervisor check refused"), S("locked out"),
                           S("refused while locked out"), S("refused while locked out")}));

    EXPECT_TRUE(ServerStaff::unlock(address(), supervisor));
    EXPECT_EQ(workstation->checkServerLogon(supervisor, scrambled(Demo::SupervisorPassword)), supervisor);
}

// A version 4 server (the register's passwords scrambled and readable, no roles but the
// workstations', no guards) is brought up to date: the passwords become hashes, the staff log on
// with the same passwords, and the check finds nothing missing.
TEST_F(SecuredServer, AnUpgradeFromVersion4KeepsTheStaffsPasswords)
{
    Session administrator(address());
    for (const char *step :
         {"DROP TRIGGER store_password_hash ON password.tbPasswordMain",
          "DROP TRIGGER guard_request_lines ON inventory.tbInvWithdrawRequest",
          "DROP TRIGGER guard_request_marks ON inventory.tbInvWithdrawRequest",
          "DROP TRIGGER audit_request_marks ON inventory.tbInvWithdrawRequest", "DROP SCHEMA audit CASCADE",
          "ALTER TABLE inventory.tbInvWithdrawRequest DROP CONSTRAINT "
          "\"ckInvWithdrawRequest_NumericDocument\"",
          "UPDATE password.tbPasswordMain SET Password = CASE EmployeeID WHEN '1001' THEN '5BFA26D91AC0' "
          "WHEN '1002' THEN '5B8D42E6 C34' WHEN '2001' THEN '5B8A41E31FD4' ELSE '5BF81CDB13C4' END",
          "GRANT SELECT ON password.tbPasswordMain TO inventory_request_client",
          "GRANT CREATE ON SCHEMA public TO PUBLIC", "UPDATE inventory.tbInvSchemaVersion SET Version = 4"})
        ASSERT_TRUE(administrator.run(S(step))) << step;
    EXPECT_FALSE(ServerCheck::run(address()).passed());

    EXPECT_EQ(ServerSetup::upgrade(address()), 4);
    EXPECT_EQ(administrator.value(S("SELECT count(*) FROM password.tbPasswordMain WHERE NOT "
                                    "password.is_password_hash(Password::text)")),
              S("0"));
    const ServerCheck::Result check = ServerCheck::run(address());
    EXPECT_TRUE(check.passed()) << check.problems.join(S("\n")).toStdString();

    std::unique_ptr<Connection> workstation = Connection::openServer(address() + S(" user=") + m_ward);
    const struct
    {
        const char *id, *password;
    } staff[] = {{Demo::ClerkId, Demo::ClerkPassword},
                 {Demo::NurseId, Demo::NursePassword},
                 {Demo::SupervisorId, Demo::SupervisorPassword},
                 {Demo::AdminDeptUserId, Demo::AdminDeptUserPassword}};
    for (const auto &member : staff)
        EXPECT_EQ(workstation->checkServerLogon(S(member.id), scrambled(member.password)), S(member.id))
            << member.id;
    EXPECT_FALSE(Session(wardAddress()).run(S("SELECT Password FROM password.tbPasswordMain")));
}

// The check names each part of the workstations' confinement that a server lacks.
TEST_F(SecuredServer, CheckNamesWhatTheServerLacks)
{
    ASSERT_TRUE(ServerCheck::run(address()).passed())
        << ServerCheck::run(address()).problems.join(S("\n")).toStdString();
    // A ward's own log-in can run the check too.
    const ServerCheck::Result asWard = ServerCheck::run(address() + S(" user=") + m_ward);
    EXPECT_TRUE(asWard.passed()) << asWard.problems.join(S("\n")).toStdString();
    Session administrator(address());
    const struct
    {
        const char *weaken, *restore, *named;
    } cases[] = {
        {"GRANT CREATE ON SCHEMA public TO PUBLIC", "REVOKE CREATE ON SCHEMA public FROM PUBLIC",
         "schema public"},
        {"GRANT SELECT (Password) ON password.tbPasswordMain TO inventory_request_client",
         "REVOKE SELECT (Password) ON password.tbPasswordMain FROM inventory_request_client",
         "staff's passwords"},
        {"GRANT UPDATE ON inventory.tbInvMaster TO inventory_request_client",
         "REVOKE UPDATE ON inventory.tbInvMaster FROM inventory_request_client", "inventory.tbinvmaster"},
        {"ALTER FUNCTION inventory.sp_inv_userlocation(text) RESET search_path",
         "ALTER FUNCTION inventory.sp_inv_userlocation(text) SET search_path = pg_catalog, inventory, public",
         "sp_inv_userlocation(text) without a fixed search_path"},
        {"GRANT EXECUTE ON FUNCTION inventory.getdate() TO PUBLIC",
         "REVOKE EXECUTE ON FUNCTION inventory.getdate() FROM PUBLIC",
         "PUBLIC run the function inventory.getdate()"},
        {"ALTER TABLE inventory.tbInvWithdrawRequest DISABLE TRIGGER guard_request_marks",
         "ALTER TABLE inventory.tbInvWithdrawRequest ENABLE TRIGGER guard_request_marks",
         "guard_request_marks"},
        {"UPDATE password.tbPasswordMain SET Password = 'x' WHERE EmployeeID = '1001'", nullptr,
         "not hashes"},
    };
    for (const auto &weakened : cases) {
        if (QString(S(weakened.weaken)).startsWith(S("UPDATE"))) {
            ASSERT_TRUE(administrator.run(
                S("ALTER TABLE password.tbPasswordMain DISABLE TRIGGER store_password_hash")));
        }
        ASSERT_TRUE(administrator.run(S(weakened.weaken))) << weakened.weaken;
        const ServerCheck::Result result = ServerCheck::run(address());
        EXPECT_FALSE(result.passed()) << weakened.weaken;
        EXPECT_TRUE(result.problems.join(S("\n")).contains(S(weakened.named)))
            << weakened.weaken << "\n"
            << result.problems.join(S("\n")).toStdString();
        if (weakened.restore) {
            ASSERT_TRUE(administrator.run(S(weakened.restore))) << weakened.restore;
        }
    }
}

} // namespace

namespace {

// The set-up by a database owner who may not create roles stops before it changes anything.
TEST(SecuredSetup, AnAdministratorWithoutCreateRoleIsStoppedFirst)
{
    const QString base = qEnvironmentVariable("INVENTORY_REQUEST_TEST_SERVER").trimmed();
    if (base.isEmpty())
        GTEST_SKIP() << "no test server (INVENTORY_REQUEST_TEST_SERVER)";
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString owner = S("ir_owner_") + pid;
    const QString name = S("ir_unprivileged_") + pid;
    Session maintenance(base);
    maintenance.run(S("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    maintenance.run(S("DROP ROLE IF EXISTS ") + owner);
    ASSERT_TRUE(maintenance.run(S("CREATE ROLE %1 LOGIN").arg(owner)));
    ASSERT_TRUE(maintenance.run(S("CREATE DATABASE %1 OWNER %2").arg(name, owner)));
    const QString address = base + S(" dbname=") + name + S(" user=") + owner;
    QStringList said;
    try {
        ServerSetup::run(address, ServerSetup::Content::DemoData, [&](const QString &line) { said << line; });
        ADD_FAILURE() << "the set-up went on without CREATEROLE";
    } catch (const Error &error) {
        EXPECT_TRUE(error.Description().contains(S("lacks the CREATEROLE right")))
            << error.Description().toStdString();
    }
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said.first().contains(S("CREATEROLE")));
    EXPECT_EQ(Session(base + S(" dbname=") + name)
                  .value(S("SELECT count(*) FROM pg_namespace WHERE nspname = 'inventory'")),
              S("0"));
    maintenance.run(S("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
    maintenance.run(S("DROP ROLE IF EXISTS ") + owner);
}

} // namespace
