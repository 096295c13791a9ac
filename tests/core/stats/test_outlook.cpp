// The expected prize of a number: a made-up history where the answer is known, the fit's
// independence of row order, the refusal below 500 draws, and the held-out check on the sample.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <random>

#include "core/stats/outlook.h"
#include "core/store/drawcsv.h"

using namespace pirumoa;

namespace {

DrawRecord drawOf(int no, int number) {
    DrawRecord r;
    r.no = no;
    for (int p = 3; p >= 0; --p, number /= 10) r.digits[std::size_t(p)] = std::int8_t(number % 10);
    return r;
}

// Draws whose straight prize is 1,000,000 yen times a sales level that doubles over the
// history, times a little noise, and half that when the number is shaped like a date.
DrawHistory madeUp(int draws, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> any(0, 9999);
    std::uniform_int_distribution<int> month(1, 12), day(1, 28);
    std::normal_distribution<double> noise(0, 0.1);
    std::vector<DrawRecord> rows;
    PrizeTable prizes;
    for (int no = 1; no <= draws; ++no) {
        const bool date = no % 3 == 0;
        const int number = date ? month(rng) * 100 + day(rng) : any(rng);
        rows.push_back(drawOf(no, number));
        const double level = 1.0 + double(no) / draws;
        PrizeAmounts p;
        p.straight = std::llround(1e6 * level * (date ? 0.5 : 1.0) * std::exp(noise(rng)));
        p.box = digitOrders(number) > 1 ? p.straight / digitOrders(number) : -1;
        prizes.set(no, p);
    }
    DrawHistory h = DrawHistory::fromRows(std::move(rows));
    h.prizes = prizes;
    return h;
}

constexpr int kDate = 4;  // the feature "日付の形"

TEST(Outlook, FindsAFeatureThatHalvesThePrize) {
    const OutlookModel m = OutlookModel::fit(madeUp(3000));
    ASSERT_TRUE(m.ready());
    EXPECT_EQ(OutlookModel::featureLabel(kDate), QStringLiteral("日付の形"));
    EXPECT_NEAR(std::exp(m.weight(OutlookBet::Straight, kDate)), 0.5, 0.05);
    EXPECT_NEAR(std::exp(m.weight(OutlookBet::Box, kDate)), 0.5, 0.05);

    // A date pays about half of a number without features, at today's sales level (2,000,000).
    const NumberOutlook date = m.outlook(315), plain = m.outlook(5296);
    EXPECT_NEAR(double(date.straight.yen) / double(plain.straight.yen), 0.5, 0.05);
    EXPECT_NEAR(double(plain.straight.yen), 2e6, 2e5);
    EXPECT_NEAR(plain.straight.rate, double(plain.straight.yen) / 1e4 / 200, 1e-6);
    EXPECT_LT(plain.straight.rateLow, plain.straight.rate);
    EXPECT_GT(plain.straight.rateHigh, plain.straight.rate);
    ASSERT_FALSE(date.straight.moved.empty());
    EXPECT_EQ(date.straight.moved.front().label, QStringLiteral("日付の形"));
    // The box of the same number wins with 24 orders of its digits and pays a 24th.
    EXPECT_EQ(date.orders, 24);
    EXPECT_NEAR(date.box.rate, date.straight.rate, date.straight.rate * 0.1);
    // A quad cannot be bought as a box.
    EXPECT_FALSE(m.outlook(1111).box.available);
    EXPECT_EQ(m.outlook(1111).setRate, 0);
}

TEST(Outlook, SameFitWhateverTheOrderOfRows) {
    const DrawHistory h = madeUp(800, 11);
    std::vector<DrawRecord> shuffled = h.rows;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
    DrawHistory other = DrawHistory::fromRows(shuffled);
    other.prizes = h.prizes;
    const OutlookModel a = OutlookModel::fit(h), b = OutlookModel::fit(other);
    ASSERT_TRUE(a.ready());
    for (int n : {0, 315, 1111, 1234, 5296, 9876}) {
        const NumberOutlook x = a.outlook(n), y = b.outlook(n);
        EXPECT_EQ(x.straight.yen, y.straight.yen);
        EXPECT_EQ(x.box.yen, y.box.yen);
        EXPECT_EQ(x.straight.rateHigh, y.straight.rateHigh);
    }
}

TEST(Outlook, SaysNothingBelowFiveHundredDrawsWithPrizes) {
    DrawHistory h = madeUp(600);
    for (int no = 500; no <= 600; ++no) h.prizes.erase(no);
    const OutlookModel m = OutlookModel::fit(h);
    EXPECT_FALSE(m.ready());
    EXPECT_EQ(m.drawsUsed(), 499);
    EXPECT_FALSE(m.outlook(1234).straight.available);
    h.prizes.set(500, {.straight = 100000});
    EXPECT_TRUE(OutlookModel::fit(h).ready());
}

// Fitted on draws 1–5,000 of the sample, the model's log relative prizes of draws 5,001 on
// against those paid.
TEST(Outlook, HeldOutCheckOnTheSample) {
    DrawHistory h =
        DrawHistory::fromRows(readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
    QFile f(PIRUMOA_DATA_DIR "/numbers4_payouts.csv");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    f.readLine();
    while (!f.atEnd()) {
        const QList<QByteArray> c = f.readLine().trimmed().split(',');
        if (c.size() != 5 || c[1].isEmpty()) continue;
        h.prizes.set(c[0].toInt(), {.straight = c[1].toLongLong(),
                                    .box = c[2].isEmpty() ? -1 : c[2].toLongLong()});
    }
    const OutlookCheck c = checkOutlook(h, 5000);
    std::printf(
        "held out: fit %d draws, checked %d, correlation %.3f, relative prize of the "
        "most popular tenth %.3f, least popular %.3f\n",
        c.fitDraws, c.checkDraws, c.correlation, c.mostPopularTenth, c.leastPopularTenth);
    EXPECT_GE(c.correlation, 0.35);
    EXPECT_GT(c.checkDraws, 2000);
    EXPECT_GT(c.leastPopularTenth, c.mostPopularTenth);

    const OutlookModel m = OutlookModel::fit(h);
    for (int i = 0; i < OutlookModel::kFeatureCount; ++i)
        std::printf("  %-40s straight ×%.2f  box ×%.2f\n",
                    OutlookModel::featureLabel(i).toUtf8().constData(),
                    std::exp(m.weight(OutlookBet::Straight, i)),
                    std::exp(m.weight(OutlookBet::Box, i)));
    for (int n : {315, 1111, 1234, 5296, 7777, 8642}) {
        const NumberOutlook o = m.outlook(n);
        std::printf("  %04d straight %lld (%.0f%%, x%.2f) box %lld (%.0f%%)\n", n, o.straight.yen,
                    o.straight.rate * 100, o.straight.ratio, o.box.yen, o.box.rate * 100);
    }
    // A date pays less than an average number, the quads least of all.
    EXPECT_LT(m.outlook(315).straight.ratio, 0.8);
    EXPECT_LT(m.outlook(1111).straight.ratio, m.outlook(315).straight.ratio);
}

}  // namespace
