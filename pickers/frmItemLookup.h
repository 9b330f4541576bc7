#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmItemLookup;
}
class Recordset;

// "Product Search": finds items by code or by the beginning of the name and returns the chosen
// item code in gLookupResult. The item searches of the records load it unseen; a search with
// exactly one match is taken at once, otherwise the window is shown modally.
class frmItemLookup : public QDialog
{
    Q_OBJECT

public:
    explicit frmItemLookup(QWidget *parent = nullptr);
    ~frmItemLookup() override;

    QString SearchString() const { return m_searchString; }
    void setSearchString(const QString &text) { m_searchString = text; }
    void setLocationName(const QString &name) { m_locationName = name; }
    QString LocationName() const { return m_locationName; }
    // The LocationID searched; empty searches the item master without location rules.
    void setLocationCode(const QString &code) { m_locationCode = code; }
    QString LocationCode() const { return m_locationCode; }
    void setLookupType(int type) { m_lookupType = type; }
    int LookupType() const { return m_lookupType; }

    // The last search found exactly one item (reset only by Form_Load).
    bool blnExactMatch() const { return m_exactMatch; }

    // The load steps, without showing the window: resets the outcome, fills the boxes and runs
    // the search for SearchString.
    void Form_Load();

    // Runs the search; true when it ran and found at least one item. A failure is shown and
    // counts as nothing found; the grid keeps what it showed.
    bool RunItemSearch(const QString &searchText);

    void cmdSearch_Click();
    void cmdOptions_Click(int index);

    // The statement RunItemSearch runs for the text and the request window's locations.
    QString BuildSearchQuery(const QString &searchText, const QString &addressedLocationId,
                             const QString &requestingLocationId) const;

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();
    void txtSearch_Change();
    void grdLookup_KeyDown(int &keyCode, int shift);
    void setSearchDefault(bool on);
    void setSelectDefault(bool on);

    std::unique_ptr<Ui::frmItemLookup> m_ui;
    std::shared_ptr<Recordset> m_result;
    QString m_searchString;
    QString m_locationName;
    QString m_locationCode;
    int m_lookupType = 0;
    bool m_exactMatch = false;
    bool m_loading = false;
};
