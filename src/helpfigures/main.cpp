// help-figures: the figures the help quotes from the sample (draws, prizes, payout rates),
// worked out from data/ at build time so that no page carries a number typed by hand.
// help-figures HISTORY.csv PAYOUTS.csv OUTPUT — writes KEY=VALUE lines.
#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "core/prediction/backtest.h"
#include "core/prediction/methods.h"
#include "core/stats/outlook.h"
#include "core/store/drawcsv.h"
#include "core/store/fileerror.h"
#include "core/tickets/ticket.h"

using namespace pirumoa;

namespace {

// Orders of four digits: 24, 12, 6, 4 or 1.
int orders(std::array<int, 4> d) {
    std::map<int, int> count;
    for (int x : d) ++count[x];
    int r = 24;
    for (const auto& [digit, n] : count)
        for (int f = 2; f <= n; ++f) r /= f;
    return r;
}

QString grouped(long long v) {
    QString s = yenText(v);
    s.chop(1);  // the figures carry their unit in the page
    return s;
}

QString percent(double v) { return QString::number(v, 'f', 1); }

// The shapes of four digits by their orders, as the pages name them.
QString shapeName(int orders) {
    switch (orders) {
        case 24:
            return QStringLiteral("4 つとも違う数字、1234 など");
        case 12:
            return QStringLiteral("同じ数字が 2 つ、1123 など");
        case 6:
            return QStringLiteral("同じ数字が 2 つずつ 2 組、1122 など");
        case 4:
            return QStringLiteral("同じ数字が 3 つ、1112 など");
    }
    return QString();
}

// P(χ² ≥ x) with df degrees of freedom: one less the regularized lower incomplete gamma
// function of df / 2 at x / 2, from its series.
double chiSquareTail(double x, int df) {
    const double a = df / 2.0, h = x / 2;
    if (h <= 0) return 1;
    double term = 1 / a, sum = term;
    for (int n = 1; n < 1000 && term > sum * 1e-16; ++n) {
        term *= h / (a + n);
        sum += term;
    }
    return 1 - sum * std::exp(a * std::log(h) - h - std::lgamma(a));
}

// How far the digits drawn stray from ten equal counts: χ² with 9 degrees of freedom.
double chiSquare(const std::array<long long, 10>& counts) {
    long long total = 0;
    for (long long c : counts) total += c;
    const double expected = double(total) / 10;
    double x = 0;
    for (long long c : counts) x += (double(c) - expected) * (double(c) - expected) / expected;
    return x;
}

// The backtest's verdict over the whole table, as the help names it.
QString overallWord(const Backtest& b) {
    const OverallVerdict v = overallVerdict(b.tallies());
    if (!v.decided) return verdictText(Verdict::Undecided);
    return v.departing.empty() ? verdictText(Verdict::Within)
                               : QStringLiteral("偶然と違う行があります");
}

Backtest replayed(std::vector<DrawRecord> draws) {
    Backtest b(std::make_shared<const DrawHistory>(DrawHistory::fromRows(std::move(draws))),
               ReflectOptions{});
    b.run();
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: help-figures HISTORY.csv PAYOUTS.csv OUTPUT\n", stderr);
        return 2;
    }
    try {
        const std::vector<DrawRecord> draws = readDrawCsvFile(args[1]);
        std::map<int, std::array<int, 4>> drawn;
        for (const DrawRecord& d : draws)
            if (d.complete()) drawn[d.no] = {d.digits[0], d.digits[1], d.digits[2], d.digits[3]};

        QFile payouts(args[2]);
        if (!payouts.open(QIODevice::ReadOnly))
            throw StoreError(args[2] + QStringLiteral(": ") + readFailureReason(args[2]));
        struct Sum {
            long long draws = 0, n = 0, straight = 0, box = 0, setStraight = 0, setBox = 0;
        };
        std::map<int, Sum> byPattern;             // orders → sums over the draws of that pattern
        std::map<int, QStringList> quadStraight;  // digit → straight prizes of its quads drawn
        Sum all;
        PrizeTable prizeTable;
        int first = 0, last = 0;
        const QList<QByteArray> lines = payouts.readAll().split('\n');
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> f = lines[i].trimmed().split(',');
            if (f.size() != 5) continue;
            const int no = f[0].toInt();
            const auto it = drawn.find(no);
            if (it == drawn.end() || f[1].isEmpty()) continue;
            prizeTable.set(no, {.straight = f[1].toLongLong(),
                                .box = f[2].isEmpty() ? -1 : f[2].toLongLong()});
            if (!first) first = no;
            last = no;
            ++all.draws;
            all.straight += f[1].toLongLong();
            if (orders(it->second) == 1)
                quadStraight[it->second[0]] << grouped(f[1].toLongLong()) + QStringLiteral(" 円");
            Sum& s = byPattern[orders(it->second)];
            ++s.draws;
            if (f[2].isEmpty() || f[3].isEmpty() || f[4].isEmpty()) continue;  // no box on a quad
            ++s.n;
            s.box += f[2].toLongLong();
            s.setStraight += f[3].toLongLong();
            s.setBox += f[4].toLongLong();
        }
        if (all.draws == 0) throw StoreError(QStringLiteral("no prizes"));

