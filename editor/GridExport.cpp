#include "editor/GridExport.h"

#include "platform/Messages.h"
#include "widgets/FlexGrid.h"
#include "shell/CsvWriter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString LastFolderKey = QStringLiteral("export/lastFolder");

QString LastFolder()
{
    const QString folder = QSettings().value(LastFolderKey).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

} // namespace

GridExport::GridExport(QWidget &window) : m_window(window)
{
    m_chooser = [this](const QString &folder, const QString &suggestedName) {
        return QFileDialog::getSaveFileName(&m_window, QStringLiteral("Save as CSV"),
                                            QDir(folder).filePath(suggestedName),
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };
}

GridExport::~GridExport() = default;

bool GridExport::saveAsCsv(const FlexGrid &grid, const QString &suggestedName)
{
    QString fileName = m_chooser(LastFolder(), suggestedName);
    if (fileName.isEmpty())
        return false;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".csv");
    QSettings().setValue(LastFolderKey, QFileInfo(fileName).absolutePath());

    const QString failure = write(grid, fileName);
    if (!failure.isEmpty()) {
        MsgBox(QStringLiteral("The file could not be saved: ") + failure, MsgButtons::OK, MsgIcon::Critical);
        return false;
    }
    return true;
}

QString GridExport::write(const FlexGrid &grid, const QString &fileName)
{
    QList<int> columns;
    for (int col = 0; col < grid.Cols(); ++col)
        if (grid.ColWidth(col) > 0 && !grid.TextMatrix(0, col).trimmed().isEmpty())
            columns << col;

    // A whole file or none: a failure half-way leaves no cut-off file behind.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    CsvWriter csv(file);
    QStringList fields;
    for (int col : columns)
        fields << grid.TextMatrix(0, col).trimmed();
    csv.writeRow(fields);
    for (int row = 1; row < grid.Rows() && csv.ok(); ++row) {
        fields.clear();
        bool empty = true;
        for (int col : columns) {
            fields << grid.TextMatrix(row, col);
            empty = empty && fields.back().trimmed().isEmpty();
        }
        // The blank new-line row, and the empty row of a list that found nothing.
        if (!empty)
            csv.writeRow(fields);
    }
    if (!csv.ok() || !file.commit())
        return file.errorString();
    return QString();
}
