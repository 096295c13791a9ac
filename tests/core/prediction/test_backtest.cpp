// The prediction replayed over small hand-made histories whose hits can be counted by hand,
// the ranges chance gives, and the replay against the window's own computation.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <random>

#include "core/prediction/backtestsheets.h"
#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "testsupport.h"

using namespace pirumoa;

namespace {

Backtest replayed(const DrawHistory& h, std::initializer_list<int> reflect = {}) {
    ReflectOptions options{};
    for (int i : reflect) options[std::size_t(i)] = true;
    Backtest b(std::make_shared<const DrawHistory>(h), options);
    b.run();
    return b;
}

const BacktestTally& tally(const Backtest& b, BacktestMethod method, BacktestMeasure measure) {
    for (const BacktestTally& t : b.tallies())
        if (t.method() == method && t.measure() == measure) return t;
    throw std::logic_error("no such tally");
}

// Ten draws "0000": the elimination rows read zeros whatever the base draw, so every
// prediction is the nine digits 1,8,9,2,4,3,7,6,0, which hold every digit drawn. A digit
// drawn in each draw finds its last appearance one draw back: no cycle digit, so no cycle,
// rapid-fire or one-shot prediction either.
DrawHistory tenZeroDraws() {
    return test::history(
        {"0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000"});
}

// Seven draws over ten digits that share none, repeated: from draw 8 on each draw's digits
// last appeared exactly seven draws before, so the 7-draw cycle row is always the previous
// draw, which the next draw never matches.
DrawHistory periodSeven(int draws) {
    const char* week[] = {"1123", "4445", "6666", "7777", "8888", "9999", "0000"};
    std::vector<DrawRecord> rows;
    for (int n = 1; n <= draws; ++n) rows.push_back(test::draws({week[(n - 1) % 7]}, n).front());
    return DrawHistory::fromRows(rows);
}

}  // namespace

