#include "editor/ProposedLines.h"

#include "editor/DetailGrid.h"
#include "widgets/FlexGrid.h"
#include "records/OfferedStock.h"
#include "shell/NumberText.h"
#include "shell/Session.h"
#include "ui_frmMain.h"

#include <cmath>

namespace {

const QString QuantityFormat = QStringLiteral("#########0");
const QString CostFormat = QStringLiteral("########0.0000");
const QString TotalFormat = QStringLiteral("###,###,##0.0000");

QString Flag(bool on)
{
    return on ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace

LineRules LineRules::current(const Ui::frmMain &ui)
{
    LineRules rules;
    rules.retailAllowed = ui.optConsumed_0->isEnabled();
    rules.stockAtDepartment = gClientName == QLatin1String("BEX");
    rules.refuseZeroOnHand = gAllowWDZeroOnHand;
    rules.cutToOnHand = IsSwitchOn(QStringLiteral("5"));
    return rules;
}

double LineRules::stockOf(const OfferedItem &item) const
{
    return stockAtDepartment ? item.onHand : item.locationOnHand;
}

std::optional<ProposedLine> LineRules::make(const OfferedItem &item, double quantity, bool retail) const
{
    const double onHand = stockOf(item);
    if (refuseZeroOnHand && onHand <= 0)
        return std::nullopt;

    ProposedLine line;
    if (cutToOnHand && quantity > onHand) {
        quantity = std::floor(onHand);
        line.cutToStock = true;
        if (quantity <= 0)
            return std::nullopt;
    }

    // The texts "&Update" writes: the validated quantity, the unit cost proposed from the
    // average cost, their total, and the flags.
    line.code = item.itemId;
    line.name = item.name;
    line.quantity = Format(quantity, QuantityFormat);
    line.unitCost = Format(item.averageCost, CostFormat);
    line.total = Format(Val(line.quantity) * Val(line.unitCost), TotalFormat);
    line.retail = Flag(retail && retailAllowed);
    line.ads = Flag(stockAtDepartment ? item.departmentIsADS : item.locationIsADS);
    return line;
}

QSet<QString> GridItemCodes(const FlexGrid &grid)
{
    QSet<QString> codes;
    for (int row = 1; row < grid.Rows(); ++row) {
        const QString code = grid.TextMatrix(row, 0).trimmed();
        if (!code.isEmpty())
            codes.insert(code.toUpper());
    }
    return codes;
}

int AppendLines(FlexGrid &grid, const std::vector<ProposedLine> &lines)
{
    if (lines.empty())
        return 0;
    // The blank new-line row, when there is one, takes the first line (a kit expansion leaves none).
    int row = grid.Rows() - 1;
    if (row < 1 || !grid.TextMatrix(row, 0).trimmed().isEmpty())
        row = grid.Rows();
    const int first = row;
    grid.setRows(row + int(lines.size()) + 1);
    for (const ProposedLine &line : lines) {
        const QString cells[] = {line.code,  line.name,   line.quantity, line.unitCost,
                                 line.total, line.retail, line.ads};
        for (int col = 0; col < 7 && col < grid.Cols(); ++col)
            grid.setTextMatrix(row, col, cells[col]);
        ++row;
    }
    for (int col = 0; col < grid.Cols(); ++col)
        grid.setTextMatrix(row, col, QString());
    return first;
}

int AddToRequest(Ui::frmMain &ui, DetailGrid &details, const std::vector<ProposedLine> &lines)
{
    FlexGrid &grid = *ui.grdDetails;
    const int before = grid.Row();
    const int first = AppendLines(grid, lines);
    if (first > 0)
        grid.setRow(first);
    // Moving to the first line appended copied it into the entry area already, unless it was the
    // current row (the blank row it filled).
    if (first > 0 && grid.Row() == before)
        details.LoadGridRow();
    details.ComputeGrandTotal();
    details.ShowLineCounter();
    ui.txtTotalCounter->setVisible(true);
    return first;
}
