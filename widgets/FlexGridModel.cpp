#include "widgets/FlexGridModel.h"

#include "platform/Database.h"
#include "shell/NumberText.h"

#include <QDate>
#include <QDateTime>

FlexGridModel::FlexGridModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_header = QStringList(m_cols, QString());
    m_rows.append(QStringList(m_cols, QString()));
}

int FlexGridModel::dataRows() const
{
    return bound() ? int(m_boundRows.size()) : int(m_rows.size());
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : dataRows();
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QString FlexGridModel::displayText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return DateTimeText(value.toDateTime());
    case QMetaType::QDate:
        return DateTimeText(value.toDate().startOfDay());
    case QMetaType::Double:
    case QMetaType::Float:
        return GeneralNumber(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

QString FlexGridModel::text(int row, int col) const
{
    if (col < 0 || col >= m_cols || row < 0 || row >= gridRows())
        return QString();
    if (row == 0)
        return m_header.value(col);
    if (!bound())
        return m_rows[row - 1][col];
    const int id = m_boundRows[row - 1];
    const auto written = m_written.constFind(key(id, col));
    if (written != m_written.constEnd())
        return *written;
    if (id < m_table->rows.size() && col < m_table->rows[id].size())
        return displayText(m_table->rows[id][col]);
    return QString();
}

void FlexGridModel::setText(int row, int col, const QString &text)
{
    if (col < 0 || col >= m_cols || row < 0 || row >= gridRows())
        return;
    if (row == 0) {
        m_header[col] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    if (bound())
        m_written.insert(key(m_boundRows[row - 1], col), text);
    else
        m_rows[row - 1][col] = text;
    const QModelIndex cell = index(row - 1, col);
    emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::TextAlignmentRole});
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= dataRows() || index.column() >= m_cols)
        return QVariant();
    const int row = index.row() + 1;
    const int col = index.column();
    if (role == Qt::DisplayRole)
        return text(row, col);
    if (role != Qt::TextAlignmentRole)
        return QVariant();

    switch (alignment(col)) {
    case Align::Left:
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Align::Right:
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Align::Centre:
        return QVariant(Qt::AlignCenter);
    case Align::General:
        break;
    }
    // General alignment: text to the left, numbers to the right.
    bool number = false;
    if (bound() && !m_written.contains(key(m_boundRows[index.row()], col))) {
        const int id = m_boundRows[index.row()];
        number = id < m_table->rows.size() && col < m_table->rows[id].size()
                 && IsNumberValue(m_table->rows[id][col]);
    } else {
        number = IsNumeric(text(row, col));
    }
    return QVariant((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return QString();
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= m_cols)
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_header.value(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void FlexGridModel::setGridRows(int rows)
{
    const int wanted = qMax(1, rows) - 1;
    const int current = dataRows();
    if (wanted == current)
        return;
    if (wanted > current) {
        beginInsertRows(QModelIndex(), current, wanted - 1);
        for (int i = current; i < wanted; ++i) {
            if (bound())
                m_boundRows.append(m_nextId++);
            else
                m_rows.append(QStringList(m_cols, QString()));
        }
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), wanted, current - 1);
        if (bound())
            m_boundRows.resize(wanted);
        else
            m_rows.resize(wanted);
        endRemoveRows();
    }
}

void FlexGridModel::setGridCols(int cols)
{
    const int wanted = qMax(1, cols);
    if (wanted == m_cols)
        return;
    if (wanted > m_cols)
        beginInsertColumns(QModelIndex(), m_cols, wanted - 1);
    else
        beginRemoveColumns(QModelIndex(), wanted, m_cols - 1);
    const bool growing = wanted > m_cols;
    const int before = m_cols;
    m_cols = wanted;
    m_header.resize(wanted);
    for (QStringList &row : m_rows)
        row.resize(wanted);
    if (!growing) {
        for (auto it = m_written.begin(); it != m_written.end();) {
            if (int(it.key() & 0xffffffff) >= wanted)
                it = m_written.erase(it);
            else
                ++it;
        }
    }
    if (m_align.size() > wanted)
        m_align.resize(wanted);
    Q_UNUSED(before)
    if (growing)
        endInsertColumns();
    else
        endRemoveColumns();
}

void FlexGridModel::setAlignment(int col, Align align)
{
    if (col < 0)
        return;
    if (m_align.size() <= col)
        m_align.resize(col + 1, Align::General);
    m_align[col] = align;
    if (col < m_cols && dataRows() > 0)
        emit dataChanged(index(0, col), index(dataRows() - 1, col), {Qt::TextAlignmentRole});
}

void FlexGridModel::removeGridRow(int row)
{
    if (row < 1 || row >= gridRows())
        return;
    beginRemoveRows(QModelIndex(), row - 1, row - 1);
    if (bound())
        m_boundRows.remove(row - 1);
    else
        m_rows.remove(row - 1);
    endRemoveRows();
}

void FlexGridModel::clearTexts()
{
    m_header.fill(QString());
    for (QStringList &row : m_rows)
        row.fill(QString());
    if (bound()) {
        // Clearing a bound grid blanks what it shows; the recordset itself is not touched.
        for (int id : std::as_const(m_boundRows))
            for (int col = 0; col < m_cols; ++col)
                m_written.insert(key(id, col), QString());
    }
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (dataRows() > 0)
        emit dataChanged(index(0, 0), index(dataRows() - 1, m_cols - 1));
}

void FlexGridModel::bind(std::shared_ptr<Recordset> source)
{
    beginResetModel();
    m_source = std::move(source);
    m_written.clear();
    m_boundRows.clear();
    m_rows.clear();
    m_table = m_source && m_source->IsOpen() ? m_source->table() : nullptr;
    if (m_table) {
        m_cols = qMax(1, int(m_table->columns.size()));
        m_header = m_table->columns;
        m_header.resize(m_cols);
        m_boundRows.resize(m_table->rows.size());
        for (int i = 0; i < m_boundRows.size(); ++i)
            m_boundRows[i] = i;
        m_nextId = int(m_table->rows.size());
    } else {
        // Unbinding leaves one header row and no data rows.
        m_source.reset();
        m_header = QStringList(m_cols, QString());
    }
    m_align.clear();
    endResetModel();
}

bool FlexGridModel::showsRowsAsRead(const ResultTable &rows) const
{
    if (!bound() || !m_written.isEmpty() || m_cols != m_table->columns.size()
        || m_boundRows.size() != m_table->rows.size() || m_nextId != m_table->rows.size())
        return false;
    for (int i = 0; i < m_boundRows.size(); ++i) {
        if (m_boundRows[i] != i)
            return false;
    }
    return m_table.get() == &rows || (m_table->columns == rows.columns && m_table->rows == rows.rows);
}
