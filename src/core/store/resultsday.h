#pragma once
// When the results of a draw are out: draws are held Monday to Friday, none from 31 December to
// 3 January, and the results are published by 21:00 Japan time.
#include <QDate>
#include <QDateTime>

#include "core/store/drawhistory.h"

namespace pirumoa {

// The last day, in Japan, whose results are out at the moment now.
QDate lastResultsDay(const QDateTime& now);

// Whether the history's latest complete draw is older than that day (a history without a
// dated draw counts as older).
bool resultsMissing(const DrawHistory& history, const QDateTime& now);

}  // namespace pirumoa
