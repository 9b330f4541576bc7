#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <QVector>

#include <memory>

class Recordset;
struct ResultTable;

// The cells behind FlexGrid. Grid row 0 (the header) is the horizontal header; grid row r is model
// row r - 1. Unbound, every cell is a text of its own. Bound, the data rows are read from the
// recordset's result as they are drawn, so a large result costs nothing until it is shown; texts
// written into a bound grid are kept beside it.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum class Align { General, Left, Right, Centre };

    explicit FlexGridModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    int gridRows() const { return dataRows() + 1; }
    void setGridRows(int rows);
    int gridCols() const { return m_cols; }
    void setGridCols(int cols);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString &text);

    Align alignment(int col) const { return col < m_align.size() ? m_align[col] : Align::General; }
    void setAlignment(int col, Align align);

    void removeGridRow(int row);
    void clearTexts();

    void bind(std::shared_ptr<Recordset> source);
    // Bound to a result equal to these rows, with every row and cell as read.
    bool showsRowsAsRead(const ResultTable &rows) const;
    std::shared_ptr<Recordset> source() const { return m_source; }

    // How a value of a recordset is shown in a cell.
    static QString displayText(const QVariant &value);

private:
    int dataRows() const;
    bool bound() const { return m_table != nullptr; }
    static qint64 key(int row, int col) { return (qint64(row) << 32) | quint32(col); }

    int m_cols = 2;
    QStringList m_header;                  // row 0
    QVector<QStringList> m_rows;           // unbound data rows, each m_cols long
    QVector<Align> m_align;
    std::shared_ptr<Recordset> m_source;
    std::shared_ptr<const ResultTable> m_table;
    QVector<int> m_boundRows;              // id of each bound data row: its table row, or a new id
    int m_nextId = 0;
    QHash<qint64, QString> m_written;      // texts written into a bound grid, by row id and column
};
