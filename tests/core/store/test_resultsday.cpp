// The day whose results are out: weekdays, the New Year pause, 21:00 Japan time.
#include <gtest/gtest.h>

#include "core/store/resultsday.h"

using namespace pirumoa;

namespace {

QDateTime utc(const char* text) { return QDateTime::fromString(QLatin1String(text), Qt::ISODate); }

}  // namespace

TEST(ResultsDay, WeekdaysNewYearAndTheHour) {
    struct Case {
        const char* nowUtc;
        const char* expected;
    } const cases[] = {
        {"2026-08-21T11:59:59Z", "2026-08-20"},  // Friday 20:59 in Japan: not out yet
        {"2026-08-21T12:00:00Z", "2026-08-21"},  // Friday 21:00: out
        {"2026-08-23T03:00:00Z", "2026-08-21"},  // Sunday: Friday's
        {"2026-08-24T05:00:00Z", "2026-08-21"},  // Monday afternoon: still Friday's
        {"2026-08-23T20:00:00Z", "2026-08-21"},  // Monday 05:00 in Japan, Sunday in UTC
        {"2026-12-31T13:00:00Z", "2026-12-30"},  // 31 Dec: no draw
        {"2027-01-04T13:00:00Z", "2027-01-04"},  // the first draw after the pause, out
        {"2027-01-04T10:00:00Z", "2026-12-30"},  // before it: the last of the old year
    };
    for (const Case& c : cases)
        EXPECT_EQ(lastResultsDay(utc(c.nowUtc)),
                  QDate::fromString(QLatin1String(c.expected), Qt::ISODate))
            << c.nowUtc;
}

TEST(ResultsDay, MissingWhenTheLatestDatedDrawIsOlder) {
    DrawHistory h;
    h.rows = {{7053, {9, 2, 9, 8}, "2026-08-20"}, {7054, {9, 5, 7, 7}, "2026-08-21"}};
    EXPECT_FALSE(resultsMissing(h, utc("2026-08-24T05:00:00Z")));
    EXPECT_TRUE(resultsMissing(h, utc("2026-08-24T12:00:00Z")));
    h.rows.push_back({7055, {-1, -1, -1, -1}, "2026-08-24"});  // not entered: does not count
    EXPECT_TRUE(resultsMissing(h, utc("2026-08-24T12:00:00Z")));
    EXPECT_TRUE(resultsMissing(DrawHistory{}, utc("2026-08-24T05:00:00Z")));
}
