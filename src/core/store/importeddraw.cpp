#include "core/store/importeddraw.h"

#include <algorithm>

namespace pirumoa {

DrawChange classifyDraw(const ImportedDraw& in, const ImportedDraw* stored) {
    if (!stored) return DrawChange::New;
    bool fills = false;
    for (int k = 0; k < 4; ++k) {
        const std::int8_t mine = in.draw.digits[k], theirs = stored->draw.digits[k];
        if (mine == theirs) continue;
        // A result not entered yet is filled in; any other difference is the user's to judge.
        if (theirs < 0)
            fills = true;
        else
            return DrawChange::Differs;
    }
    if (!in.draw.date.isEmpty()) {
        if (stored->draw.date.isEmpty())
            fills = true;
        else if (stored->draw.date != in.draw.date)
            return DrawChange::Differs;
    }
    for (int k = 0; k < kPrizeKinds; ++k) {
        const std::int64_t mine = in.prizes.yen[k], theirs = stored->prizes.yen[k];
        if (mine < 0) continue;
        if (theirs < 0)
            fills = true;
        else if (theirs != mine)
            return DrawChange::Differs;
    }
    return fills ? DrawChange::Completes : DrawChange::Equal;
}

PrizeAmounts amountsOf(const Prizes& prizes) {
    return {prizes.yen[0], prizes.yen[1], prizes.yen[2], prizes.yen[3]};
}

Prizes prizesOf(const PrizeAmounts* amounts) {
    if (!amounts) return {};
    return {{amounts->straight, amounts->box, amounts->setStraight, amounts->setBox}};
}

std::vector<ImportedDraw> withoutPrizes(const std::vector<DrawRecord>& draws) {
    std::vector<ImportedDraw> out;
    out.reserve(draws.size());
    for (const DrawRecord& d : draws) out.push_back({d, {}});
    return out;
}

std::vector<DrawPrizes> prizeRowsOf(const DrawHistory& history) {
    std::vector<DrawPrizes> out;
    for (const DrawRecord& r : history.rows)
        if (const PrizeAmounts* p = history.prizes.find(r.no)) out.push_back({r.no, prizesOf(p)});
    return out;
}

ImportedDraw mergedDraw(const ImportedDraw& in, const ImportedDraw* stored) {
    if (!stored) return in;
    ImportedDraw out = in;
    if (out.draw.date.isEmpty()) out.draw.date = stored->draw.date;
    for (int k = 0; k < 4; ++k) {
        const std::int8_t mine = in.draw.digits[k], theirs = stored->draw.digits[k];
        if (mine >= 0 && theirs >= 0 && mine != theirs) return out;
    }
    for (int k = 0; k < kPrizeKinds; ++k)
        if (out.prizes.yen[k] < 0) out.prizes.yen[k] = stored->prizes.yen[k];
    return out;
}

ImportComparison compareWithStored(const std::vector<ImportedDraw>& draws,
                                   const std::vector<DrawRecord>& stored,
                                   const std::vector<DrawPrizes>& storedPrizes) {
    // Both stored lists are in draw order; an index by number keeps this linear.
    std::vector<ImportedDraw> byNo(std::size_t(kMaxDrawNo) + 1);
    std::vector<bool> present(byNo.size(), false);
    for (const DrawRecord& r : stored) {
        if (r.no < 1 || r.no > kMaxDrawNo) continue;
        byNo[std::size_t(r.no)].draw = r;
        present[std::size_t(r.no)] = true;
    }
    for (const DrawPrizes& p : storedPrizes)
        if (p.no >= 1 && p.no <= kMaxDrawNo) byNo[std::size_t(p.no)].prizes = p.prizes;

    ImportComparison c;
    for (const ImportedDraw& d : draws) {
        const auto at = std::size_t(std::clamp(d.draw.no, 0, kMaxDrawNo));
        const ImportedDraw* old = present[at] ? &byNo[at] : nullptr;
        switch (classifyDraw(d, old)) {
            case DrawChange::New:
                c.added.push_back(d.draw.no);
                break;
            case DrawChange::Equal:
                c.equal.push_back(d.draw.no);
                break;
            case DrawChange::Completes:
                c.completed.push_back(d.draw.no);
                break;
            case DrawChange::Differs:
                c.different.push_back(d.draw.no);
                break;
        }
    }
    return c;
}

}  // namespace pirumoa
