#include "core/store/resultsupdate.h"

#include <algorithm>
#include <map>

#include "core/store/labels.h"
#include "core/tickets/ticketbook.h"

namespace pirumoa {

namespace {

// Two sources agree on a draw when its digits are the same and the dates and prizes that both
// know are the same.
bool agree(const ImportedDraw& a, const ImportedDraw& b) {
    if (a.draw.digits != b.draw.digits) return false;
    if (!a.draw.date.isEmpty() && !b.draw.date.isEmpty() && a.draw.date != b.draw.date)
        return false;
    for (int k = 0; k < kPrizeKinds; ++k) {
        const auto i = std::size_t(k);
        if (a.prizes.yen[i] >= 0 && b.prizes.yen[i] >= 0 && a.prizes.yen[i] != b.prizes.yen[i])
            return false;
    }
    return true;
}

// What several agreeing values know together.
ImportedDraw combined(const std::vector<const ImportedDraw*>& values) {
    ImportedDraw out = *values.front();
    for (const ImportedDraw* v : values) {
        if (out.draw.date.isEmpty()) out.draw.date = v->draw.date;
        for (int k = 0; k < kPrizeKinds; ++k) {
            const auto i = std::size_t(k);
            if (out.prizes.yen[i] < 0) out.prizes.yen[i] = v->prizes.yen[i];
        }
    }
    return out;
}

}  // namespace

QStringList defaultUpdateSources() {
    return {QStringLiteral("https://numbers4-1d961.web.app/api/v1/"),
            QStringLiteral("https://tk030-lotto.github.io/lotto-data-hub/data/numbers4.json")};
}

int latestCompleteDraw(const DrawHistory& history) {
    for (auto it = history.rows.rbegin(); it != history.rows.rend(); ++it)
        if (it->complete()) return it->no;
    return 0;
}

bool lacksPrizesUpTo(const DrawHistory& history, int latestInFeed) {
    for (const DrawRecord& r : history.rows) {
        if (r.no > latestInFeed) break;
        if (!r.complete()) continue;
        const PrizeAmounts* p = history.prizes.find(r.no);
        if (!p || p->straight < 0) return true;
    }
    return false;
}

UpdatePlan planUpdate(const DrawHistory& stored, const std::vector<SourceDraws>& sources) {
    // Every source's value of each draw, in the order of the sources.
    std::map<int, std::vector<SourceValue>> byNo;
    for (const SourceDraws& s : sources)
        for (const ImportedDraw& d : s.draws)
            if (d.draw.complete()) byNo[d.draw.no].push_back({s.source, d});

    UpdatePlan plan;
    const auto byDraw = [](const DrawRecord& r, int n) { return r.no < n; };
    for (const auto& [no, values] : byNo) {
        const auto at = std::lower_bound(stored.rows.begin(), stored.rows.end(), no, byDraw);
        const bool present = at != stored.rows.end() && at->no == no;
        std::vector<const ImportedDraw*> all;
        for (const SourceValue& v : values) all.push_back(&v.draw);
        if (!present) {
            const bool agreed = std::all_of(all.begin(), all.end(), [&](const ImportedDraw* d) {
                return agree(*d, *all.front()) &&
                       std::all_of(all.begin(), all.end(),
                                   [&](const ImportedDraw* e) { return agree(*d, *e); });
            });
            if (agreed)
                plan.added.push_back(combined(all));
            else
                plan.heldBack.push_back({no, values});
            continue;
        }
        ImportedDraw mine{*at, prizesOf(stored.prizes.find(no))};
        ImportedDraw current = mine;
        DifferingDraw differs{mine, {}, {}};
        std::vector<const ImportedDraw*> theirs;
        for (const SourceValue& v : values) {
            switch (classifyDraw(v.draw, &current)) {
                case DrawChange::New:
                case DrawChange::Equal:
                    break;
                case DrawChange::Completes:
                    current = mergedDraw(v.draw, &current);
                    break;
                case DrawChange::Differs:
                    differs.values.push_back(v);
                    break;
            }
        }
        if (current != mine) plan.filled.push_back({*at, current});
        if (!differs.values.empty()) {
            // Taking theirs takes the first differing value, with what the sources that agree
            // with it add.
            const ImportedDraw& first = differs.values.front().draw;
            for (const SourceValue& v : values)
                if (agree(v.draw, first)) theirs.push_back(&v.draw);
            differs.replacement = combined(theirs);
            plan.differing.push_back(std::move(differs));
        }
    }
    return plan;
}

std::vector<DrawEdit> updateEdits(const UpdatePlan& plan, const std::vector<int>& replace) {
    std::vector<DrawEdit> edits;
    for (const ImportedDraw& d : plan.added)
        edits.emplace_back(d.draw.no, std::nullopt, d.draw, d.prizes);
    std::vector<int> replaced;
    for (const DifferingDraw& d : plan.differing) {
        if (std::find(replace.begin(), replace.end(), d.stored.draw.no) == replace.end()) continue;
        replaced.push_back(d.stored.draw.no);
        ImportedDraw taken = d.replacement;
        if (taken.draw.date.isEmpty()) taken.draw.date = d.stored.draw.date;
        edits.emplace_back(d.stored.draw.no, d.stored.draw, taken.draw, taken.prizes);
    }
    // Taking theirs replaces whatever filling in the same draw would have done.
    for (const FilledDraw& f : plan.filled)
        if (std::find(replaced.begin(), replaced.end(), f.before.no) == replaced.end())
            edits.emplace_back(f.before.no, f.before, f.after.draw, f.after.prizes);
    std::sort(edits.begin(), edits.end(),
              [](const DrawEdit& a, const DrawEdit& b) { return a.no < b.no; });
    return edits;
}

QString drawValueText(const ImportedDraw& d, bool withNo) {
    QString digits;
    for (std::int8_t x : d.draw.digits) digits += x < 0 ? QStringLiteral("_") : QString::number(x);
    QString text = withNo ? drawLabel(d.draw.no) + QLatin1Char(' ') + digits : digits;
    if (!d.draw.date.isEmpty()) text += QStringLiteral("（%1）").arg(d.draw.date);
    return text;
}

namespace {

QString valuesText(const std::vector<SourceValue>& values) {
    QStringList parts;
    for (const SourceValue& v : values)
        parts << QStringLiteral("%1：%2").arg(v.source, drawValueText(v.draw, false));
    return parts.join(QStringLiteral("、"));
}

}  // namespace

QStringList heldBackLines(const UpdatePlan& plan) {
    QStringList lines;
    for (const HeldBackDraw& h : plan.heldBack)
        lines << QStringLiteral("保留 %1：取得元の結果が一致しません（%2）")
                     .arg(drawLabel(h.no), valuesText(h.values));
    return lines;
}

QStringList differingLines(const UpdatePlan& plan) {
    QStringList lines;
    for (const DifferingDraw& d : plan.differing)
        lines << QStringLiteral("登録済みと異なる %1：登録済み %2、%3")
                     .arg(drawLabel(d.stored.draw.no), drawValueText(d.stored, false),
                          valuesText(d.values));
    return lines;
}

QStringList ticketWinLines(const std::vector<Ticket>& tickets, const DrawHistory& history,
                           const std::vector<int>& draws) {
    std::vector<std::pair<int, QString>> wins;
    const TicketBook book(history, history.prizes);
    std::vector<int> nos = draws;
    std::sort(nos.begin(), nos.end());
    nos.erase(std::unique(nos.begin(), nos.end()), nos.end());
    for (const Ticket& t : tickets) {
        const auto [first, last] = book.span(t);
        for (int no : nos) {
            if (no < first || no > last) continue;
            const TicketLine line = book.line(t, no);
            if (!isWin(line.result)) continue;
            wins.emplace_back(line.drawNo,
                              QStringLiteral("%1 %2 — 購入数字 %3 %4 %5")
                                  .arg(drawLabel(line.drawNo), numberText(line.drawn),
                                       numberText(t.digits), resultLabel(line.result),
                                       line.prize < 0 ? QStringLiteral("当せん金は未登録")
                                                      : yenText(line.prize)));
        }
    }
    std::stable_sort(wins.begin(), wins.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList lines;
    for (const auto& w : wins) lines << w.second;
    return lines;
}

QString noWinText() { return QStringLiteral("購入数字の当せんはありません"); }

}  // namespace pirumoa