TEST(Backtest, ZeroDrawsHitEveryTimeAndTheTableSaysMoreThanChance) {
    const DrawHistory h = tenZeroDraws();
    const Backtest b = replayed(h);
    EXPECT_EQ(b.predictedDraws(), 9);
    EXPECT_TRUE(b.done());
    // The chart's chance line: four digits at 0.9 by the first draw predicted, 36 by the last.
    EXPECT_EQ(b.curve().front().expected[0], 4 * 9000);
    EXPECT_EQ(b.curve().back().expected[0], 36 * 9000);
    // Rows without a prediction cannot be judged; the bet rows bet nothing.
    const QByteArray undecided = "\t0\t0\t0.000000\t－\t0\t0\t判定できません\t－\t";
    QByteArray cycles;
    for (const char* method : {"7回周期法", "9回周期法", "11回周期法", "12回周期法"})
        for (const char* measure : {"位置ごとの数字", "ストレート", "ボックス"})
            cycles += QByteArray(method) + "\t" + measure + undecided +
                      (QByteArray(measure) == "位置ごとの数字" ? "\t\t\t\t\t\n"
                                                               : "0\t0\t0.00\t0\t0\t0\n");
    // Covered: 9 of 9 where chance gives 0.9^4 = 0.6561 a draw, 5.9049 in all, and binomial
    // (9, 0.6561) puts 95% within 3 … 8; all nine has the chance 0.6561^9 = 0.0225. Digits
    // found: 36 of 36 positions at 0.9 each, 32.4 expected, 29 … 35, all of them 0.9^36 =
    // 0.0225 too. The p-values are two-sided, twice that. Each row alone lies above chance; the
    // two together, corrected, do not (0.045 is above 0.05 / 2).
    const QByteArray expected =
        "method\tmeasure\tpredictions\thits\texpected\tratio\tlow\thigh\tverdict\tp\tcost\twon\t"
        "chance_yen\tchance_low\tchance_high\tno_prize\n" +
        cycles +
        "消去法\t4数字とも含む\t9\t9\t5.904900\t1.524158\t3\t8\t偶然より多い\t0."
        "0450568\t\t\t\t\t\t\n"
        "消去法\t含まれた数字\t9\t36\t32.400000\t1.111111\t29\t35\t偶然より多い\t0."
        "0450568\t\t\t\t\t\t\n"
        "連発予想\t4数字とも含む" +
        undecided +
        "\t\t\t\t\t\n"
        "連発予想\t含まれた数字" +
        undecided +
        "\t\t\t\t\t\n"
        "１発予想\t4数字とも含む" +
        undecided +
        "\t\t\t\t\t\n"
        "１発予想\t含まれた数字" +
        undecided +
        "\t\t\t\t\t\n"
        "overall\tHolm\t2\t0\t\t\t\t\t偶然の範囲内\n";
    EXPECT_EQ(backtestToTsv(b).toStdString(), expected.toStdString());

    // The window's grid of the same: a label box per method, rates, the range, the verdict.
    Sheet s;
    fillBacktestSheet(b, s);
    QByteArray grid =
        "\t\t\t予想の成績\t\t\t\t偶然（無作為に選んだ予想）なら\t\t\t\n"
        "手法\t測り方\t予想数\t的中数\t的中率\t的中率\t期待値\t的中÷期待値\t95%範囲\tp値\t判定\n";
    for (const char* method : {"7回周期法", "9回周期法", "11回周期法", "12回周期法"})
        for (int i = 0; i < 3; ++i)
            grid += QByteArray(i == 1 ? method : "") + "\t" +
                    QByteArray(i == 0   ? "位置ごとの数字"
                               : i == 1 ? "ストレート"
                                        : "ボックス") +
                    "\t0\t0\t－\t－\t0.00\t－\t－\t－\t判定できません\n";
    // Expected hits of five and more: the ratio stands.
    grid +=
        "消去法\t4数字とも含む\t9\t9\t100.0%\t65.6%\t5.90\t1.524\t3～8\t0.045\t偶然より多い\n"
        "\t含まれた数字\t9\t36\t100.0%\t90.0%\t32.40\t1.111\t29～35\t0.045\t偶然より多い\n"
        "連発予想\t4数字とも含む\t0\t0\t－\t－\t0.00\t－\t－\t－\t判定できません\n"
        "\t含まれた数字\t0\t0\t－\t－\t0.00\t－\t－\t－\t判定できません\n"
        "１発予想\t4数字とも含む\t0\t0\t－\t－\t0.00\t－\t－\t－\t判定できません\n"
        "\t含まれた数字\t0\t0\t－\t－\t0.00\t－\t－\t－\t判定できません\n"
        "表全体の判定（2行をまとめて補正）：偶然の範囲内。どの行も、偶然と違うとはいえません"
        "\t\t\t\t\t\t\t\t\t\t\n";
    EXPECT_EQ(sheetsToTsv({&s}).toStdString(), grid.toStdString());
    EXPECT_EQ(s.frozenRows(), 2);
    EXPECT_EQ(s.background(9, 2), colour::LightYellow);
    EXPECT_EQ(s.background(1, 20), colour::LightYellow);
    EXPECT_EQ(s.background(11, 15), colour::LightGreen);
    EXPECT_EQ(s.background(11, 3), colour::White);
    EXPECT_EQ(s.foreground(8, 1), colour::Blue);
    // Boxes: a method's rows in column 1, a heading over both heading rows, a group heading
    // over its columns; lines round each, none inside.
    auto line = [&](int c, int r, Side side) {
        Rgb colour = 0;
        return s.border(c, r, side, &colour) && colour == colour::LightBlue;
    };
    EXPECT_FALSE(line(1, 3, Bottom));
    EXPECT_TRUE(line(1, 5, Bottom));
    EXPECT_TRUE(line(2, 3, Bottom));
    EXPECT_FALSE(line(11, 1, Bottom));
    EXPECT_TRUE(line(11, 2, Bottom));
    EXPECT_FALSE(line(6, 1, Right));
    EXPECT_TRUE(line(10, 1, Right));
    EXPECT_TRUE(line(6, 1, Bottom));
}

