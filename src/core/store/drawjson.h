#pragma once
// Results as JSON, as the public results feeds publish them: an array of draws (either order)
// or one draw object, each draw in one of two shapes:
//   {"draw_no": 7054, "date": "2026-08-21", "digits": [9,5,7,7], "winning_number": "9577",
//    "prize": {"straight": 2128400, "box": 177300, "set_straight": 1152800, "set_box": 88600}}
//   {"round": 7054, "date": "2026-08-21", "numbers": [9,5,7,7], "bonus": []}
#include <QByteArrayView>
#include <optional>

#include "core/store/drawfile.h"

namespace pirumoa {

// Whether the text starts (after a BOM and white space) as JSON does, with [ or {.
bool looksLikeJson(QByteArrayView bytes);

// The draws of a JSON text. Refusals name the element ("3 件目") with line 0; a text that is
// not JSON at all, or is cut off, is one refusal for the whole text.
ParsedDraws parseDrawJson(QByteArrayView bytes);

}  // namespace pirumoa
