#pragma once

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// The analyses: each builds its window's grid from the history, in the window's own steps
// (set up the grid, write the headings, fill). One source file each.

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);

// 偶数奇数の組合せパターン分析: each draw's digits as even or odd, their counts and pattern.
void fillEvenOddPattern(const DrawHistory& history, Sheet& sheet);

// 低数字高数字の組合せパターン分析: each draw's digits as low or high, their counts and pattern.
void fillLowHighPattern(const DrawHistory& history, Sheet& sheet);

// 分割3/5/10データ分析: every draw's four digits marked over the digits tinted by group.
void fillThreeGroupData(const DrawHistory& history, Sheet& sheet);
void fillFiveGroupData(const DrawHistory& history, Sheet& sheet);
void fillTenGroupData(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