TEST(Backtest, APeriodOfSevenNeverHitsAndBoxChanceFollowsThePattern) {
    const DrawHistory h = periodSeven(17);
    const Backtest b = replayed(h);
    // Draws 9 … 17 are predicted from the rows of draws 8 … 16: 1123, 4445, 6666, 7777, 8888,
    // 9999, 0000, 1123, 4445.
    const BacktestTally& position = tally(b, BacktestMethod::Cycle7, BacktestMeasure::Position);
    EXPECT_EQ(position.predictions(), 9);
    EXPECT_EQ(position.trials(), 36);
    EXPECT_EQ(position.hits(), 0);
    EXPECT_DOUBLE_EQ(position.expected(), 3.6);
    // 0.9^36 = 0.0225: no hit at all lies below the central 95%.
    EXPECT_EQ(position.range().low, 1);
    EXPECT_EQ(position.range().high, 7);
    EXPECT_EQ(position.verdict(), Verdict::Fewer);

    const BacktestTally& straight = tally(b, BacktestMethod::Cycle7, BacktestMeasure::Straight);
    EXPECT_EQ(straight.predictions(), 9);
    EXPECT_EQ(straight.hits(), 0);
    EXPECT_DOUBLE_EQ(straight.expected(), 0.0009);
    EXPECT_EQ(straight.verdict(), Verdict::Within);

    // 12 orders for 1123, 4 for 4445; the five predictions of four equal digits cannot be
    // bought as a box and are left out: (2·12 + 2·4) / 10,000, and no hit at all is 99.7%.
    const BacktestTally& box = tally(b, BacktestMethod::Cycle7, BacktestMeasure::Box);
    EXPECT_EQ(box.predictions(), 4);
    EXPECT_EQ(box.leftOut(), 5);
    EXPECT_EQ(box.hits(), 0);
    EXPECT_DOUBLE_EQ(box.expected(), 0.0032);
    EXPECT_EQ(box.range().low, 0);
    EXPECT_EQ(box.range().high, 0);
    EXPECT_EQ(box.verdict(), Verdict::Within);

    // The window's rows of the 7-draw cycle: the range as the hit counts inside it.
    Sheet s;
    fillBacktestSheet(b, s);
    EXPECT_EQ(s.text(9, 3), QStringLiteral("1～7"));
    EXPECT_EQ(s.text(10, 3), QStringLiteral("0.045"));  // twice 0.9^36 for none at all
    EXPECT_EQ(s.text(11, 3), QStringLiteral("偶然より少ない"));
    EXPECT_EQ(s.background(11, 3), colour::LightPink);
    EXPECT_EQ(s.text(9, 5), QStringLiteral("0～0"));
    EXPECT_EQ(s.text(8, 5), QStringLiteral("－"));  // far fewer than five expected
    // The tool leaves that ratio out as the window does.
    EXPECT_TRUE(backtestToTsv(b).contains("7回周期法\tボックス\t4\t0\t0.003200\t－\t"));
    const QJsonArray lines = QJsonDocument::fromJson(backtestToJson(b))["lines"].toArray();
    EXPECT_TRUE(lines[2]["ratio"].isNull());
    EXPECT_EQ(lines[2]["measure"].toString(), QStringLiteral("ボックス"));
    EXPECT_EQ(s.text(6, 5), QStringLiteral("0.0800%"));  // 0.0032 of four

    // Every interval is seven: the other cycle rows never predict.
    for (BacktestMethod m :
         {BacktestMethod::Cycle9, BacktestMethod::Cycle11, BacktestMethod::Cycle12})
        EXPECT_EQ(tally(b, m, BacktestMeasure::Position).predictions(), 0);
}

TEST(Backtest, RangesFromTheBinomialAndTheNormal) {
    // Binomial(10, 0.1): P(X ≤ 0) = 0.349 already passes 2.5%; P(X ≤ 3) = 0.987 passes 97.5%.
    const ChanceRange r = binomialRange(10, 1000);
    EXPECT_TRUE(r.exact);
    EXPECT_EQ(r.low, 0);
    EXPECT_EQ(r.high, 3);
    // Certain and impossible trials, and none at all.
    EXPECT_EQ(binomialRange(7, kChanceUnit).low, 7);
    EXPECT_EQ(binomialRange(7, kChanceUnit).high, 7);
    EXPECT_EQ(binomialRange(0, 1000).high, 0);
    // A long binomial stays cheap and central: 131,068 positions at 0.9.
    const ChanceRange wide = binomialRange(131068, 9000);
    EXPECT_LT(wide.low, 117961.2);
    EXPECT_GT(wide.high, 117961.2);
    EXPECT_NEAR(wide.high - wide.low, 2 * 1.96 * std::sqrt(131068 * 0.09), 3);

    // Two trials at one half and two certain ones: 2, 3 or 4 hits, at 1/4, 1/2, 1/4. None is
    // impossible by chance.
    BacktestTally t(BacktestMethod::Elimination, BacktestMeasure::DigitsFound);
    for (int chance : {5000, 5000, kChanceUnit, kChanceUnit}) t.addTrial(chance, false);
    t.addPrediction();
    EXPECT_TRUE(t.range().exact);
    EXPECT_EQ(t.range().low, 2);
    EXPECT_EQ(t.range().high, 4);
    EXPECT_EQ(t.twoSidedP(), 0);
    EXPECT_EQ(t.verdict(), Verdict::Fewer);
    EXPECT_EQ(t.ratio(), 0);
}

