#include "core/prediction/backtestsheets.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace pirumoa {

namespace {

QString percent(double rate) {
    const double v = rate * 100;
    const int decimals = v >= 10 ? 1 : v >= 1 ? 2 : v >= 0.1 ? 3 : 4;
    return QString::number(v, 'f', v == 0 ? 0 : decimals) + QLatin1Char('%');
}

// A bound of the range: whole numbers where they are exact quantiles.
QString bound(double value, const ChanceRange& r) {
    return r.exact ? QString::number(static_cast<long long>(value))
                   : QString::number(value, 'f', 6);
}

// The window shows the range as the hit counts inside it, which a bound of the normal
// approximation says with a fraction.
QString hitCounts(const ChanceRange& r) {
    const double low = std::ceil(r.low - 1e-9), high = std::floor(r.high + 1e-9);
    if (low > high)
        return QString::number(r.low, 'f', 1) + QStringLiteral("～") +
               QString::number(r.high, 'f', 1);
    return QString::number(static_cast<long long>(low)) + QStringLiteral("～") +
           QString::number(static_cast<long long>(high));
}

QString pText(double p) {
    if (p < 0.001) return QStringLiteral("0.001未満");
    return QString::number(p, 'f', 3);
}

// The mark of a value that is not shown: no trials, or a ratio of fewer than five expected
// hits, which jumps with every single hit.
const QString kNone = QStringLiteral("－");

QString ratioText(const BacktestTally& t) {
    return t.ratio() >= 0 && !t.fewExpected() ? QString::number(t.ratio(), 'f', 3) : kNone;
}

// The width in grid units (6 px) that shows a text whole in the grid's font, a P Gothic of
// 12 px, to half a unit: a digit takes 7.5 px, a comma, a point or a space 3, a percent sign 10,
// another Latin character at most 8, a full-width bracket 7, any other character (kana,
// kanji, full-width signs) at most 12. The 5 px a column has beyond its units hold the
// margins and the line.
double textUnits(QStringView text) {
    double px = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        px += u >= u'0' && u <= u'9'                   ? 7.5
              : u == u',' || u == u'.' || u == u' '    ? 3
              : u == u'%'                              ? 10
              : u < 0x80                               ? 8
              : u == u'（' || u == u'）' || u == u'・' ? 7
                                                       : 12;
    }
    return std::ceil(px / 3) / 2;  // halves, which a sheet holds exactly
}

// Each column as wide as its widest text in the rows first … last.
void fitColumns(Sheet& s, int first, int last) {
    for (int c = 1; c <= s.columnCount(); ++c) {
        double units = 1;
        for (int r = first; r <= last; ++r) units = std::max(units, textUnits(s.text(c, r)));
        s.setColumnWidth(c, units);
    }
}

// The text of (col, row) that runs over the columns first … last: the last grows where they
// are too narrow for it.
void fitRunOver(Sheet& s, int col, int row, int first, int last) {
    // A column is 5 px wider than its units: all but one of them add that to the room.
    double room = (last - first) * 5.0 / 6.0;
    for (int c = first; c <= last; ++c) room += s.columnWidth(c);
    const double need = textUnits(s.text(col, row));
    if (room < need) s.setColumnWidth(last, s.columnWidth(last) + std::ceil((need - room) * 2) / 2);
}

}  // namespace

