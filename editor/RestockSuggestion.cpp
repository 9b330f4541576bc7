#include "editor/RestockSuggestion.h"

#include "editor/ProposedLines.h"
#include "platform/Messages.h"
#include "widgets/Application.h"
#include "widgets/FlexGrid.h"
#include "widgets/WaitCursor.h"
#include "records/OfferedStock.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

namespace {

QString Lines(int count)
{
    return count == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(count);
}

QString Items(int count)
{
    return count == 1 ? QStringLiteral("1 stocked item") : QStringLiteral("%1 stocked items").arg(count);
}

} // namespace

RestockSuggestion::RestockSuggestion(Ui::frmMain &ui, DetailGrid &lines) : m_ui(ui), m_lines(lines)
{
    connect(ui.cmdSuggest, &QPushButton::clicked, this, GuardedSlot([this] { cmdSuggest_Click(); }));
    connect(ui.grdDetails, &FlexGrid::RowColChange, this, [this] { showBasisOfCurrentLine(); });
    showText(QString(), QString());
}

RestockSuggestion::~RestockSuggestion() = default;

void RestockSuggestion::cmdSuggest_Click()
{
    Ui::frmMain &ui = m_ui;
    const QString department = ui.cboTargetLocation->Tag().trimmed();
    const QString location = ui.cboLocation->Tag().trimmed();
    if (department.isEmpty() || location.isEmpty()) {
        MsgBox(QStringLiteral("Choose the department the request is from and the location it goes to first."),
               MsgButtons::OK, MsgIcon::Information, QStringLiteral("MESSAGE"));
        return;
    }

    WaitCursor wait;
    const std::vector<OfferedItem> offered =
        ReadOfferedStock(CurrentConnection(), department, location, ui.txtDocNum->text());
    const LineRules rules = LineRules::current(ui);
    FlexGrid &grid = *ui.grdDetails;
    const QSet<QString> inGrid = GridItemCodes(grid);

    // The bases of lines an earlier suggestion proposed stay: those lines are still in the grid.
    std::vector<ProposedLine> lines;
    int withoutLevels = 0, belowMinimum = 0, refused = 0;
    for (const OfferedItem &item : offered) {
        if (!item.hasLevels) {
            ++withoutLevels;
            continue;
        }
        const double quantity = RestockQuantity(item);
        if (item.onHand <= item.minimum)
            ++belowMinimum;
        if (quantity <= 0 || inGrid.contains(item.itemId.toUpper()))
            continue;
        const std::optional<ProposedLine> line = rules.make(item, quantity, true);
        if (!line) {
            ++refused;
            continue;
        }
        lines.push_back(*line);
        m_basis.insert(item.itemId.toUpper(),
                       Basis{item.onHand, item.minimum, item.maximum, item.openQuantity, line->cutToStock});
    }

    QString summary;
    if (belowMinimum == 0)
        summary = QStringLiteral("Nothing is below its minimum");
    else
        summary = Lines(int(lines.size())) + QStringLiteral(" proposed");
    if (refused > 0)
        summary += QStringLiteral(", %1 left out: the location holds none to give").arg(refused);
    summary += QStringLiteral("; ") + Items(withoutLevels) + QStringLiteral(" without stock levels.");
    m_summary = summary;

    const int first = AddToRequest(ui, m_lines, lines);
    showBasisOfCurrentLine();
    if (first > 0)
        grid.setFocus(Qt::OtherFocusReason);
}

const RestockSuggestion::Basis *RestockSuggestion::basisOf(const QString &itemId) const
{
    const auto found = m_basis.constFind(itemId.trimmed().toUpper());
    return found == m_basis.constEnd() ? nullptr : &found.value();
}

void RestockSuggestion::forget()
{
    m_basis.clear();
    m_summary.clear();
    showText(QString(), QString());
}

void RestockSuggestion::showBasisOfCurrentLine()
{
    if (m_summary.isEmpty())
        return;
    const FlexGrid &grid = *m_ui.grdDetails;
    const int row = grid.Row();
    const Basis *basis = row >= 1 && row < grid.Rows() ? basisOf(grid.TextMatrix(row, 0)) : nullptr;
    QString text;
    if (basis) {
        text = QStringLiteral("Proposed from: on hand %1, minimum %2, maximum %3, open requests %4")
                   .arg(GeneralNumber(basis->onHand), GeneralNumber(basis->minimum),
                        GeneralNumber(basis->maximum), GeneralNumber(basis->openQuantity));
        if (basis->cutToStock)
            text += QStringLiteral("; cut to the stock of the location");
    }
    showText(m_summary, text);
}

void RestockSuggestion::showText(const QString &summary, const QString &basis)
{
    QLabel *label = m_ui.lblSuggestion;
    label->setText(basis.isEmpty() ? summary : summary + QLatin1Char('\n') + basis);
    label->setVisible(!summary.isEmpty());
}
