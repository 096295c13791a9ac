// help-figures: the figures the help quotes from the sample (draws, prizes, payout rates),
// worked out from data/ at build time so that no page carries a number typed by hand.
// help-figures HISTORY.csv PAYOUTS.csv OUTPUT — writes KEY=VALUE lines.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <array>
#include <cstdio>
#include <map>

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
        std::map<int, Sum> byPattern;  // orders → sums over the draws of that pattern
        Sum all;
        int first = 0, last = 0;
        const QList<QByteArray> lines = payouts.readAll().split('\n');
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> f = lines[i].trimmed().split(',');
            if (f.size() != 5) continue;
            const int no = f[0].toInt();
            const auto it = drawn.find(no);
            if (it == drawn.end() || f[1].isEmpty()) continue;
            if (!first) first = no;
            last = no;
            ++all.draws;
            all.straight += f[1].toLongLong();
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
