#pragma once

#include <QString>

#include <functional>

// The SQL trace: when INVENTORY_REQUEST_SQL_TRACE names a file, every statement the client
// builds is appended to it exactly as built (before adaptation), one a line, with a line break
// inside a statement written as \n.
namespace SqlTrace {

void record(const QString &statement);

// In-process observer (tests); receives each statement as built. Empty function removes it.
void setObserver(std::function<void(const QString &)> observer);

} // namespace SqlTrace
