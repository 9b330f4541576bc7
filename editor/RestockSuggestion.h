#pragma once

#include <QHash>
#include <QObject>
#include <QString>

namespace Ui {
class frmMain;
}
class DetailGrid;

// "Suggest": fills the detail grid with the lines that bring the department's items that are at
// or below their minimum back up to their maximum, less what its open requests already ask for.
// Lines already in the grid are left as they are; nothing is saved until the user saves. The label
// under the grid sums the suggestion up and shows the basis of the selected proposed line.
class RestockSuggestion : public QObject
{
    Q_OBJECT

public:
    // The header, the grid and the label on the window's form; proposed lines join the request
    // as line entry adds them.
    RestockSuggestion(Ui::frmMain &ui, DetailGrid &lines);
    ~RestockSuggestion() override;

    void cmdSuggest_Click();

    // What a proposed line was worked out from.
    struct Basis
    {
        double onHand = 0, minimum = 0, maximum = 0, openQuantity = 0;
        bool cutToStock = false;
    };
    // The basis of the line proposed for the item; null when the item was not proposed.
    const Basis *basisOf(const QString &itemId) const;

    // Forgets the last suggestion: a request was cleared or opened.
    void forget();

private:
    void showBasisOfCurrentLine();
    void showText(const QString &summary, const QString &basis);

    Ui::frmMain &m_ui;
    DetailGrid &m_lines;
    QHash<QString, Basis> m_basis; // by item code, upper case
    QString m_summary;
};