        QStringList out;
        auto put = [&](const QString& key, const QString& value) {
            out << key + QLatin1Char('=') + value;
        };
        put(QStringLiteral("SAMPLE_DRAWS"), grouped(static_cast<long long>(drawn.size())));
        put(QStringLiteral("DIGIT_MEAN"), grouped(static_cast<long long>(drawn.size()) * 4 / 10));
        put(QStringLiteral("PRIZE_DRAWS"), grouped(all.draws));
        put(QStringLiteral("PRIZE_FIRST"), QString::number(first));
        put(QStringLiteral("PRIZE_LAST"), QString::number(last));
        const double straight = double(all.straight) / double(all.draws);
        put(QStringLiteral("AVG_STRAIGHT"), grouped(llround(straight)));
        // Paid back per 200 yen: the prize times its chance of 1 in 10,000.
        put(QStringLiteral("RATE_STRAIGHT"), percent(straight / 10000 / kUnitPrice * 100));
        // Numbers that many buy: what 0000 and 1111 paid.
        for (int digit : {0, 1}) {
            if (!quadStraight.count(digit))
                throw StoreError(QStringLiteral("the help quotes the prizes of %1%1%1%1, which "
                                                "this sample never drew")
                                     .arg(digit));
            put(QStringLiteral("STRAIGHT_%1%1%1%1").arg(digit),
                quadStraight[digit].join(QStringLiteral("と ")));
        }
        // The lowest and the highest box payout rate of the four shapes.
        int lowest = 0, highest = 0;
        auto boxRate = [&](int o) {
            const Sum& s = byPattern.at(o);
            return double(s.box) / double(s.n) * o / 10000 / kUnitPrice * 100;
        };
        for (const auto& [o, s] : byPattern) {
            if (o == 1 || s.n == 0) continue;
            if (!lowest || boxRate(o) < boxRate(lowest)) lowest = o;
            if (!highest || boxRate(o) > boxRate(highest)) highest = o;
        }
        if (!lowest) throw StoreError(QStringLiteral("no box prizes"));
        put(QStringLiteral("RATE_BOX_LOW"), percent(boxRate(lowest)));
        put(QStringLiteral("RATE_BOX_LOW_SHAPE"), shapeName(lowest));
        put(QStringLiteral("RATE_BOX_HIGH"), percent(boxRate(highest)));
        put(QStringLiteral("RATE_BOX_HIGH_SHAPE"), shapeName(highest));
        for (const auto& [o, s] : byPattern) {
            if (o == 1) {
                put(QStringLiteral("DRAWS_1"), grouped(s.draws));
                continue;
            }
            const QString k = QString::number(o);
            const double box = double(s.box) / double(s.n);
            const double setS = double(s.setStraight) / double(s.n);
            const double setB = double(s.setBox) / double(s.n);
            put(QStringLiteral("DRAWS_") + k, grouped(s.draws));
            put(QStringLiteral("AVG_BOX_") + k, grouped(llround(box)));
            put(QStringLiteral("AVG_SETS_") + k, grouped(llround(setS)));
            put(QStringLiteral("AVG_SETB_") + k, grouped(llround(setB)));
            put(QStringLiteral("RATE_BOX_") + k, percent(box * o / 10000 / kUnitPrice * 100));
            put(QStringLiteral("RATE_SET_") + k,
                percent((setS + setB * (o - 1)) / 10000 / kUnitPrice * 100));
        }
        // The digits drawn against ten equal counts: all four positions, and the position
        // that strays most.
        std::array<long long, 10> all4{};
        std::array<std::array<long long, 10>, 4> byPosition{};
        for (const auto& [no, d] : drawn)
            for (std::size_t p = 0; p < 4; ++p) {
                ++all4[std::size_t(d[p])];
                ++byPosition[p][std::size_t(d[p])];
            }
        const double chi2 = chiSquare(all4), chi2P = chiSquareTail(chi2, 9);
        put(QStringLiteral("CHI2_ALL"), QString::number(chi2, 'f', 1));
        put(QStringLiteral("CHI2_ALL_P"), QString::number(chi2P, 'f', 3));
        put(QStringLiteral("CHI2_ALL_ONE_IN"), QString::number(std::lround(1 / chi2P)));
        std::size_t most = 0;
        for (std::size_t p = 1; p < 4; ++p)
            if (chiSquare(byPosition[p]) > chiSquare(byPosition[most])) most = p;
        put(QStringLiteral("CHI2_POS_MOST"), QStringLiteral("第%1数字").arg(most + 1));
        put(QStringLiteral("CHI2_POS_MOST_P"),
            QString::number(chiSquareTail(chiSquare(byPosition[most]), 9), 'f', 3));