TEST(Backtest, HistoriesWithoutTwoCompleteDrawsPredictNothing) {
    for (const DrawHistory& h :
         {DrawHistory::fromRows({}), test::history({"1234"}),
          test::history({"1_34", "____", "123_"}), test::history({"12_4", "5678", "____"})}) {
        const Backtest b = replayed(h, {0, 9});
        EXPECT_TRUE(b.done());
        EXPECT_EQ(b.predictedDraws(), 0);
        for (const BacktestTally& t : b.tallies()) {
            EXPECT_EQ(t.predictions(), 0);
            EXPECT_EQ(t.hits(), 0);
            EXPECT_EQ(t.verdict(), Verdict::Undecided);
        }
        EXPECT_FALSE(overallVerdict(b.tallies()).decided);
        Sheet s;
        fillBacktestSheet(b, s);
        EXPECT_EQ(s.error(), QString());
        EXPECT_EQ(s.rowCount(), 21);
    }
}

TEST(Backtest, EachReplayedPredictionToTheLastIsThePredictionOfTheHistoryBeforeIt) {
    // Random draws with results missing here and there, and the options moving the elimination
    // back by three.
    std::mt19937 random(15);
    std::uniform_int_distribution<int> digit(0, 9), gap(0, 12);
    std::vector<DrawRecord> rows;
    for (int n = 1; n <= 160; ++n) {
        DrawRecord r;
        r.no = n;
        for (auto& d : r.digits) d = std::int8_t(digit(random));
        if (gap(random) == 0) r.digits[std::size_t(n % 4)] = -1;
        rows.push_back(r);
    }
    const DrawHistory history = DrawHistory::fromRows(rows);
    ReflectOptions options{};
    options[1] = options[4] = options[7] = true;

    Backtest b(std::make_shared<const DrawHistory>(history), options);
    int checked = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const long long before = b.predictedDraws();
        b.step(1);
        if (b.predictedDraws() == before) continue;
        EXPECT_EQ(b.lastPredictedDrawNo(), rows[i].no);
        const DrawHistory earlier =
            DrawHistory::fromRows(std::vector<DrawRecord>(rows.begin(), rows.begin() + long(i)));
        ASSERT_EQ(b.lastPrediction(), predict(earlier, options)) << "draw " << rows[i].no;
        ++checked;
    }
    EXPECT_GT(checked, 140);
    EXPECT_EQ(b.lastPredictedDrawNo(), history.latestDrawNo);
}

TEST(BacktestCli, PrintsTheTableAndRefusesBadArguments) {
    test::TempDatabase db(test::draws(
        {"0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000"}));
    const QString file = db.connect.file;
    const test::CliRun tsv = test::runCli({"backtest", "--db", file});
    ASSERT_EQ(tsv.code, 0) << tsv.err.toStdString();
    const DrawHistory h = tenZeroDraws();
    EXPECT_EQ(tsv.out, backtestToTsv(replayed(h)));
    const test::CliRun json =
        test::runCli({"backtest", "--db", file, "--format", "json", "--reflect", "2,5"});
    ASSERT_EQ(json.code, 0);
    EXPECT_TRUE(json.out.contains("\"reflect\": [\n        2,\n        5\n    ]"));
    EXPECT_TRUE(json.out.contains("\"verdict\": \"偶然より多い\""));
    EXPECT_EQ(test::runCli({"backtest", "--db", file, "--format", "csv"}).code, 2);
    EXPECT_EQ(test::runCli({"backtest", "--db", file, "--reflect", "10"}).code, 2);
    EXPECT_EQ(test::runCli({"backtest", "extra", "--db", file}).code, 2);
    // The window's grid through the sheet command, as for every window.
    const test::CliRun sheet = test::runCli({"sheet", "予想の検証", "--db", file});
    ASSERT_EQ(sheet.code, 0);
    EXPECT_TRUE(sheet.out.contains("\n手法\t測り方\t"));
    EXPECT_EQ(sheet.out.count('\n'), 21);
}