void fillBacktestSheet(const Backtest& backtest, Sheet& s) {
    const auto& tallies = backtest.tallies();
    constexpr int kColumns = 11, kHeadRows = 2;
    const int lastTallyRow = kHeadRows + int(tallies.size());
    const int rows = lastTallyRow + 1;
    s = Sheet();
    s.setSize(kColumns, rows);
    s.setFrozenRows(kHeadRows);
    s.setOverflow(true);  // the group headings and the overall verdict run over their columns
    s.setRowHeight(-1, 10);
    s.setRowHeight(1, 12);
    s.setRowHeight(2, 12);
    s.setRowHeight(rows, 12);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setBorder({1, 1, kColumns, lastTallyRow}, AllSides, colour::LightBlue);
    s.setBackground({1, 1, kColumns, kHeadRows}, colour::LightYellow);
    s.setBackground({1, 1, 1, lastTallyRow}, colour::LightYellow);

    // Row 1 groups what the method did and what chance gives; the columns that have no group
    // are one box over both heading rows.
    const char16_t* headings[kColumns] = {u"手法",    u"測り方", u"予想数", u"的中数",
                                          u"的中率",  u"的中率", u"期待値", u"的中÷期待値",
                                          u"95%範囲", u"p値",    u"判定"};
    for (int c = 1; c <= kColumns; ++c) s.setText(c, 2, QString::fromUtf16(headings[c - 1]));
    for (const Block& box : {Block{1, 1, 1, 2}, Block{2, 1, 2, 2}, Block{11, 1, 11, 2},
                             Block{3, 1, 5, 1}, Block{6, 1, 10, 1}}) {
        s.clearBorder(box);
        s.setBorder(box, Outline, colour::LightBlue);
    }
    s.setText(Sheet::midway(3, 5), 1, QStringLiteral("予想の成績"));
    s.setText(Sheet::midway(6, 10), 1, QStringLiteral("偶然（無作為に選んだ予想）なら"));
    s.setForeground({3, 1, 10, 1}, colour::Blue);

    for (std::size_t i = 0; i < tallies.size(); ++i) {
        const BacktestTally& t = tallies[i];
        const int row = kHeadRows + 1 + int(i);
        // A method's measures share one label box.
        const bool first = i == 0 || tallies[i - 1].method() != t.method();
        if (first) {
            std::size_t last = i;
            while (last + 1 < tallies.size() && tallies[last + 1].method() == t.method()) ++last;
            const int lastRow = kHeadRows + 1 + int(last);
            s.clearBorder({1, row, 1, lastRow});
            s.setBorder({1, row, 1, lastRow}, Outline, colour::LightBlue);
            s.setText(1, (row + lastRow) / 2, methodLabel(t.method()));  // the upper of two
        }
        s.setText(2, row, measureLabel(t.measure()));
        s.setNumber(3, row, t.predictions());
        s.setNumber(4, row, t.hits());
        const bool any = t.trials() > 0;
        s.setText(5, row, any ? percent(t.hitRate()) : kNone);
        s.setText(6, row, any ? percent(t.chanceRate()) : kNone);
        s.setText(7, row, QString::number(t.expected(), 'f', 2));
        s.setText(8, row, ratioText(t));
        s.setText(9, row, any ? hitCounts(t.range()) : kNone);
        s.setText(10, row, any ? pText(t.twoSidedP()) : kNone);
        const Verdict v = t.verdict();
        s.setText(11, row, verdictText(v));
        if (v == Verdict::More) s.setBackground({11, row, 11, row}, colour::LightGreen);
        if (v == Verdict::Fewer) s.setBackground({11, row, 11, row}, colour::LightPink);
    }
    const OverallVerdict overall = overallVerdict(tallies);
    s.setAlign({1, rows, kColumns, rows}, Align::Left);
    s.setText(1, rows, overallText(overall, tallies));
    if (overall.decided)
        s.setBackground({1, rows, kColumns, rows},
                        overall.departing.empty() ? colour::White : colour::LightGreen);
    s.setBorder({1, rows, kColumns, rows}, Outline, colour::LightBlue);
    // Every column shows its texts whole, and the group headings and the verdict, which run
    // over several, have the room.
    fitColumns(s, kHeadRows, lastTallyRow);
    fitRunOver(s, Sheet::midway(3, 5), 1, 3, 5);
    fitRunOver(s, Sheet::midway(6, 10), 1, 6, 10);
    fitRunOver(s, 1, rows, 1, kColumns);
    s.setActiveCell(0, 0);
}

