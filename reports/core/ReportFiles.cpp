#include "reports/core/ReportFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef IR_REPORTS_FROM_BINDIR
#define IR_REPORTS_FROM_BINDIR "../share/inventory-request/reports"
#endif

QString reportDefinitionPath(const QString &fileName)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString besideProgram = programFolder.filePath(fileName);
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    const QString installed =
        QDir::cleanPath(programFolder.filePath(QStringLiteral(IR_REPORTS_FROM_BINDIR "/") + fileName));
    return QFileInfo::exists(installed) ? installed : besideProgram;
}
