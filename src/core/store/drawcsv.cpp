#include "core/store/drawcsv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pirumoa {

namespace {

std::vector<DrawRecord> recordsOf(const ParsedDraws& parsed, const QString& source) {
    if (!parsed.ok()) throw StoreError(firstRefusal(parsed, source));
    std::vector<DrawRecord> out;
    out.reserve(parsed.draws.size());
    for (const ImportedDraw& d : parsed.draws) out.push_back(d.draw);
    return out;
}

void appendYen(QByteArray& out, std::int64_t yen) {
    out += ',';
    if (yen >= 0) out += QByteArray::number(yen);
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
    out.reserve(out.size() + qsizetype(draws.size()) * (withPrizes ? 56 : 24));
    auto prize = prizes.begin();  // both lists are in draw order
    for (const DrawRecord& r : draws) {
        out += QByteArray::number(r.no);
        out += ',';
        out += r.date.toUtf8();
        for (std::int8_t d : r.digits) {
            out += ',';
            if (d >= 0) out += char('0' + d);
        }
        if (withPrizes) {
            while (prize != prizes.end() && prize->no < r.no) ++prize;
            const Prizes none;
            const Prizes& p = prize != prizes.end() && prize->no == r.no ? prize->prizes : none;
            for (std::int64_t yen : p.yen) appendYen(out, yen);
        }
        out += '\n';
    }
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