void fillBacktestYenSheet(const std::vector<YenTally>& yen, Sheet& s) {
    constexpr int kColumns = 9, kHeadRows = 1;
    const int rows = kHeadRows + int(yen.size());
    s = Sheet();
    s.setSize(kColumns, rows);
    s.setFrozenRows(kHeadRows);
    s.setRowHeight(1, 12);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);
    s.setBorder({1, 1, kColumns, rows}, AllSides, colour::LightBlue);
    s.setBackground({1, 1, kColumns, 1}, colour::LightYellow);
    s.setBackground({1, 1, 1, rows}, colour::LightYellow);
    const char16_t* headings[kColumns] = {u"手法",         u"買い方",        u"購入回数",
                                          u"購入額",       u"当せん金",      u"回収率",
                                          u"偶然の期待額", u"偶然の95%範囲", u"金額不明"};
    for (int c = 1; c <= kColumns; ++c) s.setText(c, 1, QString::fromUtf16(headings[c - 1]));
    const QString& none = kNone;
    for (std::size_t i = 0; i < yen.size(); ++i) {
        const YenTally& y = yen[i];
        const int row = kHeadRows + 1 + int(i);
        if (i % 2 == 0) {
            s.clearBorder({1, row, 1, row + 1});
            s.setBorder({1, row, 1, row + 1}, Outline, colour::LightBlue);
            s.setText(1, row, methodLabel(y.method));
        }
        s.setText(2, row, typeLabel(y.type));
        s.setNumber(3, row, y.bets);
        s.setText(4, row, yenText(y.cost()));
        s.setText(5, row, yenText(y.won));
        s.setText(6, row,
                  y.bets ? QString::number(y.returnPercent(), 'f', 1) + QLatin1Char('%') : none);
        s.setText(7, row, y.bets ? yenText(llround(y.chance.expected)) : none);
        s.setText(
            8, row,
            y.bets ? yenText(y.chance.low) + QStringLiteral("～") + yenText(y.chance.high) : none);
        s.setText(9, row, y.noPrize ? QStringLiteral("%1回").arg(y.noPrize) : QStringLiteral("0"));
        if (y.bets && y.won > y.chance.high) s.setBackground({5, row, 5, row}, colour::LightGreen);
        if (y.bets && y.won < y.chance.low) s.setBackground({5, row, 5, row}, colour::LightPink);
    }
    fitColumns(s, 1, rows);
    s.setActiveCell(0, 0);
}

namespace {

const YenTally* yenFor(const std::vector<YenTally>& yen, const BacktestTally& t) {
    for (const YenTally& y : yen)
        if (y.method == t.method() &&
            ((t.measure() == BacktestMeasure::Straight && y.type == TicketType::Straight) ||
             (t.measure() == BacktestMeasure::Box && y.type == TicketType::Box)))
            return &y;
    return nullptr;
}

}  // namespace

