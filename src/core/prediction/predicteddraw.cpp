#include "core/prediction/predicteddraw.h"

#include "core/store/drawdate.h"

namespace pirumoa {

PredictedDraw predictedDraw(int latestDrawNo, const std::vector<DrawRecord>& stored) {
    PredictedDraw out;
    out.no = latestDrawNo + 1;
    // The latest dated draw up to the predicted one; the rows are in ascending draw number.
    for (auto r = stored.rbegin(); r != stored.rend(); ++r) {
        if (r->no > out.no || r->date.isEmpty()) continue;
        QDate date = QDate::fromString(r->date, Qt::ISODate);
        if (!date.isValid()) continue;
        // A draw not yet stored falls on the draw days after it, one draw a draw day.
        for (int n = r->no; n < out.no && date.isValid(); ++n) date = nextDrawDay(date);
        out.date = date;
        break;
    }
    return out;
}

QString predictedDrawTitle(const PredictedDraw& draw) {
    if (!draw.date.isValid()) return QStringLiteral("第%1回の予想").arg(draw.no);
    return QStringLiteral("第%1回（%2）の予想").arg(draw.no).arg(draw.date.toString(Qt::ISODate));
}

}  // namespace pirumoa
