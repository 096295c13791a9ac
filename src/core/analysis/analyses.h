#pragma once

#include <QString>
#include <algorithm>

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// The width of a column of draw numbers: the window's own, or wider where the latest draw
// number has more digits than that holds (imported histories go beyond draw 9,999).
inline double drawNumberWidth(int latestDrawNo, double designed) {
    return std::max(designed, Sheet::widthForDigits(int(QString::number(latestDrawNo).size())));
}

// The analyses: each builds its window's grid from the history, in the window's own steps
// (set up the grid, write the headings, fill). One source file each.

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);
// 出現回数分析: each draw's digits beside how often each had been drawn before it.
void fillAppearanceCount(const DrawHistory& history, Sheet& sheet);
// 回数別出現分析: the digits grouped by their totals, from the totals of start-up.
void fillCountGroups(const DrawHistory& history, Sheet& sheet);
// 出現間隔分析: each draw's digits beside how many draws ago each was last drawn.
void fillAppearanceInterval(const DrawHistory& history, Sheet& sheet);
// 数字間隔分析: each draw's digits beside their step from the previous draw's digits.
void fillNumberInterval(const DrawHistory& history, Sheet& sheet);

// 分割5傾向分析: each draw's digits tinted by their group of two, and the count per group.
void fillFiveGroupTendency(const DrawHistory& history, Sheet& sheet);

// 下一桁出現傾向分析: per draw, each last digit repeated as often as it occurs.
void fillLastDigitTendency(const DrawHistory& history, Sheet& sheet);

// 下一桁連続出現回数分析: per draw number, how long each last digit's run has lasted.
void fillLastDigitRuns(const DrawHistory& history, Sheet& sheet);

// 数字合計分析: each draw's four digits and their sum.
void fillDigitSum(const DrawHistory& history, Sheet& sheet);

// バラツキ分析: one row per draw, a "●" under each digit it holds.
void fillDispersion(const DrawHistory& history, Sheet& sheet);

// 引っ張り分析: each draw with the digits the draw before it held marked.
void fillPull(const DrawHistory& history, Sheet& sheet);

// 連番飛び石分析: each draw twice, its neighbouring digits one apart and two apart marked.
void fillConsecutiveSkip(const DrawHistory& history, Sheet& sheet);

// 偶数奇数の組合せパターン分析: each draw's digits as even or odd, their counts and pattern.
void fillEvenOddPattern(const DrawHistory& history, Sheet& sheet);

// 低数字高数字の組合せパターン分析: each draw's digits as low or high, their counts and pattern.
void fillLowHighPattern(const DrawHistory& history, Sheet& sheet);

// 分割3/5/10データ分析: every draw's four digits marked over the digits tinted by group.
void fillThreeGroupData(const DrawHistory& history, Sheet& sheet);
void fillFiveGroupData(const DrawHistory& history, Sheet& sheet);
void fillTenGroupData(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
