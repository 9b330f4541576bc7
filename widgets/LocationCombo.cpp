#include "widgets/LocationCombo.h"

#include "platform/Database.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QEvent>
#include <QLineEdit>

LocationCombo::LocationCombo(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
}

void LocationCombo::setRowSource(std::shared_ptr<Recordset> rowSource, const QString &listField)
{
    const QString text = Text();
    const QSignalBlocker quiet(this);
    clear();
    m_rowSource = std::move(rowSource);
    if (m_rowSource && m_rowSource->IsOpen()) {
        const std::shared_ptr<const ResultTable> table = m_rowSource->table();
        const int column = table ? table->columnIndex(listField) : -1;
        if (table && column < 0)
            throw Error(Error::DatabaseError, QStringLiteral("LocationCombo"),
                        QStringLiteral("Item cannot be found in the collection corresponding to the "
                                       "requested name or ordinal."));
        if (table) {
            QStringList names;
            names.reserve(table->rows.size());
            for (const QVector<QVariant> &row : table->rows)
                names.append(column < row.size() ? row[column].toString() : QString());
            addItems(names);
        }
    } else {
        m_rowSource.reset();
    }
    setCurrentIndex(-1);
    // Filling the list keeps what the box shows, as the data-bound box did.
    setEditText(text);
}

QString LocationCombo::Text() const
{
    return currentText();
}

void LocationCombo::setText(const QString &text)
{
    const int index = findText(text, Qt::MatchFixedString);
    if (index >= 0 && itemText(index) == text)
        setCurrentIndex(index);
    else
        setCurrentIndex(-1);
    setEditText(text);
}

bool LocationCombo::event(QEvent *event)
{
    // Named when shown: by then the form has given it its label.
    if (event->type() == QEvent::Show)
        nameParts();
    return QComboBox::event(event);
}

// A screen reader meets the box's editor and list as controls of their own: they take the box's
// name, or the text of the label that names it.
void LocationCombo::nameParts()
{
    QString name = accessibleName();
    if (QAccessibleInterface *box = QAccessible::queryAccessibleInterface(this); box && name.isEmpty()) {
        const auto labels = box->relations(QAccessible::Label);
        if (!labels.isEmpty())
            name = labels.first().first->text(QAccessible::Name);
    }
    if (name.isEmpty())
        return;
    if (lineEdit())
        lineEdit()->setAccessibleName(name);
    view()->setAccessibleName(name);
}
