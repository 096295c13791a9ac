#pragma once

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// 出現頻度分析: a column chart of "●" marks, one column per digit.
void fillAppearanceFrequency(const DrawHistory& history, Sheet& sheet);

}  // namespace pirumoa
