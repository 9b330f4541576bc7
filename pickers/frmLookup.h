#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class frmLookup;
}
class Recordset;

// Search-and-pick window over suppliers (1), payment terms (2) or units of measure (3). The
// chosen record's code is returned in gLookupResult.
class frmLookup : public QDialog
{
    Q_OBJECT

public:
    enum Type { Supplier = 1, Terms = 2, UnitOfMeasure = 3 };

    explicit frmLookup(QWidget *parent = nullptr);
    ~frmLookup() override;

    QString SearchString() const { return m_searchString; }
    void setSearchString(const QString &text) { m_searchString = text; }
    void setLookupType(int type) { m_lookupType = type; }
    bool blnExactMatch() const { return m_exactMatch; }

    // The load steps, without showing the window: resets the outcome, sets the caption, fills
    // the search box and runs the search for SearchString.
    void Form_Load();

    // True when the search ran and found at least one record; a failure is shown and gives false.
    bool RunLookupQuery(const QString &searchText);

    // The statement for the lookup type; empty for a type other than 1 to 3.
    static QString BuildLookupQuery(int lookupType, const QString &searchText);

    void cmdSearch_Click();
    void cmdOptions_Click(int index);

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Unload();
    void grdLookup_KeyDown(int &keyCode, int shift);

    std::unique_ptr<Ui::frmLookup> m_ui;
    std::shared_ptr<Recordset> m_result;
    QString m_searchString;
    int m_lookupType = 0;
    bool m_exactMatch = false;
};
