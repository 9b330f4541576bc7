#include "tests/support/EditorFixture.h"

#include "widgets/FlexGrid.h"
#include "widgets/KeySender.h"
#include "shell/Session.h"

#if __has_include("pickers/PickerWindows.h")
#include "pickers/PickerWindows.h"
#define IR_HAS_PICKER_WINDOWS 1
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

EditorFixture::EditorFixture() = default;

EditorFixture::~EditorFixture() = default;

QString EditorFixture::employee() const
{
    return QString::fromLatin1(Demo::ClerkId);
}

void EditorFixture::SetUp()
{
    m_session = std::make_unique<TestSession>(employee());
    m_keySender = std::make_unique<KeySender>();
    gShell = m_keySender.get();
#ifdef IR_HAS_PICKER_WINDOWS
    registerPickerWindows();
#endif
    beforeLoad();
    openWindow();
}

void EditorFixture::TearDown()
{
    m_form.reset();
    gShell = nullptr;
    m_keySender.reset();
    m_session.reset();
}

void EditorFixture::openWindow()
{
    m_form = std::make_unique<frmMain>();
    m_form->Form_Load();
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    m_form->activateWindow();
    (void)QTest::qWaitForWindowExposed(m_form.get());
    (void)QTest::qWaitForWindowActive(m_form.get());
    processEvents();
}

void EditorFixture::reopen()
{
    m_form.reset();
    openWindow();
}

QWidget *EditorFixture::widget(const QString &name) const
{
    QWidget *found = m_form->findChild<QWidget *>(name);
    EXPECT_NE(found, nullptr) << "no control " << name.toStdString();
    return found;
}

void EditorFixture::processEvents()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void EditorFixture::typeInto(const QString &name, const QString &text)
{
    QWidget *box = widget(name);
    if (!box)
        return;
    QWidget *target = box;
    if (auto *combo = qobject_cast<QComboBox *>(box); combo && combo->lineEdit())
        target = combo->lineEdit();
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(5, target->height() / 2));
    processEvents();
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        return;
    if (auto *edit = qobject_cast<QLineEdit *>(focused))
        edit->selectAll();
    else if (auto *combo = qobject_cast<QComboBox *>(focused); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    typeText(text);
}

void EditorFixture::typeText(const QString &text)
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        focused = m_form.get();
    QTest::keyClicks(focused, text);
    processEvents();
}

void EditorFixture::pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        focused = m_form.get();
    QTest::keyClick(focused, key, modifiers);
    processEvents();
}

void EditorFixture::click(const QString &name)
{
    QWidget *control = widget(name);
    if (!control)
        return;
    QPoint at = control->rect().center();
    if (qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control))
        at = QPoint(6, control->height() / 2);
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
    processEvents();
}

static QPoint rowPoint(FlexGrid *grid, int row)
{
    // Grid row r is the view's row r - 1 (row 0 is the header).
    const QModelIndex index = grid->model()->index(row - 1, 0);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}

void EditorFixture::selectGridRow(const QString &gridName, int row)
{
    auto *grid = widget<FlexGrid>(gridName);
    if (!grid)
        return;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(grid, row));
    processEvents();
}

void EditorFixture::doubleClickGridRow(const QString &gridName, int row)
{
    auto *grid = widget<FlexGrid>(gridName);
    if (!grid)
        return;
    const QPoint at = rowPoint(grid, row);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    processEvents();
}

void EditorFixture::clickTab(int index)
{
    QTabBar *bar = widget<QTabWidget>(QStringLiteral("SSTab1"))->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    processEvents();
}

QString EditorFixture::focusName() const
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            return name;
    }
    return QString();
}

void EditorFixture::putLines(std::initializer_list<GridLine> lines)
{
    FlexGrid *details = grid(QStringLiteral("grdDetails"));
    details->setRows(int(lines.size()) + 2);
    int row = 1;
    for (const GridLine &line : lines) {
        details->setTextMatrix(row, 0, QString::fromUtf8(line.code));
        details->setTextMatrix(row, 2, QString::fromUtf8(line.quantity));
        details->setTextMatrix(row, 3, QString::fromUtf8(line.unitCost));
        details->setTextMatrix(row, 5, QString::fromUtf8(line.retail));
        details->setTextMatrix(row, 6, QString::fromUtf8(line.ads));
        ++row;
    }
    for (int col = 0; col < details->Cols(); ++col)
        details->setTextMatrix(row, col, QString());
}

FlexGrid *EditorFixture::grid(const QString &name) const
{
    return widget<FlexGrid>(name);
}

QString EditorFixture::cell(int row, int col) const
{
    return grid(QStringLiteral("grdDetails"))->TextMatrix(row, col);
}

QString EditorFixture::listCell(int row, int col) const
{
    return grid(QStringLiteral("grdListing"))->TextMatrix(row, col);
}

int EditorFixture::listRows() const
{
    return grid(QStringLiteral("grdListing"))->Rows();
}

int EditorFixture::listRowOf(const QString &documentNumber) const
{
    for (int row = 1; row < listRows(); ++row)
        if (listCell(row, 0).trimmed() == documentNumber)
            return row;
    return 0;
}
