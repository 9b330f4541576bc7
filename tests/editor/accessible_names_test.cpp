#include "editor/frmKitEntry.h"
#include "editor/frmMain.h"
#include "pickers/LogonDialog.h"
#include "pickers/frmDeletePassword.h"
#include "pickers/frmItemLookup.h"
#include "pickers/frmLookup.h"
#include "widgets/FlexGrid.h"
#include "reports/frmReportViewer.h"
#include "tests/support/EditorFixture.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

#include <algorithm>

#include <functional>
#include <memory>

namespace {

QString S(const char *text)
{
    return QString::fromLatin1(text);
}

// Whether a screen reader has a name to say for the control: its own, or the label it is
// labelled by. Qt names a combo box on Unix by its current text, so there only a name of its
// own or its label counts.
bool hasName(QWidget *widget, QAccessibleInterface *control)
{
    if (control->role() != QAccessible::ComboBox && !control->text(QAccessible::Name).trimmed().isEmpty())
        return true;
    if (!widget->accessibleName().isEmpty())
        return true;
    const auto labels = control->relations(QAccessible::Label);
    return std::any_of(labels.begin(), labels.end(), [](const auto &label) {
        return !label.first->text(QAccessible::Name).trimmed().isEmpty();
    });
}

// What a screen reader finds in a window: every control it can move to without a name, and every
// grid column whose heading it does not read as the column's header. Widgets that are no control of
// their own to it (a date box's editor) are left out, as it leaves them out.
QStringList unnamedControls(QWidget *window)
{
    QStringList found;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : widgets) {
        QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
        if (!control || !control->state().focusable)
            continue;
        QAccessibleInterface *parent = control->parent();
        if (widget != window && (!parent || parent->indexOfChild(control) < 0))
            continue;
        const QString where =
            widget->objectName().isEmpty() ? S(widget->metaObject()->className()) : widget->objectName();
        if (!hasName(widget, control))
            found << where;
        auto *grid = qobject_cast<FlexGrid *>(widget);
        QAccessibleTableInterface *table = control->tableInterface();
        if (!grid || !table || table->rowCount() == 0)
            continue;
        for (int col = 0; col < table->columnCount(); ++col) {
            const QList<QAccessibleInterface *> headers =
                table->cellAt(0, col)->tableCellInterface()->columnHeaderCells();
            if (headers.isEmpty() || headers.first()->text(QAccessible::Name) != grid->TextMatrix(0, col))
                found << where + S(" heading of column ") + QString::number(col);
        }
    }
    return found;
}

class AccessibleNamesTest : public EditorFixture
{
protected:
    void TearDown() override
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmReportViewer *>(window))
                window->close();
        }
        EditorFixture::TearDown();
    }

    // The report viewer as "&View" opens it, on a request of the list.
    QWidget *openViewer()
    {
        selectGridRow(S("grdListing"), listRowOf(S(Demo::FiveLineDoc)));
        click(S("cmdView"));
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (qobject_cast<frmReportViewer *>(window) && window->isVisible())
                return window;
        }
        return nullptr;
    }
};

} // namespace

TEST_F(AccessibleNamesTest, EveryControlOfEveryWindowHasAName)
{
    struct Window
    {
        const char *name;
        std::function<QWidget *()> open; // a window shown offscreen
    };
    std::vector<std::unique_ptr<QWidget>> owned;
    auto own = [&owned](QWidget *window) {
        owned.emplace_back(window);
        window->show();
        return window;
    };
    const Window windows[] = {
        {"frmReportViewer", [&] { return openViewer(); }},
        {"frmMain in new mode",
         [&] {
             click(S("cmdNew"));
             return &form();
         }},
        {"LogonDialog", [&] { return own(new LogonDialog); }},
        {"frmItemLookup", [&] { return own(new frmItemLookup); }},
        {"frmKitEntry", [&] { return own(new frmKitEntry); }},
        {"frmDeletePassword", [&] { return own(new frmDeletePassword); }},
        {"frmLookup", [&] { return own(new frmLookup); }},
    };
    for (const Window &window : windows) {
        QWidget *shown = window.open();
        ASSERT_NE(shown, nullptr) << window.name;
        QCoreApplication::processEvents();
        const QStringList unnamed = unnamedControls(shown);
        EXPECT_TRUE(unnamed.isEmpty()) << window.name << ": " << unnamed.join(S(", ")).toStdString();
    }
}