namespace {

// The orders of four digits, counted here apart from the replay's own count.
int ordersOf(std::array<int, 4> d) {
    std::sort(d.begin(), d.end());
    int ways = 24;
    for (int i = 0; i < 4;) {
        int j = i;
        while (j < 4 && d[j] == d[i]) ++j;
        for (int f = 2; f <= j - i; ++f) ways /= f;
        i = j;
    }
    return ways;
}

}  // namespace

// The cycle rows bet on the sample at its stored prizes, against the prizes of the hit draws
// summed here from the replay's own predictions, draw by draw. Chance pays a box at the
// average box prize of the sample's draws of the ticket's shape.
TEST(BacktestYen, TheSampleAtItsPrizes) {
    const DrawHistory h =
        DrawHistory::fromRows(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
    PrizeTable prizes;
    {
        QFile f(PIRUMOA_DATA_DIR "/numbers4_payouts.csv");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QByteArray& line : f.readAll().split('\n').mid(1)) {
            const QList<QByteArray> v = line.trimmed().split(',');
            if (v.size() != 5) continue;
            auto amount = [&](int i) { return v[i].isEmpty() ? -1LL : v[i].toLongLong(); };
            prizes.set(v[0].toInt(), {amount(1), amount(2), amount(3), amount(4)});
        }
    }
    std::map<int, std::pair<double, int>> boxByOrders;  // orders → sum and count of box prizes
    for (const DrawRecord& d : h.rows) {
        const PrizeAmounts* p = prizes.find(d.no);
        if (!p || p->box < 0) continue;
        auto& sum = boxByOrders[ordersOf({d.digits[0], d.digits[1], d.digits[2], d.digits[3]})];
        sum.first += double(p->box);
        ++sum.second;
    }
    Backtest b(std::make_shared<const DrawHistory>(h), ReflectOptions{});
    std::array<long long, 8> won{}, bets{};
    std::array<double, 8> expected{};
    std::size_t at = 0;
    while (!b.done()) {
        const long long before = b.predictedDraws();
        b.step(1);
        if (b.predictedDraws() == before) continue;
        while (h.rows[at].no != b.lastPredictedDrawNo()) ++at;
        const DrawRecord& draw = h.rows[at];
        const PrizeAmounts* p = prizes.find(draw.no);
        for (int k = 0; k < 4; ++k) {
            std::array<int, 4> row{}, drawn{};
            bool full = true;
            for (int i = 0; i < 4; ++i) {
                row[i] = b.lastPrediction().cycle[k][i];
                drawn[i] = draw.digits[i];
                full = full && row[i] >= 0;
            }
            if (!full || !p) continue;
            std::array<int, 4> a = row, c = drawn;
            std::sort(a.begin(), a.end());
            std::sort(c.begin(), c.end());
            if (p->straight >= 0) {
                ++bets[k * 2];
                expected[k * 2] += double(p->straight) / 10000;
                if (row == drawn) won[k * 2] += p->straight;
            }
            const int ways = ordersOf(row);
            const bool quadDrawn = c[0] == c[3];  // no box prize, and a box lost
            if (ways > 1 && (quadDrawn || p->box >= 0)) {
                ++bets[k * 2 + 1];
                const auto& [sum, draws] = boxByOrders.at(ways);
                expected[k * 2 + 1] += sum / draws * ways / 10000;
                if (a == c) won[k * 2 + 1] += p->box;
            }
        }
    }
    const std::vector<YenTally> yen = backtestYen(b, prizes);
    ASSERT_EQ(yen.size(), 8u);
    long long anyWin = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(yen[i].bets, bets[i]);
        EXPECT_EQ(yen[i].won, won[i]);
        EXPECT_EQ(yen[i].cost(), 200 * bets[i]);
        EXPECT_NEAR(yen[i].chance.expected, expected[i], 1e-6);
        EXPECT_LE(yen[i].chance.low, llround(expected[i]));
        EXPECT_GE(yen[i].chance.high, llround(expected[i]));
        EXPECT_EQ(yen[i].noPrize, 0);  // every draw has its prizes; a box on a quad lost
        anyWin += yen[i].won;
    }
    EXPECT_GT(anyWin, 0);
    EXPECT_GT(yen[1].leftOut, 0);
    // The 7-draw cycle's box: 6,913 bets, the 8 quads drawn among them, and what chance pays
    // at the prizes of the tickets' own shapes (at the drawn numbers' prizes it was 800,276).
    EXPECT_EQ(yen[1].cost(), 1382600);
    EXPECT_EQ(llround(yen[1].chance.expected), 663164);
}

