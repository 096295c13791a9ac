#include "core/tickets/ticketsheet.h"

#include "core/sheet/colours.h"
#include "core/store/labels.h"

namespace pirumoa {

QString prizeCell(const TicketLine& line) {
    if (line.result == TicketResult::Pending) return QString();
    if (line.prize < 0) return QStringLiteral("当せん (金額不明)");
    return yenText(line.prize);
}

QString returnText(const TicketTotals& totals) {
    const double r = totals.returnPercent();
    return r < 0 ? QStringLiteral("－") : QString::number(r, 'f', 1) + QLatin1Char('%');
}

void fillTicketSheet(const TicketCheck& check, Sheet& s) {
    constexpr int kColumns = 5, kHeadRows = 1;
    const int rows = kHeadRows + int(check.lines.size());
    s = Sheet();
    s.setSize(kColumns, rows);
    s.setFrozenRows(kHeadRows);
    const double widths[kColumns] = {8, 12, 10, 22, 18};
    for (int c = 1; c <= kColumns; ++c) s.setColumnWidth(c, widths[c - 1]);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::LightBlue);
    s.setBackground({1, 1, kColumns, 1}, colour::LightYellow);
    const char16_t* headings[kColumns] = {u"回数", u"抽せん日", u"当せん数字", u"結果",
                                          u"当せん金"};
    for (int c = 1; c <= kColumns; ++c) s.setText(c, 1, QString::fromUtf16(headings[c - 1]));
    for (std::size_t i = 0; i < check.lines.size(); ++i) {
        const TicketLine& l = check.lines[i];
        const int row = kHeadRows + 1 + int(i);
        s.setText(1, row, drawLabel(l.drawNo));
        s.setText(2, row, l.date);
        if (l.result != TicketResult::Pending) s.setText(3, row, numberText(l.drawn));
        s.setText(4, row, resultLabel(l.result));
        s.setText(5, row, prizeCell(l));
        if (l.result == TicketResult::Pending)
            s.setBackground({1, row, kColumns, row}, colour::LightGrey);
        else if (isWin(l.result))
            s.setBackground({1, row, kColumns, row},
                            l.prize < 0 ? colour::LightYellow : colour::LightGreen);
    }
    s.setActiveCell(0, 0);
}

}  // namespace pirumoa
