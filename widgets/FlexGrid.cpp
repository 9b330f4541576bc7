#include "widgets/FlexGrid.h"

#include "platform/Database.h"
#include "widgets/Application.h"
#include "widgets/FlexGridModel.h"
#include "widgets/KeyEvents.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

namespace {

constexpr int TwipsPerPixel = 15;

// Header cells get a little room beyond their text, as a flexible grid's format string gives them.
constexpr int HeaderPadding = 8;

} // namespace

FlexGrid::FlexGrid(QWidget *parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_settingTopRow)
            m_topRow = value + 1;
    });
    ensureCurrent();
    m_lastRow = Row();
    m_lastCol = Col();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::Rows() const
{
    return m_model->gridRows();
}

void FlexGrid::setRows(int rows)
{
    const int row = Row();
    ++m_quiet;
    m_model->setGridRows(rows);
    if (row >= 1 && row < Rows())
        setCurrentCell(row, Col());
    ensureCurrent();
    --m_quiet;
    if (m_topRow > qMax(1, Rows() - 1))
        m_topRow = qMax(1, Rows() - 1);
    reportPosition();
}

int FlexGrid::Cols() const
{
    return m_model->gridCols();
}

void FlexGrid::setCols(int cols)
{
    const int before = Cols();
    ++m_quiet;
    m_model->setGridCols(cols);
    m_colTwips.resize(Cols(), -1);
    for (int col = before; col < Cols(); ++col)
        setColumnHidden(col, false);
    ensureCurrent();
    --m_quiet;
    reportPosition();
}

int FlexGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void FlexGrid::setRow(int row)
{
    if (row < 1 || row >= Rows())
        return;
    setCurrentCell(row, qBound(0, Col(), Cols() - 1));
}

int FlexGrid::Col() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_wantedCol;
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= Cols())
        return;
    m_wantedCol = col;
    if (Row() >= 1)
        setCurrentCell(Row(), col);
}

int FlexGrid::TopRow() const
{
    return qBound(1, m_topRow, qMax(1, Rows() - 1));
}

void FlexGrid::setTopRow(int row)
{
    if (Rows() < 2)
        return;
    m_topRow = qBound(1, row, Rows() - 1);
    applyTopRow();
}

void FlexGrid::applyTopRow()
{
    m_settingTopRow = true;
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(m_topRow - 1);
    m_settingTopRow = false;
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return m_model->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    m_model->setText(row, col, text);
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= Cols())
        return 0;
    if (col < m_colTwips.size() && m_colTwips[col] >= 0)
        return m_colTwips[col];
    return isColumnHidden(col) ? 0 : columnWidth(col) * TwipsPerPixel;
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col == -1) {
        for (int c = 0; c < Cols(); ++c)
            setColWidth(c, twips);
        return;
    }
    if (col < 0 || col >= Cols())
        return;
    m_colTwips.resize(Cols(), -1);
    m_colTwips[col] = qMax(0, twips);
    if (twips <= 0) {
        setColumnHidden(col, true);
    } else {
        setColumnHidden(col, false);
        setColumnWidth(col, qMax(1, (twips + TwipsPerPixel / 2) / TwipsPerPixel));
    }
}

void FlexGrid::setFormatString(const QString &format)
{
    const QStringList sections = format.split(QLatin1Char('|'));
    setCols(int(sections.size()));
    for (int col = 0; col < sections.size(); ++col) {
        QString text = sections[col];
        FlexGridModel::Align align = FlexGridModel::Align::General;
        if (text.startsWith(QLatin1Char('<')))
            align = FlexGridModel::Align::Left;
        else if (text.startsWith(QLatin1Char('>')))
            align = FlexGridModel::Align::Right;
        else if (text.startsWith(QLatin1Char('^')))
            align = FlexGridModel::Align::Centre;
        if (align != FlexGridModel::Align::General)
            text.remove(0, 1);
        m_model->setAlignment(col, align);
        m_model->setText(0, col, text);
        const int pixels = fontMetrics().horizontalAdvance(text) + HeaderPadding;
        setColWidth(col, pixels * TwipsPerPixel);
    }
    m_formatString = format;
}

QString FlexGrid::FormatString() const
{
    return m_formatString;
}

void FlexGrid::RemoveItem(int row)
{
    if (row < 1 || row >= Rows())
        return;
    const int current = Row();
    const int col = Col();
    ++m_quiet;
    m_model->removeGridRow(row);
    // The current row keeps its number, as long as that row still exists.
    if (current >= 1)
        setCurrentCell(qMin(current, Rows() - 1), col);
    ensureCurrent();
    --m_quiet;
    reportPosition();
}

void FlexGrid::Clear()
{
    m_model->clearTexts();
}

void FlexGrid::setDataSource(std::shared_ptr<Recordset> source)
{
    ++m_quiet;
    m_model->bind(std::move(source));
    m_colTwips = QVector<int>(Cols(), -1);
    for (int col = 0; col < Cols(); ++col)
        setColumnHidden(col, false);
    m_formatString.clear();
    m_topRow = 1;
    m_wantedCol = 0;
    ensureCurrent();
    --m_quiet;
    reportPosition();
}

std::shared_ptr<Recordset> FlexGrid::DataSource() const
{
    return m_model->source();
}

bool FlexGrid::showsRowsAsRead(const ResultTable &rows) const
{
    return m_model->showsRowsAsRead(rows);
}

void FlexGrid::setCurrentCell(int row, int col)
{
    if (row < 1 || row >= Rows() || col < 0 || col >= Cols())
        return;
    setCurrentIndex(m_model->index(row - 1, col));
}

void FlexGrid::ensureCurrent()
{
    if (currentIndex().isValid() || Rows() < 2 || Cols() < 1)
        return;
    setCurrentCell(1, qBound(0, m_wantedCol, Cols() - 1));
}

void FlexGrid::reportPosition()
{
    if (m_quiet > 0)
        return;
    const int row = Row();
    const int col = Col();
    if (row == m_lastRow && col == m_lastCol)
        return;
    m_lastRow = row;
    m_lastCol = col;
    Guarded([this] { emit RowColChange(); });
}

void FlexGrid::keyPressEvent(QKeyEvent *event)
{
    int keyCode = KeyEvents::keyCodeOf(event);
    if (keyCode != 0) {
        const int shift = KeyEvents::shiftOf(event);
        if (!Guarded([&] { emit KeyDown(keyCode, shift); }))
            keyCode = 0;
        if (keyCode == 0) {
            event->accept();
            return;
        }
    }
    int keyAscii = KeyEvents::keyAsciiOf(event);
    if (keyAscii != 0) {
        if (!Guarded([&] { emit KeyPress(keyAscii); }))
            keyAscii = 0;
        if (keyAscii == 0) {
            event->accept();
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        QTableView::keyPressEvent(event);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        // Left to the window, so that its default and cancel buttons work.
        event->ignore();
        break;
    default:
        // Typed characters do not search the grid; they belong to the handlers above.
        event->accept();
        break;
    }
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    Guarded([this] { emit DblClick(); });
}

void FlexGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Guarded([this] { emit GotFocus(); });
}

void FlexGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Guarded([this] { emit LostFocus(); });
}

void FlexGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if (m_topRow > 1)
        applyTopRow();
}

void FlexGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        m_wantedCol = current.column();
    reportPosition();
}
