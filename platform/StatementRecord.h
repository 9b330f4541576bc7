#pragma once

#include <QString>
#include <QVariantList>

// A development record of what the gateway is given and what each engine finally runs: when
// INVENTORY_REQUEST_STATEMENT_RECORD names a folder, every process appends to a file of its own
// there, one line a statement: the engine, "given" or "ran", and the text (passwords compared in
// it hidden as the SQL trace hides them; bound values after the text). scripts/statement-record
// runs the test suite with it and compares two records, so that a rework of the adapter or the
// connections can show that no statement changed.
namespace StatementRecord {

enum class Engine { Sqlite, Postgres };

// The client's statement as the gateway received it.
void given(Engine engine, const QString &statement);
// A text the engine compiled or ran, with the values bound to it (none for a password check).
void ran(Engine engine, const QString &text, const QVariantList &values = {});

} // namespace StatementRecord
