#pragma once

#include <QTableView>
#include <QVector>

#include <memory>

class Recordset;
class FlexGridModel;
struct ResultTable;

// The flexible grid the windows are written against: a text matrix with one fixed header row
// (row 0), rows and columns, the current cell, the top row, column widths in twips and row
// removal; or, once bound to a recordset, a read-only view of its rows. Row 0 is drawn as the
// horizontal header, so grid row r is the view's row r - 1.
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const { return 1; }

    int Row() const;          // current row (>= 1 when there are data rows)
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    int TopRow() const;       // first data row in view
    void setTopRow(int row);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    QString Text() const { return TextMatrix(Row(), Col()); }

    int ColWidth(int col) const;            // twips
    void setColWidth(int col, int twips);   // 15 twips a pixel; 0 hides the column

    // Sections separated by "|" give the header texts of row 0 and the number of columns;
    // a leading "<" aligns the column left, ">" right, "^" centre (not shown in the header).
    void setFormatString(const QString &format);
    QString FormatString() const;

    void RemoveItem(int row);
    void Clear(); // empties every cell, header included; rows and columns stay

    // Shows the recordset's rows (header from its column names); nullptr unbinds, leaving an
    // empty grid of one header row and no data rows.
    void setDataSource(std::shared_ptr<Recordset> source);
    std::shared_ptr<Recordset> DataSource() const;
    // Whether the grid shows exactly these rows, bound and as read: no text written into it and no
    // row added or removed since. A list read again with the same rows then need not be shown anew.
    bool showsRowsAsRead(const ResultTable &rows) const;

    // Drawing is suspended while false.
    void setRedraw(bool on) { setUpdatesEnabled(on); }

signals:
    void RowColChange();
    void DblClick();
    // The character typed (13 for Enter); the handler may set it to 0 to swallow it.
    void KeyPress(int &keyAscii);
    void KeyDown(int &keyCode, int shift);
    void GotFocus();
    void LostFocus();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void setCurrentCell(int row, int col);
    void ensureCurrent();
    void reportPosition();
    void applyTopRow();

    FlexGridModel *m_model;
    QVector<int> m_colTwips; // widths set in twips; -1 where none was set
    QString m_formatString;
    int m_topRow = 1;
    bool m_settingTopRow = false;
    int m_wantedCol = 0;
    int m_quiet = 0; // structural changes in progress: RowColChange is reported once, afterwards
    int m_lastRow = -1;
    int m_lastCol = -1;
};
