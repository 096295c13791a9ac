// Dates as users type and paste them, the next draw day, and draws pasted as text.
#include <gtest/gtest.h>

#include "core/store/drawdate.h"
#include "core/store/pasteddraws.h"
#include "testsupport.h"

using namespace pirumoa;

TEST(DrawDate, ReadsTheWaysUsersWriteADate) {
    const struct {
        const char* text;
        QDate date;
    } cases[] = {
        {"2026-08-21", {2026, 8, 21}},
        {"2026/8/21", {2026, 8, 21}},
        {"20260821", {2026, 8, 21}},
        {"2026-08-21 (金)", {2026, 8, 21}},
        {" 2026.8.1 ", {2026, 8, 1}},
        {"２０２６／８／２１", {2026, 8, 21}},
        {"2026-02-30", {}},
        {"2026-8", {}},
        {"21/08/2026", {}},
        {"2026-08-21x", {}},
        {"2026-08/21", {}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDrawDate(QString::fromUtf8(c.text)), c.date) << c.text;
}

TEST(DrawDate, RangeIsFromTheFirstDrawToTenYearsAhead) {
    const QDate today(2026, 12, 7);
    EXPECT_TRUE(drawDateProblem({1994, 10, 7}, today).isEmpty());
    EXPECT_FALSE(drawDateProblem({1994, 10, 6}, today).isEmpty());
    EXPECT_TRUE(drawDateProblem({2036, 12, 7}, today).isEmpty());
    EXPECT_FALSE(drawDateProblem({2036, 12, 8}, today).isEmpty());
    EXPECT_FALSE(drawDateProblem(QDate(), today).isEmpty());
}

TEST(DrawDate, NextDrawDaySkipsWeekendsAndTheNewYear) {
    const struct {
        QDate after, next;
    } cases[] = {
        {{2026, 8, 20}, {2026, 8, 21}},  // Thursday → Friday
        {{2026, 8, 21}, {2026, 8, 24}},  // Friday → Monday
        {{2026, 12, 30}, {2027, 1, 4}},  // none from 31 December to 3 January
        {{2027, 12, 30}, {2028, 1, 4}},  // 4 January 2028 is a Tuesday
        {{2021, 12, 30}, {2022, 1, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nextDrawDay(c.after), c.next) << qPrintable(c.after.toString());
    EXPECT_EQ(shownDrawDate("2026-08-24"), QString::fromUtf8("2026-08-24 (月)"));
    EXPECT_EQ(shownDrawDate("not a date"), QString("not a date"));
}

TEST(PastedDraws, ReadsCsvLinesAndRowsCopiedFromTheGrid) {
    std::vector<DrawRecord> expected = test::draws({"1234", "5_78"}, 7054);
    expected[0].date = "2026-08-21";
    expected[1].date = "2026-08-24";
    const char* texts[] = {
        "7054,2026-08-21,1,2,3,4\n7055,2026-08-24,5,,7,8\n",
        "7054\t2026-08-21 (金)\t1\t2\t3\t4\r\n7055\t2026-08-24 (月)\t5\t\t7\t8",
        "draw,date,d1,d2,d3,d4\n7054,2026/8/21,1,2,3,4\n7055,2026-08-24,5,,7,8",
    };
    for (const char* text : texts) {
        const PastedDraws p = parsePastedDraws(QString::fromUtf8(text));
        EXPECT_TRUE(p.error.isEmpty()) << qPrintable(p.error);
        std::vector<DrawRecord> draws;
        for (const ImportedDraw& d : p.draws) draws.push_back(d.draw);
        EXPECT_EQ(draws, expected) << text;
    }
    const QString refused[] = {"7054,2026-08-21,1,2,3,12\n",
                               QString::fromLatin1("\x01\x02PNG\x7f\0junk", 10), "x,y\n1,2",
                               QString(QChar(0xFFFD)) + "1,2,3,4,5"};
    for (const QString& text : refused)
        EXPECT_FALSE(parsePastedDraws(text).error.isEmpty()) << qPrintable(text);
    EXPECT_TRUE(isSingleValue(" 1234\n"));
    EXPECT_FALSE(isSingleValue("1,2"));
}
