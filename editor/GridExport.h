#pragma once

#include <QObject>
#include <QString>

#include <functional>

class FlexGrid;
class QWidget;

// Saves a grid as the user sees it (its visible columns, their headings, the texts of the cells)
// to a CSV file the user names; the save dialog opens in the folder used last.
class GridExport : public QObject
{
    Q_OBJECT

public:
    explicit GridExport(QWidget &window);
    ~GridExport() override;

    // Asks for the file and writes it; false when cancelled or when writing failed (shown).
    bool saveAsCsv(const FlexGrid &grid, const QString &suggestedName);

    // Writes the grid to the file; an empty text, or the reason it could not be written.
    static QString write(const FlexGrid &grid, const QString &fileName);

    // The save dialog: given the folder and the suggested name, returns the chosen file, empty
    // when cancelled. Tests replace it.
    using FileChooser = std::function<QString(const QString &folder, const QString &suggestedName)>;
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

private:
    QWidget &m_window;
    FileChooser m_chooser;
};
