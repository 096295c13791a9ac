#pragma once

#include "shell/drawhistory.h"
#include "shell/sheet.h"

namespace pirumoa {

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
