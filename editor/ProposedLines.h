#pragma once

#include <QSet>
#include <QString>

#include <optional>
#include <vector>

namespace Ui {
class frmMain;
}
class DetailGrid;
class FlexGrid;
struct OfferedItem;

// A line the editor proposes (a restock suggestion, a copied request), with its cells as line
// entry would have written them.
struct ProposedLine
{
    QString code, name, quantity, unitCost, total, retail, ads;
    bool cutToStock = false; // the quantity was cut to what the location holds
};

// How line entry makes a line at this site for the request in the window: the retail choice the
// header allows, where an item's stock is read, and the stock checks of "&Update". Read once per
// action, so that a suggestion of hundreds of lines asks for the switches once.
struct LineRules
{
    static LineRules current(const Ui::frmMain &ui);

    bool retailAllowed = true;      // the "Yes" option can be chosen for this department
    bool stockAtDepartment = false; // client "BEX": line entry reads the item at the department
    bool refuseZeroOnHand = false;  // gAllowWDZeroOnHand
    bool cutToOnHand = false;       // switch "5"

    // The line for the item and quantity; none where line entry would refuse the item (the location
    // holds none of it). A quantity above what the location holds is cut to it under switch "5".
    std::optional<ProposedLine> make(const OfferedItem &item, double quantity, bool retail) const;
    double stockOf(const OfferedItem &item) const;
};

// The item codes of the grid's lines.
QSet<QString> GridItemCodes(const FlexGrid &grid);

// Appends the lines after the grid's own, keeping the blank new-line row last; returns the row of
// the first line appended (0 when there were none).
int AppendLines(FlexGrid &grid, const std::vector<ProposedLine> &lines);

// Appends the lines to the request in the window as line entry adds a line: the first one appended
// becomes the current line, and the grand total and the line counter follow. Returns its row (0
// when there were none).
int AddToRequest(Ui::frmMain &ui, DetailGrid &details, const std::vector<ProposedLine> &lines);
