#include "core/store/drawcsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

namespace pirumoa {

namespace {

std::vector<DrawRecord> recordsOf(const ParsedDraws& parsed, const QString& source) {
    if (!parsed.ok()) throw StoreError(firstRefusal(parsed, source));
    std::vector<DrawRecord> out;
    out.reserve(parsed.draws.size());
    for (const ImportedDraw& d : parsed.draws) out.push_back(d.draw);
    return out;
}

// ",number", or "," alone for a negative (unknown) one; written at to, which has room.
char* putField(char* to, std::int64_t n) {
    *to++ = ',';
    if (n < 0) return to;
    return std::to_chars(to, to + 20, n).ptr;
}

}  // namespace

std::vector<DrawRecord> parseDrawCsv(const QByteArray& data, const QString& fileName) {
    return recordsOf(parseDrawText(data), fileName);
}

std::vector<DrawRecord> readDrawCsvFile(const QString& csvPath) {
    return recordsOf(*readDrawFile(csvPath), QDir::toNativeSeparators(csvPath));
}

QByteArray writeDrawCsv(const std::vector<DrawRecord>& draws,
                        const std::vector<DrawPrizes>& prizes) {
    const bool withPrizes = !prizes.empty();
    QByteArray out = withPrizes ? "draw,date,d1,d2,d3,d4,straight,box,set_straight,set_box\n"
                                : "draw,date,d1,d2,d3,d4\n";
    out.reserve(out.size() + qsizetype(draws.size()) * (withPrizes ? 56 : 24) + 256);
    auto prize = prizes.begin();  // both lists are in draw order
    const Prizes none;
    // Lines are written straight into the array, which has room for the longest line, and
    // cut to what was written at the end: appending piece by piece costs more than reading
    // the file did.
    constexpr qsizetype kLongestLine = 8 + 4 * 2 + 4 * 21 + 1;
    qsizetype used = out.size();
    for (const DrawRecord& r : draws) {
        const QByteArray date = r.date.toUtf8();
        if (out.size() < used + kLongestLine + date.size())
            out.resize(std::max(out.size() * 2, used + kLongestLine + date.size()));
        char* const start = out.data() + used;
        char* end = std::to_chars(start, start + 8, r.no).ptr;
        *end++ = ',';
        end = std::copy(date.begin(), date.end(), end);
        for (std::int8_t d : r.digits) {
            *end++ = ',';
            if (d >= 0) *end++ = char('0' + d);
        }
        if (withPrizes) {
            while (prize != prizes.end() && prize->no < r.no) ++prize;
            const Prizes& p = prize != prizes.end() && prize->no == r.no ? prize->prizes : none;
            for (std::int64_t yen : p.yen) end = putField(end, yen);
        }
        *end++ = '\n';
        used = end - out.constData();
    }
    out.truncate(used);
    return out;
}

ImportResult importParsedDraws(const ParsedDraws& parsed, const DatabaseFile& connect,
                               bool replace) {
    const bool existed = QFileInfo::exists(connect.file) || QFileInfo(connect.file).isSymLink();
    try {
        auto store = DrawStore::open(connect, true);
        return store->importDraws(parsed.draws, replace);
    } catch (const StoreError&) {
        if (!existed) {
            QFile::remove(connect.file);
            QFile::remove(connect.file + QStringLiteral("-journal"));
        }
        throw;
    }
}

ImportResult importDrawCsv(const QString& csvPath, const DatabaseFile& connect, bool replace) {
    // The whole file is checked before the database is touched, so a bad line changes nothing.
    const ParsedDraws parsed = *readDrawFile(csvPath);
    if (!parsed.ok()) throw StoreError(firstRefusal(parsed, QDir::toNativeSeparators(csvPath)));
    return importParsedDraws(parsed, connect, replace);
}

}  // namespace pirumoa
