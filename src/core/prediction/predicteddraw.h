#pragma once

#include <QDate>
#include <QString>

#include "core/store/drawhistory.h"

namespace pirumoa {

// The draw a prediction is for: the one after the latest complete draw. Its date is the one
// stored with it, or else counted on in draw days from the latest date stored before it;
// invalid when no draw before it has a date.
struct PredictedDraw {
    int no = 1;
    QDate date;
};

// The draw after latestDrawNo, dated from the stored rows (in draw order, with their dates).
PredictedDraw predictedDraw(int latestDrawNo, const std::vector<DrawRecord>& stored);

// "第7055回（2026-08-24）の予想", or "第7055回の予想" without a date.
QString predictedDrawTitle(const PredictedDraw& draw);

}  // namespace pirumoa