QByteArray backtestToTsv(const Backtest& backtest, const PrizeTable& prizes) {
    const std::vector<YenTally> yen = backtestYen(backtest, prizes);
    QString out = QStringLiteral(
        "method\tmeasure\tpredictions\thits\texpected\tratio\tlow\thigh\tverdict\tp\tcost\twon\t"
        "chance_yen\tchance_low\tchance_high\tno_prize\n");
    for (const BacktestTally& t : backtest.tallies()) {
        const ChanceRange r = t.range();
        QStringList fields = {
            methodLabel(t.method()),
            measureLabel(t.measure()),
            QString::number(t.predictions()),
            QString::number(t.hits()),
            QString::number(t.expected(), 'f', 6),
            // Where the window shows no ratio or p, neither does the table.
            t.ratio() >= 0 && !t.fewExpected() ? QString::number(t.ratio(), 'f', 6) : kNone,
            bound(r.low, r),
            bound(r.high, r),
            verdictText(t.verdict()),
            t.trials() ? QString::number(t.twoSidedP(), 'g', 6) : kNone,
        };
        if (const YenTally* y = yenFor(yen, t))
            fields << QString::number(y->cost()) << QString::number(y->won)
                   << QString::number(y->chance.expected, 'f', 2) << QString::number(y->chance.low)
                   << QString::number(y->chance.high) << QString::number(y->noPrize);
        else
            fields << QString() << QString() << QString() << QString() << QString() << QString();
        out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    const OverallVerdict v = overallVerdict(backtest.tallies());
    out += QStringLiteral("overall\tHolm\t%1\t%2\t\t\t\t\t%3\n")
               .arg(v.rows)
               .arg(v.departing.size())
               .arg(!v.decided            ? verdictText(Verdict::Undecided)
                    : v.departing.empty() ? verdictText(Verdict::Within)
                                          : QStringLiteral("偶然と違う行あり"));
    return out.toUtf8();
}

QByteArray backtestToJson(const Backtest& backtest, const PrizeTable& prizes) {
    const std::vector<YenTally> yen = backtestYen(backtest, prizes);
    QJsonArray reflect;
    for (int i = 0; i < kReflectOptionCount; ++i)
        if (backtest.options()[std::size_t(i)]) reflect.append(i);
    QJsonArray lines;
    for (const BacktestTally& t : backtest.tallies()) {
        const ChanceRange r = t.range();
        QJsonObject line{
            {QStringLiteral("method"), methodLabel(t.method())},
            {QStringLiteral("measure"), measureLabel(t.measure())},
            {QStringLiteral("predictions"), double(t.predictions())},
            {QStringLiteral("trials"), double(t.trials())},
            {QStringLiteral("hits"), double(t.hits())},
            {QStringLiteral("expected"), t.expected()},
            {QStringLiteral("hitRate"), t.hitRate()},
            {QStringLiteral("chanceRate"), t.chanceRate()},
            {QStringLiteral("ratio"),
             t.ratio() >= 0 && !t.fewExpected() ? QJsonValue(t.ratio()) : QJsonValue()},
            {QStringLiteral("low"), r.low},
            {QStringLiteral("high"), r.high},
            {QStringLiteral("exactRange"), r.exact},
            {QStringLiteral("p"), t.trials() ? QJsonValue(t.twoSidedP()) : QJsonValue()},
            {QStringLiteral("leftOut"), double(t.leftOut())},
            {QStringLiteral("verdict"), verdictText(t.verdict())},
        };
        if (const YenTally* y = yenFor(yen, t))
            line.insert(QStringLiteral("yen"),
                        QJsonObject{{QStringLiteral("bets"), double(y->bets)},
                                    {QStringLiteral("cost"), double(y->cost())},
                                    {QStringLiteral("won"), double(y->won)},
                                    {QStringLiteral("chanceExpected"), y->chance.expected},
                                    {QStringLiteral("chanceLow"), double(y->chance.low)},
                                    {QStringLiteral("chanceHigh"), double(y->chance.high)},
                                    {QStringLiteral("noPrize"), double(y->noPrize)}});
        lines.append(line);
    }
    const OverallVerdict v = overallVerdict(backtest.tallies());
    QJsonArray departing;
    for (std::size_t i : v.departing) departing.append(double(i));
    const QJsonObject root{
        {QStringLiteral("reflect"), reflect},
        {QStringLiteral("predictedDraws"), double(backtest.predictedDraws())},
        {QStringLiteral("lines"), lines},
        {QStringLiteral("overall"),
         QJsonObject{{QStringLiteral("rows"), v.rows},
                     {QStringLiteral("decided"), v.decided},
                     {QStringLiteral("departing"), departing},
                     {QStringLiteral("text"), overallText(v, backtest.tallies())}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

}  // namespace pirumoa
