#include "core/store/importeddraw.h"

#include <algorithm>

#include "core/store/drawstore.h"

namespace pirumoa {

PrizeFault prizeFault(const DrawRecord& draw, const Prizes& prizes) {
    const auto [straight, box, setStraight, setBox] = prizes.yen;
    const auto& g = draw.digits;
    if (draw.complete() && g[0] == g[1] && g[1] == g[2] && g[2] == g[3]) {
        // 0 or empty is how files say "none" there; an amount is a column from elsewhere.
        return box > 0 || setStraight > 0 || setBox > 0 ? PrizeFault::Repdigit : PrizeFault::None;
    }
    if (straight > 0 && box > 0 && straight <= box) return PrizeFault::StraightNotAboveBox;
    if (straight > 0 && box > 0 && setStraight > 0 &&
        setStraight != (straight + box) / 2 / 100 * 100)
        return PrizeFault::SetStraight;
    if (box > 0 && setBox > 0 && setBox != box / 2 / 100 * 100) return PrizeFault::SetBox;
    return PrizeFault::None;
}

QString prizeFaultText(PrizeFault fault) {
    switch (fault) {
        case PrizeFault::None:
            break;
        case PrizeFault::StraightNotAboveBox:
            return QStringLiteral("ストレートの当せん金がボックス以下です");
        case PrizeFault::SetStraight:
            return QStringLiteral(
                "セット(ストレート)の当せん金が、ストレートとボックスの和の半分"
                "（100 円未満切り捨て）ではありません");
        case PrizeFault::SetBox:
            return QStringLiteral(
                "セット(ボックス)の当せん金が、ボックスの半分（100 円未満切り捨て）ではありません");
        case PrizeFault::Repdigit:
            return QStringLiteral("ゾロ目の回にボックス・セットの当せん金があります");
    }
    return {};
}

std::vector<LeftOutPrizes> leaveOutFaultyPrizes(std::vector<ImportedDraw>& draws) {
    std::vector<LeftOutPrizes> out;
    for (ImportedDraw& d : draws) {
        const PrizeFault fault = prizeFault(d.draw, d.prizes);
        if (fault == PrizeFault::None) continue;
        out.push_back({d.draw.no, fault});
        d.prizes = Prizes{};
    }
    return out;
}

QStringList leftOutPrizeLines(const std::vector<LeftOutPrizes>& draws) {
    QStringList lines;
    for (PrizeFault fault : {PrizeFault::StraightNotAboveBox, PrizeFault::SetStraight,
                             PrizeFault::SetBox, PrizeFault::Repdigit}) {
        std::vector<int> nos;
        for (const LeftOutPrizes& d : draws)
            if (d.fault == fault) nos.push_back(d.no);
        if (nos.empty()) continue;
        std::sort(nos.begin(), nos.end());
        lines << QStringLiteral("%1：%2").arg(drawRanges(nos), prizeFaultText(fault));
    }
    return lines;
}

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