        // The elimination's lists after each draw that hold a 0, which only the rule that
        // copies a digit unchanged can give.
        {
            PredictionTables tables;
            long long lists = 0, withZero = 0;
            for (const DrawRecord& d : draws) {
                if (!d.complete()) continue;
                tables.addDraw(d);
                ++lists;
                withZero += computePrediction(tables, 0).elimination.contains(0);
            }
            put(QStringLiteral("ELIM_LISTS"), grouped(lists));
            put(QStringLiteral("ELIM_ZERO_LISTS"), grouped(withZero));
        }

        // The replay of the predictions (no option on) over the sample: the rows outside
        // their range, the verdict of the whole table, and that of the first draws alone,
        // which the help quotes as a warning that choosing the period is trying again.
        {
            const Backtest whole = replayed(draws);
            QStringList outside;
            for (const BacktestTally& t : whole.tallies()) {
                const Verdict v = t.verdict();
                if (v != Verdict::More && v != Verdict::Fewer) continue;
                outside << QStringLiteral("「%1 %2」（的中 %3 回、期待値 %4 回で%5）")
                               .arg(methodLabel(t.method()), measureLabel(t.measure()),
                                    grouped(t.hits()),
                                    QLocale(QLocale::English).toString(t.expected(), 'f', 1),
                                    verdictText(v));
            }
            if (outside.isEmpty())
                throw StoreError(
                    QStringLiteral("the help says a row of the backtest is outside "
                                   "its range; on this sample none is"));
            put(QStringLiteral("BT_OUT_ROWS"), outside.join(QStringLiteral("、")));
            put(QStringLiteral("BT_OVERALL"), overallWord(whole));
            constexpr int kFirst = 1000;
            const Backtest early = replayed(std::vector<DrawRecord>(
                draws.begin(), draws.begin() + std::min<std::ptrdiff_t>(kFirst, draws.size())));
            if (overallWord(early) == overallWord(whole))
                throw StoreError(
                    QStringLiteral("the help says the first draws alone change the "
                                   "backtest's verdict; on this sample they do not"));
            put(QStringLiteral("BT_FIRST_DRAWS"), grouped(kFirst));
            put(QStringLiteral("BT_FIRST_OVERALL"), overallWord(early));
        }

        // The expected prize of a number: the held-out check, and what the model says of a
        // date and of an ordinary number.
        {
            DrawHistory history = DrawHistory::fromRows(draws);
            history.prizes = prizeTable;
            constexpr int kFitUpTo = 5000;
            const OutlookCheck check = checkOutlook(history, kFitUpTo);
            if (check.checkDraws == 0)
                throw StoreError(
                    QStringLiteral("the help quotes the outlook's check after draw "
                                   "5000; this sample has no prizes after it"));
            put(QStringLiteral("OL_FIT_UPTO"), grouped(kFitUpTo));
            put(QStringLiteral("OL_CHECK_DRAWS"), grouped(check.checkDraws));
            put(QStringLiteral("OL_CORR"), QString::number(check.correlation, 'f', 2));
            put(QStringLiteral("OL_MOST"), QString::number(check.mostPopularTenth, 'f', 2));
            put(QStringLiteral("OL_LEAST"), QString::number(check.leastPopularTenth, 'f', 2));
            const OutlookModel model = OutlookModel::fit(history);
            const NumberOutlook date = model.outlook(315);
            put(QStringLiteral("OL_0315"), outlookPercent(date.straight.rate));
            put(QStringLiteral("OL_1111"), outlookPercent(model.outlook(1111).straight.rate));
            put(QStringLiteral("OL_DATE"),
                QString::number(std::exp(model.weight(OutlookBet::Straight, 4)), 'f', 2));
            put(QStringLiteral("OL_DRAWS"), grouped(model.drawsUsed()));
        }

        QFile file(args[3]);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write((out.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0)
            throw StoreError(args[3] + QStringLiteral(": cannot write"));
    } catch (const StoreError& e) {
        std::fprintf(stderr, "help-figures: %s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
