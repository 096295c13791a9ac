#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

const QString kHeading = QStringLiteral("             予 想 数 字                   ");

std::vector<const Sheet*> pointers(const PredictionSheets& s) {
    return {&s[0], &s[1], &s[2], &s[3]};
}

QString digits(const PredictionSheets& sheets) { return test::predictionDigits(pointers(sheets)); }

ReflectOptions optionsOn(std::initializer_list<int> reflect) {
    ReflectOptions options{};
    for (int i : reflect) options[std::size_t(i)] = true;
    return options;
}

QString shown(const DrawHistory& h, std::initializer_list<int> reflect = {}) {
    return digits(predictionSheets(predict(h, optionsOn(reflect))));
}

// "LRTB" with "-" for each side that has no line; every line must be black.
QString lines(const Sheet& s, int col, int row) {
    QString out;
    const std::pair<Side, char> sides[] = {{Left, 'L'}, {Right, 'R'}, {Top, 'T'}, {Bottom, 'B'}};
    for (auto [side, letter] : sides) {
        Rgb colour = 0;
        const bool has = s.border(col, row, side, &colour);
        EXPECT_TRUE(!has || colour == colour::Black);
        out += has ? QLatin1Char(letter) : QLatin1Char('-');
    }
    return out;
}

QString lineRows(const Sheet& s) {
    QStringList rows;
    for (int r = 1; r <= s.rowCount(); ++r) {
        QStringList cells;
        for (int c = 1; c <= s.columnCount(); ++c) cells << lines(s, c, r);
        rows << cells.join(QLatin1Char(' '));
    }
    return rows.join(QLatin1Char('/'));
}

constexpr std::initializer_list<int> kThree{0, 3, 5};
constexpr std::initializer_list<int> kAll{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};

// 1234 recurs after 7 draws, 5678 after 9, 9999 after 11: nine rapid-fire digits.
DrawHistory thirtyDraws() {
    return test::history({"1234", "0000", "0000", "0000", "0000", "0000", "0000", "1234",
                          "5678", "0000", "0000", "0000", "0000", "0000", "0000", "0000",
                          "0000", "5678", "9999", "0000", "0000", "0000", "0000", "0000",
                          "0000", "0000", "0000", "0000", "0000", "9999"});
}

// Draws 1, 8, 9, 18; draw 10 incomplete, the rest missing.
DrawHistory gappedDraws() {
    std::vector<DrawRecord> rows = test::draws({"1234"}, 1);
    for (const DrawRecord& r : test::draws({"1234", "5678", "5_78"}, 8)) rows.push_back(r);
    rows.push_back(test::draws({"5678"}, 18).front());
    return DrawHistory::fromRows(rows);
}

}  // namespace

TEST(PredictionGrids, LayoutBeforeAnyDigit) {
    PredictionSheets s;
    layoutPredictionGrids(s);
    const QString labels[4][5] = {
        {QString(), QStringLiteral(" 7回周期法"), QStringLiteral(" 9回周期法"),
         QStringLiteral("11回周期法"), QStringLiteral("12回周期法")},
        {QString(), QString(), QStringLiteral("消去法"), QString()},
        {QString(), QStringLiteral("連発予想"), QString()},
        {QString(), QStringLiteral("１発予想")},
    };
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const Sheet& g = s[k];
        ASSERT_EQ(g.columnCount(), 5);
        ASSERT_EQ(g.rowCount(), 5 - k);
        EXPECT_EQ(g.frozenRows(), 0);
        EXPECT_TRUE(g.overflow());
        EXPECT_EQ(g.activeColumn(), 0);
        EXPECT_EQ(g.activeRow(), 0);
        EXPECT_EQ(g.columnWidth(1), 8);
        for (int c = 2; c <= 5; ++c) EXPECT_EQ(g.columnWidth(c), 5);
        for (int r = 1; r <= g.rowCount(); ++r) {
            EXPECT_EQ(g.rowHeight(r), 10);
            for (int c = 1; c <= 5; ++c) {
                EXPECT_FALSE(g.editable(c, r));
                EXPECT_EQ(g.align(c, r), r == 1 && c == 2 ? Align::Left : Align::Center);
                EXPECT_EQ(g.foreground(c, r), r == 1 ? colour::Blue : colour::Black);
                EXPECT_EQ(g.background(c, r), r == 1 ? colour::LightPink : colour::White);
                const QString text = r == 1 ? (c == 2 ? kHeading : QString())
                                            : (c == 1 ? labels[k][r - 1] : QString());
                EXPECT_EQ(g.text(c, r), text) << c << "," << r;
            }
        }
    }
    const QString all = QStringLiteral("LRTB LRTB LRTB LRTB");
    EXPECT_EQ(lineRows(s[0]), QStringLiteral("-RTB ---- ---- ---- ----/-RTB --TB --TB --TB --TB/"
                                             "-RTB --TB --TB --TB --TB/-RTB --TB --TB --TB --TB/"
                                             "-RTB --TB --TB --TB --TB"));
    EXPECT_EQ(lineRows(s[1]),
              "LRTB ---- ---- ---- ----/---- " + all + "/---- " + all + "/---- " + all);
    EXPECT_EQ(lineRows(s[2]), "LRTB ---- ---- ---- ----/---- " + all + "/---- " + all);
    EXPECT_EQ(lineRows(s[3]), "LRTB ---- ---- ---- ----/LRTB " + all);
}

