#pragma once
// The results update: the draws that several sources give, cross-checked against each other
// and against the stored history. Nothing here reads the network or writes: the reading is in
// the net library, the writing in HistoryDocument::applyUpdate.
#include <QString>
#include <QStringList>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/drawstore.h"
#include "core/store/importeddraw.h"
#include "core/tickets/ticket.h"

namespace pirumoa {

// The default sources: an API base (a URL ending in "/") with prizes, and one results file.
QStringList defaultUpdateSources();
// The settings of the update: QSettings group "update", keys "sources" and "checkAtStart".
inline constexpr char kUpdateGroup[] = "update";
inline constexpr char kSourcesKey[] = "sources";
inline constexpr char kCheckAtStartKey[] = "checkAtStart";

// What one source gave, read whole.
struct SourceDraws {
    QString source;
    std::vector<ImportedDraw> draws;
    // Draws whose prizes the reading left out already (they break the prize rule).
    std::vector<LeftOutPrizes> prizesLeftOut;
};

// A source's draws whose prizes break the prize rule: the draws are taken, the prizes not.
struct SourcePrizesLeftOut {
    QString source;
    std::vector<LeftOutPrizes> draws;
};

struct SourceValue {
    QString source;
    ImportedDraw draw;
};

// A new draw on which the sources disagree: not stored.
struct HeldBackDraw {
    int no = 0;
    std::vector<SourceValue> values;
};

// A stored draw that a source gives otherwise: listed, replaced only when the user chooses.
struct DifferingDraw {
    ImportedDraw stored;
    std::vector<SourceValue> values;  // the sources that differ
    ImportedDraw replacement;         // what is stored when the user takes theirs
};

// A stored draw completed by the sources: missing prizes, date or digits filled in.
struct FilledDraw {
    DrawRecord before;
    ImportedDraw after;
};

struct UpdatePlan {
    std::vector<ImportedDraw> added;  // new draws every source agrees on, in draw order
    std::vector<FilledDraw> filled;
    std::vector<HeldBackDraw> heldBack;
    std::vector<DifferingDraw> differing;
    // Per source, the new draws and the stored ones without prizes whose prizes are left out.
    std::vector<SourcePrizesLeftOut> prizesLeftOut;

    bool writesSomething() const { return !added.empty() || !filled.empty(); }
};

// What the stored history needs from an API source: the latest complete draw, and whether a
// complete draw up to latestInFeed lacks its prizes.
int latestCompleteDraw(const DrawHistory& history);
bool lacksPrizesUpTo(const DrawHistory& history, int latestInFeed);

// The plan for the sources over the stored history.
UpdatePlan planUpdate(const DrawHistory& stored, const std::vector<SourceDraws>& sources);

// The edits that carry out the plan, with the differing draws whose numbers are in replace
// taken from the sources.
std::vector<DrawEdit> updateEdits(const UpdatePlan& plan, const std::vector<int>& replace);

// "第7054回 9577（2026-08-21）"; "9577（2026-08-21）" without the draw.
QString drawValueText(const ImportedDraw& d, bool withNo = true);
// The lines that tell the user about the plan: held back and differing draws, one a line,
// naming each source's value.
QStringList heldBackLines(const UpdatePlan& plan);
QStringList differingLines(const UpdatePlan& plan);
// "当せん金を取り込まない 第6884～6890回：ストレートの当せん金がボックス以下です（取得元）".
QStringList leftOutPrizeLines(const UpdatePlan& plan);

// The wins of the tickets on the given draws, one line each ("第7054回 9577 — 購入数字 9577
// ストレート当せん 2,128,400円"); empty when none won.
QStringList ticketWinLines(const std::vector<Ticket>& tickets, const DrawHistory& history,
                           const std::vector<int>& draws);
// The line when no ticket won.
QString noWinText();

}  // namespace pirumoa
