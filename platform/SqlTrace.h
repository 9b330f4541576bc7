#pragma once

#include <QString>

#include <functional>

// The SQL trace: when INVENTORY_REQUEST_SQL_TRACE names a file, every statement the client
// builds is appended to it exactly as built (before adaptation), one a line, with a line break
// inside a statement written as \n. A password compared in a statement ("Password = '...'") is
// written as '…': the trace is read by administrators, and the scrambling is undone in one line.
// The file is made readable by its owner alone.
namespace SqlTrace {

void record(const QString &statement);

// The statement as the trace shows it: every literal compared to a Password column is '…'.
QString traced(const QString &statement);

// In-process observer (tests); receives each statement as traced. Empty function removes it.
void setObserver(std::function<void(const QString &)> observer);

} // namespace SqlTrace
