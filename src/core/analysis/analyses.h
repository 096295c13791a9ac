#pragma once

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// The analyses: each builds its window's grid from the history, in the window's own steps
// (set up the grid, write the headings, fill). One source file each.

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);

// 数字合計分析: each draw's four digits and their sum.
void fillDigitSum(const DrawHistory& history, Sheet& sheet);

// バラツキ分析: one row per draw, a "●" under each digit it holds.
void fillDispersion(const DrawHistory& history, Sheet& sheet);

// 引っ張り分析: each draw with the digits the draw before it held marked.
void fillPull(const DrawHistory& history, Sheet& sheet);

// 連番飛び石分析: each draw twice, its neighbouring digits one apart and two apart marked.
void fillConsecutiveSkip(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
