#pragma once

#include <QChar>

namespace pirumoa {

// The letter (full-width Ａ …) of the group a digit 0 … 9 falls in when the digits are
// divided into 3, 5 or 10 groups; a null QChar for a digit outside 0 … 9.
QChar groupLetter(int groups, int digit);

}  // namespace pirumoa
