#pragma once

#include <QString>

class DetailGrid;
class FlexGrid;
class QLineEdit;
class QWidget;

// Kits on the request window: the test whether an entered item is a kit, the question, the kit
// picker and the rewrite of the detail grid with the chosen components.
class KitExpansion
{
public:
    // The picker opens over the window; the components replace the grid's lines.
    KitExpansion(QWidget &window, QLineEdit &code, FlexGrid &grid, DetailGrid &lines);

    // True when an active kit belongs to the item with exactly this code.
    bool IsKit(const QString &code) const;

    // Asks whether to add the kit's components; on Yes opens the kit picker and expands.
    // Failures pass to the caller.
    void Offer(const QString &kitCode);

    // Replaces the grid's lines by the kit's components (all of them, or the one component),
    // when there are any. The kit code must be a whole number; anything else throws.
    void Expand(const QString &kitCode, bool allItems, const QString &componentId);

    // The kit code as the expansion statements write it: a whole number in plain digits.
    static QString KitNumber(const QString &code);

private:
    QWidget &m_window;
    QLineEdit &m_code;
    FlexGrid &m_grid;
    DetailGrid &m_lines;
};
