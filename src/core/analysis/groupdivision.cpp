#include "core/analysis/analyses.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kColumns = 42;
constexpr int kHeaderRows = 3;
constexpr int kLastColumn = kColumns;

// The ten columns of position k (1 … 4) and the column of digit d in it.
constexpr int blockFirst(int k) { return 10 * (k - 1) + 2; }
constexpr int blockLast(int k) { return 10 * (k - 1) + 11; }
constexpr int digitColumn(int k, int d) { return 10 * (k - 1) + d + 2; }

// A run of digits with one letter: its heading, and its columns' tint if it has one.
struct Group {
    int first, last;
    QString heading;
    Rgb tint;
    bool tinted;
};

struct Division {
    std::vector<Group> groups;
};

Group tinted(int first, int last, const QString& heading, Rgb tint) {
    return {first, last, heading, tint, true};
}
Group plain(int first, int last, const QString& heading) {
    return {first, last, heading, 0, false};
}

const Division& division(int groups) {
    static const Division three{{
        tinted(0, 2, u"　　 Ａ "_s, colour::PaleAqua),
        plain(3, 5, u"　　 Ｂ "_s),
        tinted(6, 9, u"　　　 Ｃ 　　"_s, colour::LightGreen),
    }};
    static const Division five{{
        tinted(0, 1, u"　Ａ "_s, colour::PaleAqua),
        plain(2, 3, u"　Ｂ "_s),
        tinted(4, 5, u"　Ｃ "_s, colour::LightGreen),
        plain(6, 7, u"　Ｄ "_s),
        tinted(8, 9, u"　Ｅ "_s, colour::LightViolet),
    }};
    static const Division ten{{
        tinted(0, 0, u"Ａ"_s, colour::PaleAqua),
        tinted(1, 1, u"Ｂ"_s, colour::LightGreen),
        tinted(2, 2, u"Ｃ"_s, colour::LightViolet),
        tinted(3, 3, u"Ｄ"_s, colour::Lavender),
        plain(4, 4, u"Ｅ"_s),
        tinted(5, 5, u"Ｆ"_s, colour::PaleAqua),
        tinted(6, 6, u"Ｇ"_s, colour::LightGreen),
        tinted(7, 7, u"Ｈ"_s, colour::LightViolet),
        tinted(8, 8, u"Ｉ"_s, colour::Lavender),
        plain(9, 9, u"Ｊ"_s),
    }};
    return groups == 3 ? three : groups == 5 ? five : ten;
}

void setUpGrid(Sheet& s, const Division& div, int rows, double drawWidth) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(kHeaderRows);
    s.setRowHeight(-1, 9);
    s.setRowHeight(1, 15);
    s.setRowHeight(2, 12);
    s.setColumnWidth(-1, 2);
    s.setColumnWidth(1, drawWidth);
    s.setColumnWidth(kLastColumn, drawWidth);
    s.setCellType({-1, -1, -1, -1}, CellType::Static);
    s.setAlign({-1, -1, -1, -1}, Align::Center);

    s.setBorder({1, 3, kColumns, rows}, AllSides, colour::LightBlue);
    for (int k = 1; k <= 4; ++k)
        s.setBorder({blockFirst(k), 1, blockLast(k), 1}, Outline, colour::LightBlue);

    s.setOverflow(true);
    for (int k = 1; k <= 4; ++k)
        s.setText(blockFirst(k), 1, u"　　　　当選数字(第%1数字)　　　　"_s.arg(k));
    s.setAlign({2, 1, 41, 1}, Align::Left);
    s.setBackground({2, 1, 41, 1}, colour::LightPink);

    for (int col : {1, kLastColumn}) {
        s.setForeground({col, 1, col, rows}, colour::Red);
        s.setBackground({col, 1, col, rows}, colour::LightYellow);
    }
    for (int k = 1; k <= 4; ++k)
        for (const Group& g : div.groups)
            if (g.tinted)
                s.setBackground({digitColumn(k, g.first), 2, digitColumn(k, g.last), rows}, g.tint);
    s.setActiveCell(0, 0);
}

void writeHeaders(Sheet& s, const Division& div) {
    for (int k = 1; k <= 4; ++k)
        for (const Group& g : div.groups) {
            const Block cells{digitColumn(k, g.first), 2, digitColumn(k, g.last), 2};
            s.clearBorder(cells);
            s.setBorder(cells, Outline, colour::LightBlue);
        }
    for (int k = 1; k <= 4; ++k)
        for (const Group& g : div.groups) {
            const int col = digitColumn(k, g.first);
            s.setText(col, 2, g.heading);
            s.setAlign({col, 2, col, 2}, Align::Left);
        }
    s.setText(1, 3, u"回数"_s);
    for (int k = 1; k <= 4; ++k)
        for (int d = 0; d <= 9; ++d) s.setNumber(digitColumn(k, d), 3, d);
    s.setText(kLastColumn, 3, u"回数"_s);
    // Only the first position's digits are picked out.
    s.setForeground({blockFirst(1), 3, blockLast(1), 3}, colour::Blue);
}

void fillMarks(const DrawHistory& history, Sheet& s) {
    const QString mark = u"●"_s;
    int row = kHeaderRows + 1;
    history.forEachComplete([&](const DrawRecord& r) {
        const QString no = QString::number(r.no);
        s.setText(1, row, no);
        s.setText(kLastColumn, row, no);
        for (int k = 1; k <= 4; ++k) {
            const int col = digitColumn(k, r.digits[k - 1]);
            s.setText(col, row, mark);
            s.setForeground({col, row, col, row}, colour::MidBlue);
        }
        ++row;
    });
}

void fillGroupDivision(const DrawHistory& history, Sheet& sheet, int groups) {
    const Division& div = division(groups);
    setUpGrid(sheet, div, history.latestDrawNo + kHeaderRows,
              drawNumberWidth(history.latestDrawNo, 6));
    writeHeaders(sheet, div);
    fillMarks(history, sheet);
}

}  // namespace

void fillThreeGroupData(const DrawHistory& history, Sheet& sheet) {
    fillGroupDivision(history, sheet, 3);
}

void fillFiveGroupData(const DrawHistory& history, Sheet& sheet) {
    fillGroupDivision(history, sheet, 5);
}

void fillTenGroupData(const DrawHistory& history, Sheet& sheet) {
    fillGroupDivision(history, sheet, 10);
}

}  // namespace pirumoa
