#pragma once

#include "core/store/drawhistory.h"
#include "core/sheet/sheet.h"

namespace pirumoa {

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
