#include "core/store/resultsday.h"

namespace pirumoa {

namespace {

bool isDrawDay(const QDate& day) {
    if (day.dayOfWeek() > 5) return false;
    if (day.month() == 12 && day.day() == 31) return false;
    return !(day.month() == 1 && day.day() <= 3);
}

}  // namespace

QDate lastResultsDay(const QDateTime& now) {
    // Japan keeps no summer time: a fixed offset needs no time zone database, which a
    // Windows or a trimmed system may lack.
    const QDateTime japan = now.toUTC().addSecs(9 * 3600);
    QDate day = japan.date();
    if (japan.time() < QTime(21, 0)) day = day.addDays(-1);
    while (!isDrawDay(day)) day = day.addDays(-1);
    return day;
}

bool resultsMissing(const DrawHistory& history, const QDateTime& now) {
    for (auto it = history.rows.rbegin(); it != history.rows.rend(); ++it) {
        if (!it->complete()) continue;
        const QDate date = QDate::fromString(it->date, Qt::ISODate);
        if (!date.isValid()) continue;
        return date < lastResultsDay(now);
    }
    return true;
}

}  // namespace pirumoa
