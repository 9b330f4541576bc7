#pragma once

#include "widgets/FlexGrid.h"
#include "widgets/LocationCombo.h"
#include "shell/Session.h"
#include "tests/support/EditorFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>

#include <functional>

// The request window in new mode, requesting from the emergency room to the central supply, with
// the messages and the trace of the start-up forgotten.
class LinesFixture : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        click(QStringLiteral("cmdNew"));
        auto *to = widget<LocationCombo>(QStringLiteral("cboLocation"));
        to->setText(QString::fromLatin1(Demo::CentralSupply));
        to->setTag(QString::fromLatin1(Demo::CentralSupplyId));
        auto *from = widget<LocationCombo>(QStringLiteral("cboTargetLocation"));
        from->setText(QString::fromLatin1(Demo::EmergencyRoom));
        from->setTag(QString::fromLatin1(Demo::EmergencyRoomId));
        messages().clear();
        clearTrace();
    }

    QString text(const QString &box) const
    {
        if (auto *edit = widget<QLineEdit>(box))
            return edit->text();
        return QString();
    }
    void setText(const QString &box, const QString &value) { widget<QLineEdit>(box)->setText(value); }
    // Puts a text into a box (the unit cost box is read-only to typing) and leaves it with Tab.
    void enterText(const QString &box, const QString &value)
    {
        widget(box)->setFocus();
        processEvents();
        setText(box, value);
        pressTab();
    }
    bool checked(const QString &name) const { return widget<QAbstractButton>(name)->isChecked(); }
    bool shown(const QString &name) const { return !widget(name)->isHidden(); }
    FlexGrid *details() const { return grid(QStringLiteral("grdDetails")); }

    // Enters a code and leaves the box with Tab, as a user does.
    void enterCode(const QString &code)
    {
        typeInto(QStringLiteral("txtProdCode"), code);
        pressTab();
    }
    // A whole line through the keyboard: code, quantity, unit cost (when given), then "&Update".
    void enterLine(const QString &code, const QString &quantity, const QString &unitCost = QString())
    {
        enterCode(code);
        typeInto(QStringLiteral("txtWithdraw"), quantity);
        pressTab();
        if (!unitCost.isNull())
            enterText(QStringLiteral("txtUnitCost"), unitCost);
        click(QStringLiteral("cmdOK"));
    }

    QStringList statementsContaining(const QString &part) const { return trace().filter(part); }

    // Acts on the next modal window that opens (within about two seconds).
    static void onNextModal(std::function<void(QWidget *)> action)
    {
        auto *timer = new QTimer;
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                action(modal);
            } else if (++*tries > 200) {
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start(10);
    }
    // After a modal window closes the offscreen platform does not give the window back its
    // activation by itself.
    void reactivate()
    {
        QApplication::setActiveWindow(&form());
        form().activateWindow();
        processEvents();
    }
    static void clickIn(QWidget *window, const QString &button)
    {
        if (auto *b = window->findChild<QAbstractButton *>(button))
            b->click();
    }
};
