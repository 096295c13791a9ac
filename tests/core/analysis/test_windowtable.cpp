// Every window that builds its grid from the history, over the histories at the ends of the
// range: none at all, only draws whose result is not entered yet, and the largest there can be.
#include <gtest/gtest.h>

#include <random>

#include "core/analysis/windowtable.h"
#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

const DrawHistory& largestHistory() {
    static const DrawHistory h = [] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> digit(0, 9);
        std::vector<DrawRecord> rows(kMaxDrawNo);
        for (int i = 0; i < kMaxDrawNo; ++i) {
            rows[i].no = i + 1;
            for (auto& d : rows[i].digits) d = std::int8_t(digit(random));
        }
        return DrawHistory::fromRows(std::move(rows));
    }();
    return h;
}

struct Histories {
    const char* name;
    DrawHistory history;
};

const std::vector<Histories>& histories() {
    static const std::vector<Histories> all = {
        {"empty", DrawHistory::fromRows({})},
        {"incomplete only", test::history({"1_34", "____", "123_", "___9"})},
        {"32767 draws", largestHistory()},
    };
    return all;
}

// What every grid must be, whatever the history. A window whose rows all come from the
// start-up totals shows a grid without rows when the history has no records at all.
void expectWellFormed(const Sheet& s, bool mayHaveNoRows = false) {
    EXPECT_EQ(s.error(), QString());
    ASSERT_GT(s.columnCount(), 0);
    if (!mayHaveNoRows || s.rowCount() > 0) {
        EXPECT_GE(s.rowCount(), s.frozenRows());
        EXPECT_GE(s.rowCount(), 1);
    }
    for (int c = 1; c <= s.columnCount(); ++c) EXPECT_GT(s.columnWidth(c), 0) << "column " << c;
    for (int r = 1; r <= s.rowCount(); ++r) EXPECT_GT(s.rowHeight(r), 0) << "row " << r;
    EXPECT_TRUE(s.activeColumn() >= 0 && s.activeColumn() <= s.columnCount());
    EXPECT_TRUE(s.activeRow() >= 0 && s.activeRow() <= s.rowCount());
}

}  // namespace

TEST(WindowTable, EveryFilledWindowBuildsFromEmptyIncompleteAndLargestHistories) {
    int filled = 0;
    for (const WindowInfo& w : windowTable()) {
        if (w.kind != WindowKind::Analysis) continue;
        ++filled;
        SCOPED_TRACE(w.objectName.toStdString());
        std::vector<Sheet> sheets;
        for (const Histories& h : histories()) {
            SCOPED_TRACE(h.name);
            Sheet s;
            EXPECT_NO_THROW(w.fill(h.history, s));
            expectWellFormed(s, h.history.rows.empty());
            sheets.push_back(std::move(s));
        }
        const Sheet &empty = sheets[0], &incomplete = sheets[1], &largest = sheets[2];
        // Draws without a result are skipped: as if there were none. The start-up totals of
        // such a history still differ from those of no records at all (every digit has the
        // total 0), so the comparison keeps them.
        DrawHistory noRows = histories()[1].history;
        noRows.rows.clear();
        Sheet skipped;
        w.fill(noRows, skipped);
        EXPECT_EQ(sheetsToJson(w.objectName, {&incomplete}).toStdString(),
                  sheetsToJson(w.objectName, {&skipped}).toStdString());
        EXPECT_EQ(largest.columnCount(), empty.columnCount());
        EXPECT_GE(largest.rowCount(), empty.rowCount());
        EXPECT_EQ(largest.frozenRows(), empty.frozenRows());
        // Where the window leaves the current cell does not depend on the data.
        EXPECT_EQ(largest.activeColumn(), empty.activeColumn());
        EXPECT_EQ(largest.activeRow(), empty.activeRow());
    }
    EXPECT_GT(filled, 0);
}

TEST(WindowTable, PredictionGridsBuildFromEmptyIncompleteAndLargestHistories) {
    std::vector<PredictionSheets> built;
    for (const Histories& h : histories()) {
        SCOPED_TRACE(h.name);
        PredictionSheets sheets;
        EXPECT_NO_THROW(sheets = predictionSheets(predict(h.history, {})));
        for (int g = 0; g < kPredictionGridCount; ++g) {
            SCOPED_TRACE(g);
            expectWellFormed(sheets[g]);
            // Grid 2 grows a row while it shows nine or ten digits.
            EXPECT_GE(sheets[g].rowCount(), kPredictionGridRows[g]);
            EXPECT_LE(sheets[g].rowCount(), kPredictionGridRows[g] + (g == 2 ? 1 : 0));
        }
        built.push_back(std::move(sheets));
    }
    QString name;
    for (const WindowInfo& w : windowTable())
        if (w.kind == WindowKind::Prediction) name = w.objectName;
    auto json = [&](const PredictionSheets& s) {
        return sheetsToJson(name, {&s[0], &s[1], &s[2], &s[3]}).toStdString();
    };
    EXPECT_EQ(json(built[1]), json(built[0]));
    for (int g = 0; g < kPredictionGridCount; ++g)
        EXPECT_EQ(built[2][g].columnCount(), built[0][g].columnCount());
}
