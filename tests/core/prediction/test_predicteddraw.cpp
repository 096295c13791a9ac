#include <gtest/gtest.h>

#include "core/prediction/predicteddraw.h"
#include "core/store/drawhistory.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

// Draws from 1 with the given digits ("1234", "____" for a draw without its result) and the
// dates given by draw number.
QString titleFor(std::initializer_list<const char*> digits,
                 std::initializer_list<std::pair<int, const char*>> dates) {
    std::vector<DrawRecord> rows = test::draws(digits);
    for (const auto& [no, date] : dates) rows[std::size_t(no - 1)].date = QString::fromUtf8(date);
    return predictedDrawTitle(predictedDraw(DrawHistory::fromRows(rows).latestDrawNo, rows));
}

}  // namespace

TEST(PredictedDraw, IsTheDrawAfterTheLatestCompleteOneOnItsDrawDay) {
    // From Friday to Monday.
    EXPECT_EQ(titleFor({"1234", "5678", "9012"}, {{2, "2026-08-20"}, {3, "2026-08-21"}}),
              QStringLiteral("第4回（2026-08-24）の予想"));
    // A draw entered without its result keeps the date stored with it.
    EXPECT_EQ(titleFor({"1234", "5678", "____"}, {{1, "2026-08-20"}, {3, "2026-08-25"}}),
              QStringLiteral("第3回（2026-08-25）の予想"));
    // Draws without dates are counted on in draw days, over the new year's break.
    EXPECT_EQ(titleFor({"1234", "5678", "9012"}, {{1, "2026-12-29"}}),
              QStringLiteral("第4回（2027-01-05）の予想"));
    // A date after the predicted draw says nothing about it.
    EXPECT_EQ(titleFor({"1234", "5678", "____", "____"}, {{4, "2026-08-25"}}),
              QStringLiteral("第3回の予想"));
    EXPECT_EQ(titleFor({"1234"}, {}), QStringLiteral("第2回の予想"));
    EXPECT_EQ(titleFor({}, {}), QStringLiteral("第1回の予想"));
}
