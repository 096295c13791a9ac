#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/store/drawhistory.h"

namespace pirumoa {

// The four prizes of a draw in yen, in this order; -1 where the amount is not known. A draw
// whose four digits are equal has no box or set prizes at all: they stay -1, never 0.
enum class PrizeKind { Straight, Box, SetStraight, SetBox };
inline constexpr int kPrizeKinds = 4;

struct Prizes {
    std::array<std::int64_t, kPrizeKinds> yen{-1, -1, -1, -1};

    bool any() const { return yen[0] >= 0 || yen[1] >= 0 || yen[2] >= 0 || yen[3] >= 0; }
    std::int64_t of(PrizeKind kind) const { return yen[std::size_t(kind)]; }
    friend bool operator==(const Prizes&, const Prizes&) = default;
};

// A prize row of the database, read by number.
struct DrawPrizes {
    int no = 0;
    Prizes prizes;
    friend bool operator==(const DrawPrizes&, const DrawPrizes&) = default;
};

// The same amounts in the two shapes the program keeps them in.
PrizeAmounts amountsOf(const Prizes& prizes);
Prizes prizesOf(const PrizeAmounts* amounts);

// The stored prizes of a history as rows, in draw order (those of its draws only).
std::vector<DrawPrizes> prizeRowsOf(const DrawHistory& history);

// Whether a draw's four prizes can be its own. A set is half a straight and half a box, each
// set prize rounded down to 100 yen, and a straight pays more than a box; four equal digits
// sell no box or set. A row that breaks this has its prize columns shifted or mistyped, so
// its prizes are not stored (its draw is). An amount that is unknown or 0 (no winner) is not
// checked, and neither is a rule whose amounts are not all known.
enum class PrizeFault {
    None,
    StraightNotAboveBox,
    SetStraight,  // not ⌊(straight + box) / 2 / 100⌋ × 100
    SetBox,       // not ⌊box / 2 / 100⌋ × 100
    Repdigit,     // box or set prizes on four equal digits
};
PrizeFault prizeFault(const DrawRecord& draw, const Prizes& prizes);
// Why, in Japanese, for the messages that list such draws.
QString prizeFaultText(PrizeFault fault);

// A draw whose prizes were left out, and why.
struct LeftOutPrizes {
    int no = 0;
    PrizeFault fault = PrizeFault::None;
    friend bool operator==(const LeftOutPrizes&, const LeftOutPrizes&) = default;
};

// A draw as a file gives it: the draw, and its prizes where the file has them.
struct ImportedDraw {
    DrawRecord draw;
    Prizes prizes;
    friend bool operator==(const ImportedDraw&, const ImportedDraw&) = default;
};

// Clears the prizes of the draws that break the prize rule (prizeFault), in place; returns
// those draws in the order given.
std::vector<LeftOutPrizes> leaveOutFaultyPrizes(std::vector<ImportedDraw>& draws);

// The lines that tell the user which draws lost their prizes, one per fault, each naming the
// draws as ranges: "第6884～7054回：ストレートの当せん金がボックス以下です". Empty for none.
QStringList leftOutPrizeLines(const std::vector<LeftOutPrizes>& draws);

// Draws without prizes, as a file without prize columns gives them.
std::vector<ImportedDraw> withoutPrizes(const std::vector<DrawRecord>& draws);

// What importing a draw would do to what is stored. An empty date or an unknown prize in the
// file leaves the stored one alone; a digit, date or prize missing in the store is filled in
// without asking.
enum class DrawChange {
    New,        // not stored
    Equal,      // nothing would change
    Completes,  // adds digits, a date or prizes the store lacks, changes nothing stored
    Differs,    // other digits, another date or other prizes: replaced only when asked
};

DrawChange classifyDraw(const ImportedDraw& in, const ImportedDraw* stored);

// What the database holds for the draw after importing in over stored (nullptr: not stored).
// Known values of the file win; what the file leaves empty keeps the stored value, except
// the digits, which are taken as the file gives them, and the prizes of other digits, which
// go with them: a prize is what that number paid.
ImportedDraw mergedDraw(const ImportedDraw& in, const ImportedDraw* stored);

// A file's draws against the stored ones, by draw number.
struct ImportComparison {
    std::vector<int> added, equal, completed, different;
};

ImportComparison compareWithStored(const std::vector<ImportedDraw>& draws,
                                   const std::vector<DrawRecord>& stored,
                                   const std::vector<DrawPrizes>& storedPrizes);

}  // namespace pirumoa
