#pragma once

#include "platform/Error.h"
#include "records/LookupWindows.h"
#include "shell/Session.h"
#include "tests/support/TestSession.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <ostream>

// Readable failure output for texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A search window that answers from a script: an exact match, or a choice the "user" makes when
// the window is shown (empty: closed without choosing).
struct ScriptedLookup
{
    bool exactMatch = false;
    QString choice;

    // What the record asked of the last window.
    QString searchString;
    QString locationName = QStringLiteral("<unset>");
    QString locationCode = QStringLiteral("<unset>");
    int lookupType = -1;
    int loads = 0;
    int shows = 0;
};

class ScriptedLookupWindow : public LookupWindow
{
public:
    explicit ScriptedLookupWindow(ScriptedLookup &script) : m_script(script) {}

    void setSearchString(const QString &text) override { m_script.searchString = text; }
    QString SearchString() const override { return m_script.searchString; }
    void setLookupType(int type) override { m_script.lookupType = type; }
    void setLocationName(const QString &name) override { m_script.locationName = name; }
    void setLocationCode(const QString &code) override { m_script.locationCode = code; }
    void Load() override
    {
        ++m_script.loads;
        gLookupResult = QString();
    }
    bool blnExactMatch() const override { return m_script.exactMatch; }
    void ShowModal() override
    {
        ++m_script.shows;
        gLookupResult = m_script.choice;
    }

private:
    ScriptedLookup &m_script;
};

// Registers the scripted windows for the item search and the master-data lookup while alive.
class ScriptedLookups
{
public:
    ScriptedLookups()
    {
        setItemLookupFactory([this] { return std::make_unique<ScriptedLookupWindow>(item); });
        setMasterLookupFactory([this] { return std::make_unique<ScriptedLookupWindow>(master); });
    }
    ~ScriptedLookups()
    {
        setItemLookupFactory({});
        setMasterLookupFactory({});
    }

    ScriptedLookup item;
    ScriptedLookup master;
};

// Statements of the trace that begin with the prefix.
inline QStringList statementsStartingWith(const TestSession &session, const QString &prefix)
{
    QStringList found;
    for (const QString &statement : session.trace()) {
        if (statement.startsWith(prefix))
            found << statement;
    }
    return found;
}

// The error a record raises through its trap: the application-error base plus 9999.
constexpr qint32 kRecordError = -2147211505;

template <typename F> Error raisedBy(F &&body)
{
    try {
        body();
    } catch (const Error &error) {
        return error;
    }
    ADD_FAILURE() << "no error was raised";
    return Error(0, QString(), QString());
}
