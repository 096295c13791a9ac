#include "core/analysis/groupdivision.h"

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

struct Group {
    int first, last;  // digits
    QChar letter;
    QString heading;
    Rgb tint;
    bool tinted;
};

struct Division {
    std::vector<Group> groups;
};

Group tinted(int first, int last, QChar letter, const QString& heading, Rgb tint) {
    return {first, last, letter, heading, tint, true};
}
Group plain(int first, int last, QChar letter, const QString& heading) {
    return {first, last, letter, heading, 0, false};
}

const Division& division(int groups) {
    static const Division three{{
        tinted(0, 2, u'Ａ', u"　　 Ａ "_s, colour::PaleAqua),
        plain(3, 5, u'Ｂ', u"　　 Ｂ "_s),
        tinted(6, 9, u'Ｃ', u"　　　 Ｃ 　　"_s, colour::LightGreen),
    }};
    static const Division five{{
        tinted(0, 1, u'Ａ', u"　Ａ "_s, colour::PaleAqua),
        plain(2, 3, u'Ｂ', u"　Ｂ "_s),
        tinted(4, 5, u'Ｃ', u"　Ｃ "_s, colour::LightGreen),
        plain(6, 7, u'Ｄ', u"　Ｄ "_s),
        tinted(8, 9, u'Ｅ', u"　Ｅ "_s, colour::LightViolet),
    }};
    static const Division ten = [] {
        // Two runs of five tints, the fifth and tenth digits left plain.
        const Rgb tints[4] = {colour::PaleAqua, colour::LightGreen, colour::LightViolet,
                              colour::Lavender};
        Division div;
        for (int d = 0; d <= 9; ++d) {
            const QChar letter(char16_t(u'Ａ' + d));
            div.groups.push_back(d % 5 == 4 ? plain(d, d, letter, QString(letter))
                                            : tinted(d, d, letter, QString(letter), tints[d % 5]));
        }
        return div;
    }();
    return groups == 3 ? three : groups == 5 ? five : ten;
}

void setUpGrid(Sheet& s, const Division& div, int rows) {
    s.setSize(kColumns, rows);
    s.setFrozenRows(kHeaderRows);
    s.setRowHeight(-1, 9);
    s.setRowHeight(1, 15);
    s.setRowHeight(2, 12);
    s.setColumnWidth(-1, 2);
    s.setColumnWidth(1, 6);
    s.setColumnWidth(kLastColumn, 6);
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
    setUpGrid(sheet, div, history.LatestDrawNo + kHeaderRows);
    writeHeaders(sheet, div);
    fillMarks(history, sheet);
}

}  // namespace

QChar groupLetter(int groups, int digit) {
    for (const Group& g : division(groups).groups)
        if (digit >= g.first && digit <= g.last) return g.letter;
    return QChar();
}

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
