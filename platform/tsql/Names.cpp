// Names as the engine knows them: the client's databases, bracketed names, N'' literals, and the
// words SQL Server lets a statement leave out.

#include "platform/tsql/Passes.h"

#include <QRegularExpression>

namespace {

const QString MainDatabase = QStringLiteral("INVENTORY");
const QString PasswordDatabase = QStringLiteral("Password");

bool isMain(const SqlToken &database)
{
    return database.text.compare(MainDatabase, Qt::CaseInsensitive) == 0;
}

bool isPassword(const SqlToken &database)
{
    return database.text.compare(PasswordDatabase, Qt::CaseInsensitive) == 0;
}

bool isPlainName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch();
}

// The schema of one of the client's databases on a server.
QString serverSchema(const QString &database)
{
    return database.toLower() + QLatin1Char('.');
}

// INVENTORY..tbInvMaster -> tbInvMaster, Password..tbPasswordMain -> Password.tbPasswordMain
// (files); inventory.tbInvMaster, password.tbPasswordMain (server). INVENTORY.dbo.x likewise.
void databaseName(Statement &st, int s)
{
    const SqlToken &t = st.tok(s);
    const bool schemas = st.dialect().databases == Dialect::Databases::Schemas;
    if (st.tok(s + 1).is("..")) {
        if (schemas) {
            st.out(s) = serverSchema(t.nameValue());
            st.out(s + 1).clear();
        } else if (isMain(t)) {
            st.out(s).clear();
            st.out(s + 1).clear();
        } else {
            st.out(s + 1) = QStringLiteral(".");
        }
        return;
    }
    if (schemas && (isMain(t) || isPassword(t))) {
        st.out(s) = serverSchema(t.text);
        st.out(s + 1).clear();
        st.out(s + 2).clear();
        st.out(s + 3).clear();
    } else if (isMain(t)) {
        st.out(s).clear();
        st.out(s + 1).clear();
        st.out(s + 2).clear();
        st.out(s + 3).clear();
    } else if (isPassword(t)) {
        st.out(s + 2).clear();
        st.out(s + 3).clear();
    }
}

} // namespace

namespace TsqlPasses {

// Insert tbInvTerms (TermsID) Values (1)   ->  Insert Into tbInvTerms (TermsID) Values (1)
// Delete tbInvTerms Where TermsID = 1       ->  Delete From tbInvTerms Where TermsID = 1
void missingKeywords(Statement &st)
{
    if (st.tok(0).is("insert") && !st.tok(1).is("into"))
        st.out(0) += QStringLiteral(" Into");
    if (st.tok(0).is("delete") && !st.tok(1).is("from"))
        st.out(0) += QStringLiteral(" From");
}

// Select A.ItemName As [Product Name] From INVENTORY..tbInvMaster A Where A.ItemID = N'10001'
//   -> Select A.ItemName As "Product Name" From tbInvMaster A Where A.ItemID = '10001'      (files)
//   -> Select A.ItemName As "Product Name" From inventory.tbInvMaster A Where ...            (server)
// On the server [ItemID] becomes ItemID: it keeps the letter case of quoted names only.
void databaseNames(Statement &st)
{
    for (int s = 0; s < st.count(); ++s) {
        const SqlToken &t = st.tok(s);
        if (t.kind == SqlToken::Word) {
            if (st.startsDatabaseName(s))
                databaseName(st, s);
            else if (t.text == QLatin1String("N") && st.tok(s + 1).kind == SqlToken::String && st.adjacent(s))
                st.out(s).clear();
        } else if (t.kind == SqlToken::QuotedName && t.text.startsWith(QLatin1Char('['))) {
            if (st.dialect().bracketsAsPlainNames && isPlainName(t.nameValue()))
                st.out(s) = t.nameValue();
            else
                st.out(s) = QLatin1Char('"') + t.nameValue().replace(QLatin1String("\""), QLatin1String("\"\"")) +
                            QLatin1Char('"');
        }
    }
}

} // namespace TsqlPasses
