// The speed passes change how a statement finds its rows, never which rows: every statement the
// request window sends, and every save it makes, gives the same rows with them switched off and
// on. This guards each rewrite that only makes a statement faster.

#include "editor/frmMain.h"
#include "pickers/frmLookup.h"
#include "platform/tsql/TsqlAdapter.h"
#include "tests/support/EditorFixture.h"

#include <QDateTimeEdit>
#include <QLineEdit>

#include <algorithm>

namespace {

QString S(const char *text)
{
    return QString::fromUtf8(text);
}

// Switched off for the lifetime of the object.
struct SpeedPassesOff
{
    SpeedPassesOff() { TsqlAdapter::setSpeedPasses(false); }
    ~SpeedPassesOff() { TsqlAdapter::setSpeedPasses(true); }
};

// A statement's rows as text, in a stable order (ties of an Order By may come in any order), or
// its failure.
QStringList rowsOf(Connection &connection, const QString &sql)
{
    QStringList rows;
    try {
        const ResultTable table = connection.Execute(sql);
        rows << table.columns.join(QLatin1Char('|')).toLower();
        for (const auto &row : table.rows) {
            QStringList values;
            for (const QVariant &value : row)
                values << (value.isNull() ? S("NULL") : value.toString());
            rows << values.join(QLatin1Char('|'));
        }
        std::sort(rows.begin() + 1, rows.end());
    } catch (const Error &e) {
        rows << S("failed: ") + QString::fromUtf8(e.what());
    }
    return rows;
}

bool reads(const QString &tsql)
{
    const AdaptedStatement adapted = TsqlAdapter::adapt(tsql);
    return adapted.isProcedureCall() || adapted.sql.trimmed().startsWith(S("select"), Qt::CaseInsensitive);
}

// The searches the lookup windows and the item search build from a typed text.
QStringList searches()
{
    QStringList statements;
    for (const char *typed : {"FRESH", "fresh_farms", "NET 30", "BOX", "P", "xylo"}) {
        for (int type : {frmLookup::Supplier, frmLookup::Terms, frmLookup::UnitOfMeasure})
            statements << frmLookup::BuildLookupQuery(type, S(typed));
    }
    for (const char *pattern : {"PARA%", "para%", "%GAUZE%", "[a-c]%", "S%", "_0%", "12%", "%"})
        statements << S("Select A.ItemID, A.ItemName From INVENTORY..tbInvMaster A Where A.ItemName Like '%1' "
                        "Order By A.ItemName, A.ItemID")
                          .arg(S(pattern));
    for (const char *location : {"central supply  ", "EMERGENCY ROOM", "94", "nowhere"})
        statements << S("Select * From INVENTORY..tbInvLocation Where Location = '%1' or LocationID = '%1'")
                          .arg(S(location));
    return statements;
}

struct SpeedPasses : EditorFixture
{
    // Saves a new request of the window's first listed location with two lines; its number.
    QString saveNewRequest()
    {
        selectGridRow(S("grdListing"), listRowOf(S(Demo::PendingDoc)));
        click(S("cmdNew"));
        widget<QDateTimeEdit>(S("txtTransDate"))->setDateTime(QDateTime(QDate(2024, 12, 7), QTime(15, 5, 9)));
        widget<QLineEdit>(S("txtRemarks"))->setText(S("WARD O'NEIL  "));
        putLines({{Demo::ParacetamolId, "3", "1.2500", "Y", "N"}, {Demo::AdsItemId, "1,200", "0.00", "N", "Y"}});
        click(S("cmdSave"));
        EXPECT_EQ(messages().count(), 0) << lastMessage().text.toStdString();
        return widget<QLineEdit>(S("txtDocNum"))->text();
    }

    // The stored lines of a request, without its number.
    QStringList storedLines(const QString &documentNumber)
    {
        return rowsOf(*session().connection(),
                      S("Select ItemID, Quantity, UnitCost, ForRetail, isADS, LocationID, TargetLocationID, TransDate, "
                        "UserID, Remarks, Verifiedby, Status From INVENTORY..tbInvWithdrawRequest Where "
                        "DocumentNumber = '%1'")
                          .arg(documentNumber));
    }
};

} // namespace

TEST_F(SpeedPasses, EveryStatementTheWindowSendsGivesTheSameRows)
{
    // What the window sent to load, list and save, and the searches of the lookup windows.
    const QString saved = saveNewRequest();
    ASSERT_FALSE(saved.isEmpty());
    QStringList statements = trace();
    statements << searches();
    statements.removeDuplicates();
    // The plain statements run on a connection of their own, so none finds a faster form that
    // its connection compiled earlier.
    const std::unique_ptr<Connection> plainConnection = session().db().openAnotherConnection();
    int compared = 0;
    for (const QString &sql : std::as_const(statements)) {
        if (!reads(sql))
            continue;
        const QStringList fast = rowsOf(*session().connection(), sql);
        QStringList plain;
        {
            SpeedPassesOff off;
            plain = rowsOf(*plainConnection, sql);
        }
        EXPECT_EQ(fast.join(QLatin1Char('\n')).toStdString(), plain.join(QLatin1Char('\n')).toStdString())
            << sql.toStdString();
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

TEST_F(SpeedPasses, ASaveWritesTheSameRows)
{
    // The save's inserts run bound or held in a batch, its locking updates as locks, when fast.
    QString plain;
    {
        SpeedPassesOff off;
        plain = saveNewRequest();
    }
    const QString fast = saveNewRequest();
    ASSERT_FALSE(plain.isEmpty());
    ASSERT_NE(plain, fast);
    const QStringList written = storedLines(fast);
    EXPECT_EQ(written.size(), 3) << written.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(written.join(QLatin1Char('\n')).toStdString(), storedLines(plain).join(QLatin1Char('\n')).toStdString());
}
