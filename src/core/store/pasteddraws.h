#pragma once

#include <QString>
#include <vector>

#include "core/store/importeddraw.h"

namespace pirumoa {

// Draws pasted as text: the lines the CSV import reads, or rows copied from a grid or a
// spreadsheet (cells separated by tabs, dates shown with their weekday). Either every line
// is a draw (with its prizes where the text has them), or error says which line is not and
// why.
struct PastedDraws {
    std::vector<ImportedDraw> draws;
    // Draws whose pasted prizes break the prize rule: they are pasted without them.
    std::vector<LeftOutPrizes> prizesLeftOut;
    QString error;
};
PastedDraws parsePastedDraws(const QString& text);

// A pasted text that is one value and no draw line: a digit, four digits, a date.
bool isSingleValue(const QString& text);

}  // namespace pirumoa