namespace {

// What chance pays the box bets of one cycle row, summed the long way: for each bet whose
// outcome is known, each of the 10,000 numbers its box wins against, at the average box
// prize of the history's draws whose digits repeat as that number's do.
double boxChanceByEnumeration(const Backtest& b, const PrizeTable& prizes, int k) {
    const auto pattern = [](const std::array<int, 4>& d) {
        std::array<int, 10> count{};
        for (int x : d) ++count[std::size_t(x)];
        std::sort(count.begin(), count.end());
        return count;
    };
    const auto sorted = [](std::array<int, 4> d) {
        std::sort(d.begin(), d.end());
        return d;
    };
    std::map<std::array<int, 10>, std::pair<double, int>> byPattern;
    std::map<int, std::array<int, 4>> drawn;
    for (const DrawRecord& r : b.history()->rows) {
        if (!r.complete()) continue;
        drawn[r.no] = {r.digits[0], r.digits[1], r.digits[2], r.digits[3]};
        const PrizeAmounts* p = prizes.find(r.no);
        if (!p || p->box < 0) continue;
        auto& sum = byPattern[pattern(drawn[r.no])];
        sum.first += double(p->box);
        ++sum.second;
    }
    double total = 0;
    for (const Backtest::CycleBet& bet : b.cycleBets()) {
        std::array<int, 4> ticket{};
        for (int i = 0; i < 4; ++i)
            ticket[std::size_t(i)] = bet.rows[std::size_t(k)][std::size_t(i)];
        if (ticket[0] < 0 || ticket[1] < 0 || ticket[2] < 0 || ticket[3] < 0) continue;
        if (pattern(ticket).back() == 4) continue;  // four equal digits: no box bought
        const std::array<int, 4> d = drawn.at(bet.drawNo);
        const PrizeAmounts* p = prizes.find(bet.drawNo);
        if (pattern(d).back() != 4 && (!p || p->box < 0)) continue;  // what it won is unknown
        for (int n = 0; n < 10000; ++n) {
            const std::array<int, 4> number{n / 1000, n / 100 % 10, n / 10 % 10, n % 10};
            if (sorted(number) != sorted(ticket)) continue;
            const auto& [sum, draws] = byPattern.at(pattern(number));
            total += sum / draws / 10000;
        }
    }
    return total;
}

}  // namespace

// Draws 9 … 12 are predicted from the 7-draw cycle row 1123 (the digits of draw 8, each last
// seen at draw 1): its box wins on 3211, misses 1234 (one 1 too few) and the quad 5555, and
// on draw 12 it is left out, that draw's prizes being unknown.
TEST(BacktestYen, ABoxRowsChanceIsTheBoxPrizeOfItsOwnShape) {
    const DrawHistory h = test::history({"1123", "4445", "6666", "7777", "8888", "9999", "0000",
                                         "1123", "3211", "1234", "5555", "4445"});
    PrizeTable prizes;
    const long long box[11] = {90000, 250000, -1, -1, -1, -1, -1, 100000, 110000, 40000, -1};
    for (int no = 1; no <= 11; ++no) prizes.set(no, {900000 + no * 1000, box[no - 1], -1, -1});
    const Backtest b = replayed(h);

    const BacktestTally& boxTally = tally(b, BacktestMethod::Cycle7, BacktestMeasure::Box);
    EXPECT_EQ(boxTally.predictions(), 4);
    EXPECT_EQ(boxTally.hits(), 1);
    const YenTally y = backtestYen(b, prizes)[1];
    ASSERT_EQ(y.type, TicketType::Box);
    EXPECT_EQ(y.bets, 3);
    EXPECT_EQ(y.wins, 1);
    EXPECT_EQ(y.won, 110000);
    EXPECT_EQ(y.cost(), 600);
    EXPECT_EQ(y.noPrize, 1);
    // Three tickets of 12 orders at the average of the three such draws, 100,000 yen.
    EXPECT_NEAR(y.chance.expected, 360, 1e-9);
    EXPECT_NEAR(y.chance.expected, boxChanceByEnumeration(b, prizes, 0), 1e-9);
    EXPECT_EQ(y.chance.low, 0);
    EXPECT_EQ(y.chance.high, 0);  // a win at all has the chance 0.36%
}
