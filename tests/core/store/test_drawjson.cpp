#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/store/drawfile.h"

using namespace pirumoa;

namespace {

// "no date digits s/b/ss/sb" per draw, "-" for unknown; draws joined by " | ".
QString render(const ParsedDraws& p) {
    QStringList out;
    for (const ImportedDraw& d : p.draws) {
        QString digits;
        for (std::int8_t x : d.draw.digits) digits += QString::number(x);
        QStringList yen;
        for (std::int64_t y : d.prizes.yen)
            yen << (y < 0 ? QStringLiteral("-") : QString::number(y));
        out << QStringLiteral("%1 %2 %3 %4").arg(d.draw.no).arg(d.draw.date, digits, yen.join('/'));
    }
    return out.join(QStringLiteral(" | "));
}

}  // namespace

// The two feeds' shapes, in files as over the network: either order, one object alone, null
// prizes of a quad, and what must be refused whole rather than read in part.
TEST(DrawJson, ReadsBothFeedShapesAndRefusesWhatIsNotWhole) {
    struct Case {
        QByteArray in;
        QString draws;    // when read whole
        QString refusal;  // else the start of the first refusal
        bool prizes = false;
    };
    const Case cases[] = {
        {R"([{"draw_no": 7053, "date": "2026-08-20", "digits": [9,2,9,8], "winning_number": "9298",
              "prize": {"straight": 1186800.0, "box": 49400, "set_straight": 618100,
                        "set_box": 24700}},
             {"draw_no": 7054, "date": "2026-08-21", "digits": [7,7,7,7], "winning_number": "7777",
              "prize": {"straight": 900000, "box": null, "set_straight": null, "set_box": null}}])",
         "7053 2026-08-20 9298 1186800/49400/618100/24700 | 7054 2026-08-21 7777 900000/-/-/-",
         {},
         true},
        // Newest first, without prizes, with a BOM and CR LF.
        {"\xEF\xBB\xBF[{\"round\": 7054, \"date\": \"2026-08-21\", \"numbers\": [9,5,7,7], "
         "\"bonus\": []},\r\n {\"round\": 7053, \"date\": \"2026/8/20\", \"numbers\": [0,0,9,7], "
         "\"bonus\": []}]\r\n",
         "7053 2026-08-20 0097 -/-/-/- | 7054 2026-08-21 9577 -/-/-/-",
         {}},
        // latest.json: one object.
        {R"({"draw_no": 12, "date": "1994-10-20", "winning_number": "0123", "prize": null})",
         "12 1994-10-20 0123 -/-/-/-",
         {}},
        {"[]", "", {}},
        {R"([{"draw_no": 1, "date": "2026-08-21", "digits": [9,5,7)", {}, "JSON として読めません"},
        {R"([{"draw_no": 1, "digits": [9,5,7,7], "winning_number": "9578"}])",
         {},
         "1 件目：当選番号「9578」"},
        {R"([{"round": 2, "numbers": [1,2,3]}])", {}, "1 件目：数字"},
        {R"([{"round": 2, "numbers": [1,2,3,10]}])", {}, "1 件目：第4数字「10」"},
        {R"([{"round": 40000, "numbers": [1,2,3,4]}])", {}, "1 件目：回数「40000」"},
        {R"([{"numbers": [1,2,3,4]}])", {}, "1 件目：回数（draw_no・round）がありません"},
        {R"([{"round": 3, "numbers": [1,2,3,4]}, {"round": 3, "numbers": [1,2,3,5]}])",
         {},
         "2 件目：第3回が異なる内容で重複"},
        // Prizes that break the prize rule leave the draw in without them.
        {R"([{"draw_no": 4, "digits": [1,1,1,1], "prize": {"straight": 9, "box": 5}}])",
         "4  1111 -/-/-/-",
         {},
         true},
        {R"([{"draw_no": 5, "digits": [1,2,3,4], "prize": {"straight": "1,000"}}])",
         {},
         "1 件目：ストレートの当せん金"},
        {R"([{"draw_no": 6, "date": "yesterday", "digits": [1,2,3,4]}])", {}, "1 件目：抽選日"},
        {"[7054]", {}, "1 件目：回のオブジェクトではありません"},
    };
    for (const Case& c : cases) {
        const ParsedDraws p = parseDrawText(c.in);
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_TRUE(p.json);
        if (c.refusal.isEmpty()) {
            ASSERT_TRUE(p.ok()) << p.refusals.front().reason.toStdString();
            EXPECT_EQ(render(p), c.draws);
            EXPECT_EQ(p.hasPrizes, c.prizes);
        } else {
            ASSERT_FALSE(p.ok());
            EXPECT_TRUE(p.refusals.front().reason.startsWith(c.refusal))
                << p.refusals.front().reason.toStdString();
        }
    }
}

// From a file the same reader runs, and a refusal names the file and the element.
TEST(DrawJson, FilesAreReadToo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("numbers4.json");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"(  [{"round": 7054, "date": "2026-08-21", "numbers": [9,5,7,7], "bonus": []},
                {"round": "x", "numbers": [1,2,3,4]}])");
    f.close();
    const std::optional<ParsedDraws> p = readDrawFile(path);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->draws.size(), 1u);
    EXPECT_EQ(firstRefusal(*p, path), path + ": 2 件目：回数「x」は 1～32767 の整数ではありません");
}
