#pragma once

namespace Ui {
class frmMain;
}
class clsItem;

// The facts of the item in the entry area's code box, shown beside it: name, list and average
// cost, packing, stock on hand and its levels, unit of measure and the ADS stock. Below the
// entry's validation and the grid, which both show an item this way.
class ItemFacts
{
public:
    explicit ItemFacts(Ui::frmMain &ui);

    // Shows the facts of the item whose code the box holds at the source location; clears the
    // item boxes when it names none.
    void ShowItemDetails();
    // Shows the facts of an item already read.
    void fill(clsItem &item);

private:
    Ui::frmMain &m_ui;
};