TEST(PredictionGrids, GoldenSmallHistories) {
    const DrawHistory thirty = thirtyDraws();
    EXPECT_EQ(shown(thirty), "1234/5678/9999/.... | 1892/4376/0... | 1234/5678/9... | 1236");
    EXPECT_EQ(shown(thirty, kThree),
              "1234/5678/9999/.... | 1892/4376/0... | 1234/5678/9... | 1236");
    EXPECT_EQ(shown(thirty, kAll), "1234/5678/9999/.... | 1892/7346/0... | 1234/5678/9... | 1236");

    const DrawHistory gapped = gappedDraws();
    EXPECT_EQ(shown(gapped), "1234/5678/..../.... | 6592/8431/70.. | 3456/7821 | 4567");
    EXPECT_EQ(shown(gapped, kThree), "1234/5678/..../.... | 1892/4376/0... | 1234/5678 | 1236");
    EXPECT_EQ(shown(gapped, kAll), "1234/5678/..../.... | 2198/4376/0... | 1234/5678 | 1234");

    const DrawHistory shortOne = test::history({"1234", "5678", "9012"});
    const QString noCycle = QStringLiteral("..../..../..../.... | ");
    EXPECT_EQ(shown(shortOne), noCycle + "1853/6470/9... | ..../.... | ....");
    EXPECT_EQ(shown(shortOne, kThree), noCycle + "1892/4376/0... | ..../.... | ....");

    const QString nothing = noCycle + "..../..../.... | ..../.... | ....";
    EXPECT_EQ(shown(DrawHistory{}, kAll), nothing);
    EXPECT_EQ(shown(test::history({"12_4", "____"})), nothing);  // no complete draw
}

TEST(PredictionGrids, RapidFireRowComesWithTheResult) {
    PredictionSheets laidOut;
    layoutPredictionGrids(laidOut);
    const QByteArray fresh = sheetsToJson(QString(), pointers(laidOut));

    PredictionSheets s = predictionSheets(predict(thirtyDraws(), {}));
    EXPECT_EQ(digits(s).section(QStringLiteral(" | "), 2, 2), "1234/5678/9...");
    // The grown row looks like the rows above it and the label box reaches down.
    EXPECT_EQ(s[2].rowHeight(4), 10);
    EXPECT_EQ(lineRows(s[2]).section(QLatin1Char('/'), 3),
              QStringLiteral("---- LRTB LRTB LRTB LRTB"));
    s = predictionSheets(predict(test::history({"1234", "5678", "9012"}), {}));
    EXPECT_EQ(s[2].rowCount(), 3);
    EXPECT_EQ(digits(s), "..../..../..../.... | 1853/6470/9... | ..../.... | ....");

    // An empty result leaves exactly the laid-out grids, down to every line and colour.
    s = predictionSheets(predict(DrawHistory{}, {}));
    EXPECT_EQ(sheetsToJson(QString(), pointers(s)), fresh);
}

TEST(PredictionGrids, SampleHistory) {
    QFile csv(QStringLiteral(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const DrawHistory h = DrawHistory::fromRows(parseDrawCsv(csv.readAll(), csv.fileName()));
    const QString cycles = QStringLiteral("0061/4177/2009/1703 | ");
    EXPECT_EQ(shown(h), cycles + "1498/6732/.... | 0142/3679 | 0123");
    EXPECT_EQ(shown(h, kThree), cycles + "7925/316./.... | 6479/0123 | 6790");
    EXPECT_EQ(shown(h, kAll), cycles + "3587/9641/.... | 0614/2379 | 1423");
}

TEST(PredictionCli, PrintsTheFourGridsAndChecksTheOptionList) {
    test::TempDatabase db(gappedDraws().rows);
    QTemporaryDir work;
    auto run = [&](const QStringList& args, QByteArray* out = nullptr) {
        const test::CliRun r = test::runCli(args, work.path());
        if (out) *out = r.out;
        return r.code;
    };
    const QString name = QStringLiteral("一発ピルモア");
    const QStringList sheet{QStringLiteral("sheet"), name, QStringLiteral("--db"), db.connect.file};

    QByteArray out;
    ASSERT_EQ(run(sheet + QStringList{"--reflect", "0,3,5"}, &out), 0);
    const PredictionSheets s = predictionSheets(predict(gappedDraws(), optionsOn(kThree)));
    EXPECT_EQ(out, sheetsToTsv(pointers(s)));
    EXPECT_EQ(out.count("## grid "), 4);

    ASSERT_EQ(run(sheet + QStringList{"--format", "json"}, &out), 0);
    const QJsonObject json = QJsonDocument::fromJson(out).object();
    EXPECT_EQ(json[QStringLiteral("window")].toString(), name);
    EXPECT_EQ(json[QStringLiteral("grids")].toArray().size(), 4);

    for (const char* bad : {"10", "-1", "a", "1,,2", "0;3"})
        EXPECT_EQ(run(sheet + QStringList{"--reflect", bad}), 2) << bad;
    EXPECT_EQ(run({"sheet", "出現頻度分析", "--db", db.connect.file, "--reflect", "1"}), 2);

    ASSERT_EQ(run({"windows"}, &out), 0);
    EXPECT_TRUE(QString::fromUtf8(out).split(QLatin1Char('\n')).contains(name));
    // The tool never touches the options file.
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::Files).isEmpty());
}
