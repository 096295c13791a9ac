#include "core/store/drawcsv.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>

#include "core/store/fileerror.h"

namespace pirumoa {

namespace {

// A line that is not a draw; the reason is shown after "FILE:LINE: ".
struct BadLine {
    QString reason;
};

enum class Layout {
    Unknown,      // no header: each line tells by its number of fields
    WithDate,     // draw,date,d1,d2,d3,d4
    WithoutDate,  // draw,d1,d2,d3,d4
};

// Fields of one line; a field in double quotes loses them, as spreadsheets write them.
QList<QByteArray> splitLine(const QByteArray& line) {
    QList<QByteArray> fields = line.split(',');
    for (QByteArray& f : fields) {
        f = f.trimmed();
        if (f.size() >= 2 && f.startsWith('"') && f.endsWith('"'))
            f = f.mid(1, f.size() - 2).replace("\"\"", "\"").trimmed();
    }
    return fields;
}

// A field as a message quotes it. Only its start is decoded: the message shows 40
// characters at most, and 256 bytes hold more than that.
QString shown(const QByteArray& field) { return shownField(QString::fromUtf8(field.left(256))); }

bool allDigits(const QByteArray& text) {
    if (text.isEmpty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

Layout headerLayout(const QList<QByteArray>& fields) {
    QList<QByteArray> lower;
    for (const QByteArray& f : fields) lower << f.toLower();
    if (lower == QList<QByteArray>{"draw", "date", "d1", "d2", "d3", "d4"}) return Layout::WithDate;
    if (lower == QList<QByteArray>{"draw", "d1", "d2", "d3", "d4"}) return Layout::WithoutDate;
    return Layout::Unknown;
}

int drawNumber(const QByteArray& field) {
    if (field.isEmpty()) throw BadLine{QStringLiteral("回数がありません")};
    bool ok = false;
    const int no = field.toInt(&ok);
    if (!allDigits(field) || !ok || no < 1 || no > kMaxDrawNo)
        throw BadLine{QStringLiteral("回数「%1」は 1～%2 の整数ではありません")
                          .arg(shown(field), QString::number(kMaxDrawNo))};
    return no;
}

std::int8_t digit(const QByteArray& field, int position) {
    if (field.isEmpty()) return -1;
    if (field.size() != 1 || !allDigits(field))
        throw BadLine{QStringLiteral("第%1数字「%2」は 0～9 の数字ではありません")
                          .arg(position)
                          .arg(shown(field))};
    return std::int8_t(field[0] - '0');
}

// Dates are stored as yyyy-MM-dd; yyyy/MM/dd, as Japanese spreadsheets write them, is
// taken too.
QString date(const QByteArray& field, int no) {
    if (field.isEmpty()) return QString();
    const QString text = QString::fromUtf8(field);
    QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid()) d = QDate::fromString(text, QStringLiteral("yyyy/M/d"));
    if (!d.isValid())
        throw BadLine{
            QStringLiteral("抽選日「%1」は年-月-日の日付ではありません").arg(shown(field))};
    // Numbers 4 was first drawn on 1994-10-07; a date outside that span is a typing or a
    // column slip, and it would sort the draw among the wrong ones.
    static const QDate kFirstDraw(1994, 10, 7);
    if (d < kFirstDraw || d > QDate::currentDate().addYears(10))
        throw BadLine{QStringLiteral("第%1回の抽選日「%2」は 1994-10-07（第1回）から 10 年後までの"
                                     "日付ではありません")
                          .arg(no)
                          .arg(shown(field))};
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

DrawRecord parseLine(const QList<QByteArray>& f, Layout layout) {
    // Without a header the number of fields tells the layout; 6 is what export writes.
    qsizetype expected = f.size();
    if (layout == Layout::WithDate) expected = 6;
    if (layout == Layout::WithoutDate) expected = 5;
    if (f.size() != expected || (expected != 3 && expected != 5 && expected != 6)) {
        const QString wanted = layout == Layout::WithDate      ? QStringLiteral("6")
                               : layout == Layout::WithoutDate ? QStringLiteral("5")
                                                               : QStringLiteral("3、5 または 6");
        throw BadLine{
            QStringLiteral("項目の数が %1 個です（%2 個必要です）").arg(f.size()).arg(wanted)};
    }
    const bool withDate = expected != 5;
    DrawRecord r;
    r.no = drawNumber(f[0]);
    if (withDate) r.date = date(f[1], r.no);
    if (f.size() == 3) {
        // draw,date,NNNN: the four digits in one field, or nothing yet.
        const QByteArray& n = f[2];
        if (!n.isEmpty() && (n.size() != 4 || !allDigits(n)))
            throw BadLine{
                QStringLiteral("当選番号「%1」は 4 桁の数字ではありません").arg(shown(n))};
        for (int k = 0; k < 4 && !n.isEmpty(); ++k) r.digits[k] = std::int8_t(n[k] - '0');
    } else {
        const qsizetype first = withDate ? 2 : 1;
        for (int k = 0; k < 4; ++k) r.digits[k] = digit(f[first + k], k + 1);
    }
    return r;
}

}  // namespace

std::vector<DrawRecord> parseDrawCsv(const QByteArray& data, const QString& fileName) {
    QByteArray text = data;
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);

    std::vector<DrawRecord> draws;
    QHash<int, std::pair<int, std::size_t>> seen;  // draw → its line and index in draws
    Layout layout = Layout::Unknown;
    int lineNo = 0;
    bool first = true;
    qsizetype pos = 0;
    const QString shownFile = shownName(fileName);
    while (pos < text.size()) {
        // Lines end in LF, CR LF, or CR alone (as some spreadsheets still write them).
        qsizetype end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        const QByteArray line = text.mid(pos, end - pos);
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
        ++lineNo;
        if (line.trimmed().isEmpty()) continue;
        const QList<QByteArray> fields = splitLine(line);
        try {
            const bool header = first && !fields[0].isEmpty() && !allDigits(fields[0]);
            first = false;
            if (header) {
                layout = headerLayout(fields);
                if (layout == Layout::Unknown)
                    throw BadLine{
                        QStringLiteral("見出し行が読めません"
                                       "（draw,date,d1,d2,d3,d4 を使ってください）")};
                continue;
            }
            DrawRecord r = parseLine(fields, layout);
            const auto it = seen.constFind(r.no);
            if (it != seen.constEnd()) {
                // The same draw twice is harmless; twice with other digits, one is wrong.
                if (draws[it->second].digits != r.digits)
                    throw BadLine{QStringLiteral("第%1回が %2 行目と異なる数字で重複しています")
                                      .arg(r.no)
                                      .arg(it->first)};
                continue;
            }
            seen.insert(r.no, {lineNo, draws.size()});
            draws.push_back(std::move(r));
        } catch (const BadLine& bad) {
            throw StoreError(
                QStringLiteral("%1:%2: %3").arg(shownFile, QString::number(lineNo), bad.reason));
        }
    }
    return draws;
}

QByteArray writeDrawCsv(const std::vector<DrawRecord>& draws) {
    QByteArray out = "draw,date,d1,d2,d3,d4\n";
    out.reserve(out.size() + qsizetype(draws.size()) * 24);
    for (const DrawRecord& r : draws) {
        out += QByteArray::number(r.no);
        out += ',';
        out += r.date.toUtf8();
        for (std::int8_t d : r.digits) {
            out += ',';
            if (d >= 0) out += char('0' + d);
        }
        out += '\n';
    }
    return out;
}

std::vector<DrawRecord> readDrawCsvFile(const QString& csvPath) {
    const QString name = QDir::toNativeSeparators(csvPath);
    QFile file(csvPath);
    QByteArray data;
    // An empty name is refused here rather than by Qt, which would print its own warning.
    if (!csvPath.isEmpty() && file.open(QIODevice::ReadOnly)) data = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw StoreError(QStringLiteral("CSV ファイル「%1」を読み込めません。%2")
                             .arg(shownName(name), readFailureReason(csvPath)));
    return parseDrawCsv(data, name);
}

ImportResult importDrawCsv(const QString& csvPath, const DatabaseFile& connect, bool replace) {
    // The whole file is checked before the database is touched, so a bad line changes nothing.
    const std::vector<DrawRecord> draws = readDrawCsvFile(csvPath);

    const bool existed = QFileInfo::exists(connect.file);
    try {
        auto store = DrawStore::open(connect, true);
        return store->importDraws(draws, replace);
    } catch (const StoreError&) {
        // A database this import made and could not fill is taken away again.
        if (!existed) {
            QFile::remove(connect.file);
            QFile::remove(connect.file + QStringLiteral("-journal"));
        }
        throw;
    }
}

}  // namespace pirumoa
