#pragma once

#include <QString>
#include <QVariantList>

// Prepares a report for the viewer: opens a temporary copy of the definition, names the company,
// points each table at the current user's database and logs it on, and fills the parameter
// fields by position. The prepared report is left in gReport. Throws Error on any failure (a
// missing file, a failed log-on, a table location without a "."), leaving gReport unchanged.
void PrintReport(const QString &reportPath, const QVariantList &values);
