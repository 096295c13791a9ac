// The document that owns the database: prizes that follow the digits, and an undo stack that
// stays in step with what is stored when another program writes.
#include <gtest/gtest.h>

#include "core/store/drawcsv.h"
#include "core/store/historydocument.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

const Prizes kPaid{{2128400, 177300, 1152800, 88600}};

DrawEdit deletion(const DrawRecord& draw) { return DrawEdit{draw.no, draw, std::nullopt}; }

// The export's line of a draw, prizes included.
QByteArray exported(const DatabaseFile& db, int no) {
    const DrawHistory h = loadHistory(db, true);
    for (const QByteArray& line : writeDrawCsv(h.rows, prizeRowsOf(h)).split('\n'))
        if (line.startsWith(QByteArray::number(no) + ',')) return line;
    return {};
}

}  // namespace

// A deleted draw typed again with other digits has no prizes; undo brings the draw back with
// the prizes its digits won, and a date edit keeps them.
TEST(HistoryDocument, PrizesBelongToTheDigitsTheyWerePaidFor) {
    test::TempDatabase db(test::draws({"1111", "9577"}));
    DrawStore::open(db.connect)
        ->importDraws({ImportedDraw{test::draws({"9577"}, 2)[0], kPaid}}, false);
    HistoryDocument doc;
    doc.open(db.connect);
    const DrawRecord stored = doc.snapshot()->rows[1];
    ASSERT_NE(doc.snapshot()->prizes.find(2), nullptr);

    QString why;
    ASSERT_TRUE(doc.editDraws({deletion(stored)}, "行削除", 0, &why)) << why.toStdString();
    ASSERT_TRUE(
        doc.editDraws({DrawEdit{2, std::nullopt, test::draws({"1234"}, 2)[0]}}, "入力", 0, &why));
    EXPECT_EQ(exported(db.connect, 2), "2,,1,2,3,4");
    EXPECT_EQ(doc.snapshot()->prizes.find(2), nullptr);

    // Replacing the digits in place drops them as well.
    DrawRecord other = doc.snapshot()->rows[1];
    other.digits = test::draws({"5678"})[0].digits;
    ASSERT_TRUE(doc.editDraws({DrawEdit{2, doc.snapshot()->rows[1], other}}, "入力", 0, &why));
    EXPECT_EQ(exported(db.connect, 2), "2,,5,6,7,8");

    ASSERT_TRUE(doc.undo(&why));
    ASSERT_TRUE(doc.undo(&why));
    ASSERT_TRUE(doc.undo(&why));
    EXPECT_EQ(exported(db.connect, 2), "2,,9,5,7,7,2128400,177300,1152800,88600");
    ASSERT_NE(doc.snapshot()->prizes.find(2), nullptr);

    DrawRecord dated = stored;
    dated.date = "2026-08-21";
    ASSERT_TRUE(doc.editDraws({DrawEdit{2, stored, dated}}, "抽せん日", 0, &why));
    EXPECT_EQ(exported(db.connect, 2), "2,2026-08-21,9,5,7,7,2128400,177300,1152800,88600");
    EXPECT_EQ(loadHistory(db.connect, true).rows, doc.snapshot()->rows);
}

// A redo refused because another program changed the draw is dropped: undo and redo then
// offer only what still fits the database, and the next edit is undone normally.
TEST(HistoryDocument, ARefusedUndoOrRedoLeavesTheStackInStepWithTheFile) {
    test::TempDatabase db(test::draws({"1234", "5678"}));
    HistoryDocument doc;
    doc.open(db.connect);
    QString why;
    DrawRecord seven = doc.snapshot()->rows[0];
    seven.digits[0] = 7;
    ASSERT_TRUE(doc.editDraws({DrawEdit{1, doc.snapshot()->rows[0], seven}}, "入力", 0, &why));
    ASSERT_TRUE(doc.undo(&why));
    ASSERT_TRUE(doc.canRedo());

    test::setDigit(*DrawStore::open(db.connect), 1, 3, 0);  // another program: 1230
    EXPECT_FALSE(doc.redo(&why));
    EXPECT_TRUE(why.contains("ほかのプログラムで変更")) << why.toStdString();
    EXPECT_FALSE(doc.canRedo());
    EXPECT_FALSE(doc.canUndo());
    EXPECT_EQ(loadDrawHistory(db.connect).rows, test::draws({"1230", "5678"}));

    // The document sees the other program's write and goes on from it.
    EXPECT_TRUE(doc.refreshIfChangedOutside());
    EXPECT_EQ(doc.snapshot()->rows, test::draws({"1230", "5678"}));
    DrawRecord nine = doc.snapshot()->rows[1];
    nine.digits[3] = 9;
    ASSERT_TRUE(doc.editDraws({DrawEdit{2, doc.snapshot()->rows[1], nine}}, "入力", 0, &why));
    test::setDigit(*DrawStore::open(db.connect), 2, 0, 0);  // and once more: 0679
    EXPECT_FALSE(doc.undo(&why));
    EXPECT_FALSE(doc.canUndo());
    EXPECT_FALSE(doc.canRedo());
    EXPECT_EQ(loadDrawHistory(db.connect).rows, test::draws({"1230", "0679"}));
}
