#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmKitEntry;
}
class Recordset;

// The kit picker: lists a kit's components and lets the user take one, or tick "Add All Items".
class frmKitEntry : public QDialog
{
    Q_OBJECT

public:
    explicit frmKitEntry(QWidget *parent = nullptr);
    ~frmKitEntry() override;

    Ui::frmKitEntry &ui() { return *m_ui; }

    QString ItemID() const { return m_itemId; }
    void setItemID(const QString &itemId) { m_itemId = itemId; }

    // Kept from one opening of the picker to the next; only a click on the check box changes it.
    static bool AllItems();
    static void setAllItems(bool allItems);

    // Loads the components of the kit in ItemID, then shows the picker modally.
    int exec() override;

    void LoadKitItems(const QString &kitItemCode);
    void FormatKitGrid();

private:
    void cmdSelect_Click();

    std::unique_ptr<Ui::frmKitEntry> m_ui;
    std::shared_ptr<Recordset> m_components;
    QString m_itemId;
};
