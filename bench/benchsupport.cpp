#include "benchsupport.h"

#include <QFile>
#include <random>

#include "core/store/drawcsv.h"

namespace pirumoa::bench {

const DrawHistory& sampleHistory() {
    static const DrawHistory h = [] {
        QFile f(QStringLiteral(PIRUMOA_DATA_DIR "/numbers4_history.csv"));
        f.open(QIODevice::ReadOnly);
        return DrawHistory::fromRows(parseDrawCsv(f.readAll(), f.fileName()));
    }();
    return h;
}

const DrawHistory& largestHistory() {
    static const DrawHistory h = [] {
        std::mt19937 random(4);
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

}  // namespace pirumoa::bench
