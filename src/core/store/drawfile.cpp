#include "core/store/drawfile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <algorithm>

#include "core/store/drawfields.h"
#include "core/store/drawjson.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pirumoa {

namespace {

using namespace drawfields;

// Splits a line at sep; a field in double quotes may hold sep, and "" in it is one quote.
bool splitFields(const QString& line, QChar sep, QStringList& out) {
    out.clear();
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        qsizetype j = i;
        while (j < n && line[j] == QLatin1Char(' ')) ++j;
        if (j < n && line[j] == QLatin1Char('"')) {
            QString f;
            ++j;
            bool closed = false;
            while (j < n) {
                if (line[j] == QLatin1Char('"')) {
                    if (j + 1 < n && line[j + 1] == QLatin1Char('"')) {
                        f += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                f += line[j++];
            }
            if (!closed) return false;
            while (j < n && line[j] != sep) f += line[j++];
            out << f.trimmed();
            i = j;
        } else {
            qsizetype k = line.indexOf(sep, i);
            if (k < 0) k = n;
            out << line.mid(i, k - i).trimmed();
            i = k;
        }
        if (i >= n) break;
        ++i;
        if (i == n) {
            out << QString();
            break;
        }
    }
    return true;
}

// The separator is the one the first line uses most, outside quotes.
QChar separatorOf(const QString& line) {
    int comma = 0, tab = 0, semicolon = 0;
    bool quoted = false;
    for (QChar c : line) {
        if (c == QLatin1Char('"')) quoted = !quoted;
        if (quoted) continue;
        if (c == QLatin1Char(',')) ++comma;
        if (c == QLatin1Char('\t')) ++tab;
        if (c == QLatin1Char(';')) ++semicolon;
    }
    if (tab > 0 && tab >= comma && tab >= semicolon) return QLatin1Char('\t');
    if (semicolon > comma) return QLatin1Char(';');
    return QLatin1Char(',');
}

class TextParser {
public:
    TextParser() : m_slot(std::size_t(kMaxDrawNo) + 1, -1) { m_column.fill(-1); }

    void addLine(QByteArrayView raw, qint64 lineNo, bool tooLong) {
        m_out.lines = lineNo;
        if (m_stopped) return;
        if (tooLong) {
            refuse(lineNo,
                   QStringLiteral("行が長すぎます（%1 バイトを超えています）").arg(kMaxLineBytes));
            return;
        }
        if (lineNo == 1) {
            if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
                stop(lineNo,
                     QStringLiteral("UTF-16 のファイルは読めません。表計算ソフトで「CSV」"
                                    "（UTF-8 または Shift_JIS）として保存し直してください"));
                return;
            }
            if (raw.startsWith("\xEF\xBB\xBF")) {
                raw = raw.sliced(3);
                m_bom = true;
            }
        }
        QString text;
        if (!decode(raw, text)) {
            refuse(lineNo, QStringLiteral("文字を読み取れません（UTF-8 でも Shift_JIS でもない"
                                          "バイトがあります）"));
            return;
        }
        if (text.trimmed().isEmpty()) return;
        if (!m_started) {
            m_started = true;
            m_separator = separatorOf(text);
        }
        if (!splitFields(text, m_separator, m_fields)) {
            refuse(lineNo, QStringLiteral("引用符（\"）が閉じていません"));
            return;
        }
        try {
            if (!m_layoutKnown) {
                m_layoutKnown = true;
                if (readHeader(lineNo)) return;
            }
            add(record(), lineNo);
        } catch (const BadLine& bad) {
            refuse(lineNo, bad.reason);
        }
    }

    void refuseCutLine(qint64 lineNo) {
        m_out.lines = lineNo;
        if (m_stopped) return;
        refuse(lineNo, QStringLiteral("最後の行が途中で切れています（行末の改行がありません）。"
                                      "ファイルを保存し直すか、もう一度ダウンロードしてください。"
                                      "最後の行がそのままで正しいときは、行末で改行してから保存"
                                      "してください"));
    }

    ParsedDraws finish() {
        m_out.encoding = m_encoding == Encoding::Cp932 ? QStringLiteral("Shift_JIS")
                         : m_bom                       ? QStringLiteral("UTF-8（BOM付き）")
                                                       : QStringLiteral("UTF-8");
        m_out.separator = m_separator == QLatin1Char('\t')  ? QStringLiteral("タブ")
                          : m_separator == QLatin1Char(';') ? QStringLiteral("セミコロン")
                                                            : QStringLiteral("カンマ");
        std::sort(
            m_out.draws.begin(), m_out.draws.end(),
            [](const ImportedDraw& a, const ImportedDraw& b) { return a.draw.no < b.draw.no; });
        m_out.prizesLeftOut = leaveOutFaultyPrizes(m_out.draws);
        return std::move(m_out);
    }

private:
    enum class Encoding { Undecided, Utf8, Cp932 };

    // UTF-8 is tried strictly first: Shift_JIS text almost never passes as UTF-8, and a file is
    // taken to be in one encoding throughout, decided by its first line that is not ASCII.
    bool decode(QByteArrayView raw, QString& text) {
        bool ascii = true;
        for (char c : raw)
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii) {
            text = QString::fromLatin1(raw);
            return true;
        }
        if (m_encoding != Encoding::Cp932) {
            m_utf8.resetState();
            text = m_utf8.decode(raw);
            if (!m_utf8.hasError()) {
                m_encoding = Encoding::Utf8;
                return true;
            }
            if (m_encoding == Encoding::Utf8) return false;
        }
        if (!m_cp932.isValid()) return false;
        m_cp932.resetState();
        text = m_cp932.decode(raw);
        if (m_cp932.hasError() || text.contains(QChar::ReplacementCharacter)) return false;
        m_encoding = Encoding::Cp932;
        return true;
    }

    // True when the line names the columns.
    bool readHeader(qint64 lineNo) {
        const QHash<QString, Column>& names = headerNames();
        bool named = false;
        for (const QString& f : m_fields)
            if (names.contains(headerKey(f))) named = true;
        if (!named) {
            if (looksLikeDrawNumber(folded(m_fields.value(0)))) return false;  // no header
            stop(lineNo, QStringLiteral("見出し行が読めません（回号・抽せん日・当せん番号などの列名"
                                        "か、draw,date,d1,d2,d3,d4 を使ってください）"));
            return true;
        }
        m_out.header = true;
        m_headerFields = m_fields.size();
        for (qsizetype i = 0; i < m_fields.size(); ++i) {
            const QString& name = m_fields[i];
            const auto it = names.constFind(headerKey(name));
            if (it == names.constEnd() || m_column[int(*it)] >= 0) {
                if (!name.isEmpty()) m_out.ignored << name;
                continue;
            }
            m_column[int(*it)] = int(i);
            const QString label = labelOf(*it);
            m_out.columns << (headerKey(name) == headerKey(label)
                                  ? label
                                  : QStringLiteral("%1（%2）").arg(label, name));
        }
        const auto has = [&](Column c) { return m_column[int(c)] >= 0; };
        const int digitColumns = int(has(Column::D1)) + int(has(Column::D2)) +
                                 int(has(Column::D3)) + int(has(Column::D4));
        if (!has(Column::Draw))
            stop(lineNo, QStringLiteral("見出し行に回号の列（回号・回別・draw など）がありません"));
        else if (digitColumns != 0 && digitColumns != 4)
            stop(lineNo, QStringLiteral("見出し行に第1～第4数字の列がそろっていません"));
        else if (digitColumns == 0 && !has(Column::Number))
            stop(lineNo, QStringLiteral("見出し行に当せん番号の列（当せん番号・第1数字～第4数字・"
                                        "number など）がありません"));
        for (int c = kFirstPrize; c < kColumns; ++c)
            if (m_column[c] >= 0) m_out.hasPrizes = true;
        return true;
    }

    const QString& field(Column c) const {
        static const QString none;
        const int i = m_column[int(c)];
        return i >= 0 && i < m_fields.size() ? m_fields[i] : none;
    }

    ImportedDraw record() {
        ImportedDraw d;
        if (!m_out.header) return headerless();
        qsizetype needed = 0;
        for (int i : m_column) needed = std::max<qsizetype>(needed, i + 1);
        bool extra = false;
        for (qsizetype i = m_headerFields; i < m_fields.size(); ++i)
            if (!m_fields[i].isEmpty()) extra = true;
        if (m_fields.size() < needed || extra)
            throw BadLine{QStringLiteral("項目の数が %1 個です（%2 個必要です）")
                              .arg(m_fields.size())
                              .arg(m_headerFields)};
        d.draw.no = drawNumber(field(Column::Draw));
        d.draw.date = date(field(Column::Date), d.draw.no);
        const bool hasNumber = m_column[int(Column::Number)] >= 0;
        const bool hasDigits = m_column[int(Column::D1)] >= 0;
        Digits fromNumber{-1, -1, -1, -1};
        if (hasNumber) d.draw.digits = fromNumber = winningNumber(field(Column::Number));
        if (hasDigits) {
            for (int k = 0; k < 4; ++k)
                d.draw.digits[k] = digit(field(Column(int(Column::D1) + k)), k + 1);
            if (hasNumber && fromNumber != d.draw.digits)
                throw BadLine{
                    QStringLiteral("当選番号「%1」と第1～第4数字「%2」が一致しません")
                        .arg(shownField(folded(field(Column::Number))), digitsText(d.draw.digits))};
        }
        for (int c = kFirstPrize; c < kColumns; ++c)
            d.prizes.yen[c - kFirstPrize] = prize(field(Column(c)), Column(c));
        noneOnRepdigits(d.draw.digits, d.prizes.yen);
        return d;
    }

    // Without a header the number of fields tells the layout, line by line: draw,date,number;
    // draw,d1,d2,d3,d4; draw,date,d1,d2,d3,d4 (what this program wrote before prizes).
    ImportedDraw headerless() {
        const qsizetype n = m_fields.size();
        if (n != 3 && n != 5 && n != 6)
            throw BadLine{
                QStringLiteral("項目の数が %1 個です（3、5 または 6 個必要です）").arg(n)};
        ImportedDraw d;
        d.draw.no = drawNumber(m_fields[0]);
        if (n != 5) d.draw.date = date(m_fields[1], d.draw.no);
        if (n == 3) {
            d.draw.digits = winningNumber(m_fields[2]);
        } else {
            const qsizetype first = n == 5 ? 1 : 2;
            for (int k = 0; k < 4; ++k) d.draw.digits[k] = digit(m_fields[first + k], k + 1);
        }
        return d;
    }

    // A draw given twice is one draw when the lines agree where both say something.
    void add(const ImportedDraw& d, qint64 lineNo) {
        int& slot = m_slot[std::size_t(d.draw.no)];
        if (slot < 0) {
            slot = int(m_out.draws.size());
            m_out.draws.push_back(d);
            m_lineOf.push_back(lineNo);
            return;
        }
        ImportedDraw& old = m_out.draws[std::size_t(slot)];
        ImportedDraw merged = old;
        bool clash = false;
        for (int k = 0; k < 4; ++k) {
            if (d.draw.digits[k] != old.draw.digits[k]) clash = true;
        }
        if (!d.draw.date.isEmpty()) {
            if (old.draw.date.isEmpty())
                merged.draw.date = d.draw.date;
            else if (old.draw.date != d.draw.date)
                clash = true;
        }
        for (int k = 0; k < kPrizeKinds; ++k) {
            const std::int64_t mine = d.prizes.yen[k];
            if (mine < 0) continue;
            if (old.prizes.yen[k] < 0)
                merged.prizes.yen[k] = mine;
            else if (old.prizes.yen[k] != mine)
                clash = true;
        }
        if (clash)
            throw BadLine{QStringLiteral("%1が %2 行目と異なる内容で重複しています")
                              .arg(drawLabel(d.draw.no))
                              .arg(m_lineOf[std::size_t(slot)])};
        old = std::move(merged);
    }

    void refuse(qint64 lineNo, const QString& reason) {
        ++m_out.refusedLines;
        if (m_out.refusals.size() < ParsedDraws::kShownRefusals)
            m_out.refusals.push_back({lineNo, reason});
    }

    // A line that makes the rest of the file unreadable.
    void stop(qint64 lineNo, const QString& reason) {
        refuse(lineNo, reason);
        m_stopped = true;
    }

    ParsedDraws m_out;
    Encoding m_encoding = Encoding::Undecided;
    bool m_bom = false;
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    QStringDecoder m_cp932{"CP932", QStringDecoder::Flag::Stateless};
    bool m_started = false, m_layoutKnown = false, m_stopped = false;
    QChar m_separator = QLatin1Char(',');
    QStringList m_fields;
    std::array<int, kColumns> m_column{};
    qsizetype m_headerFields = 0;
    std::vector<int> m_slot;
    std::vector<qint64> m_lineOf;
};

// Cuts a stream of bytes into lines at LF, CR LF or CR, holding at most kMaxLineBytes of one.
class LineFeeder {
public:
    explicit LineFeeder(TextParser& parser) : m_parser(parser) {}

    void feed(QByteArrayView chunk) {
        const char* d = chunk.data();
        const qsizetype n = chunk.size();
        qsizetype i = 0;
        if (m_pendingCr && n > 0) {
            m_pendingCr = false;
            if (d[0] == '\n') i = 1;
        }
        while (i < n) {
            qsizetype j = i;
            while (j < n && d[j] != '\n' && d[j] != '\r') ++j;
            append(chunk.sliced(i, j - i));
            if (j == n) break;
            endLine();
            if (d[j] == '\r') {
                if (j + 1 < n) {
                    if (d[j + 1] == '\n') ++j;
                } else {
                    m_pendingCr = true;
                }
            }
            i = j + 1;
        }
    }

    // With lineEnds, a last line without its line end after lines that have one is refused:
    // a file cut off there would otherwise give a draw whose digits or prizes are cut too.
    void finish(bool lineEnds) {
        if (m_line.isEmpty() && !m_tooLong) return;
        const bool blank = QByteArrayView(m_line).trimmed().isEmpty();
        if (lineEnds && m_lineNo > 0 && !blank && !m_tooLong) {
            m_parser.refuseCutLine(++m_lineNo);
            return;
        }
        endLine();
    }

private:
    void append(QByteArrayView part) {
        if (m_tooLong || part.isEmpty()) return;
        if (m_line.size() + part.size() > kMaxLineBytes) {
            m_tooLong = true;
            m_line.resize(0);
            return;
        }
        m_line.append(part);
    }
    void endLine() {
        m_parser.addLine(m_line, ++m_lineNo, m_tooLong);
        m_line.resize(0);
        m_tooLong = false;
    }

    TextParser& m_parser;
    QByteArray m_line;
    bool m_tooLong = false, m_pendingCr = false;
    qint64 m_lineNo = 0;
};

QString cannotRead(const QString& name, const QString& reason) {
    return QStringLiteral("CSV ファイル%1を読み込めません。%2").arg(quoted(name), reason);
}

QString notRegular() {
    return QStringLiteral("通常のファイルではありません（フォルダー、装置、パイプは読めません）。");
}

}  // namespace

ParsedDraws parseDrawText(QByteArrayView bytes) {
    if (looksLikeJson(bytes)) return parseDrawJson(bytes);
    TextParser parser;
    LineFeeder feeder(parser);
    feeder.feed(bytes);
    feeder.finish(false);
    return parser.finish();
}

std::optional<ParsedDraws> readDrawFile(const QString& path,
                                        const std::function<bool(qint64, qint64)>& progress) {
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw StoreError(cannotRead(name, readFailureReason(path)));
    if (info.isDir()) throw StoreError(cannotRead(name, readFailureReason(path)));
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without waiting and checked on the open handle: a FIFO would block an ordinary
    // open, and a name checked first could be swapped before the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw StoreError(cannotRead(name, readFailureReason(path)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw StoreError(cannotRead(name, notRegular()));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw StoreError(cannotRead(name, readFailureReason(path)));
    }
#else
    if (!info.isFile()) throw StoreError(cannotRead(name, notRegular()));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(cannotRead(name, readFailureReason(path)));
#endif
    const qint64 size = file.size();
    // JSON is read whole: the first bytes tell it from a table.
    const QByteArray head = file.peek(64 * 1024);
    if (looksLikeJson(head)) {
        if (size > kMaxJsonBytes)
            throw StoreError(
                cannotRead(name, QStringLiteral("JSON のファイルが大きすぎます（%1 MB まで）。")
                                     .arg(kMaxJsonBytes / (1024 * 1024))));
        const QByteArray all = file.read(kMaxJsonBytes + 1);
        if (file.error() != QFileDevice::NoError)
            throw StoreError(cannotRead(name, readFailureReason(path)));
        if (progress && !progress(all.size(), size)) return std::nullopt;
        return parseDrawJson(all);
    }
    TextParser parser;
    LineFeeder feeder(parser);
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qint64 done = 0;
    while (true) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) throw StoreError(cannotRead(name, readFailureReason(path)));
        if (n == 0) break;
        feeder.feed(QByteArrayView(chunk.constData(), n));
        done += n;
        if (progress && !progress(done, size)) return std::nullopt;
    }
    feeder.finish(true);
    return parser.finish();
}

namespace {

// "FILE:LINE: reason"; "FILE: reason" for a refusal that names no line (a JSON element).
QString refusalLine(const QString& source, const LineRefusal& r) {
    if (r.line <= 0) return QStringLiteral("%1: %2").arg(shownName(source), r.reason);
    return QStringLiteral("%1:%2: %3").arg(shownName(source), QString::number(r.line), r.reason);
}

}  // namespace

QString drawNotes(const std::vector<ImportedDraw>& draws, const QDate& today) {
    if (draws.empty()) return {};
    std::vector<int> missing, unordered, later;
    const QString now = today.toString(Qt::ISODate);
    const ImportedDraw* dated = nullptr;  // the dated draw before, in draw order
    for (std::size_t i = 0; i < draws.size(); ++i) {
        const DrawRecord& r = draws[i].draw;
        if (i > 0)
            for (int no = draws[i - 1].draw.no + 1; no < r.no; ++no) missing.push_back(no);
        if (r.date.isEmpty()) continue;
        // Both draws of a pair out of order are named: either may hold the wrong date.
        if (dated && r.date <= dated->draw.date) {
            if (unordered.empty() || unordered.back() != dated->draw.no)
                unordered.push_back(dated->draw.no);
            unordered.push_back(r.no);
        }
        if (r.date > now) later.push_back(r.no);
        dated = &draws[i];
    }
    QString s;
    if (!missing.empty())
        s += QStringLiteral("ファイルにない回：%1 件（%2）\n")
                 .arg(missing.size())
                 .arg(drawRanges(missing));
    if (!unordered.empty()) {
        std::sort(unordered.begin(), unordered.end());
        unordered.erase(std::unique(unordered.begin(), unordered.end()), unordered.end());
        s += QStringLiteral("抽せん日が回の順になっていない回：%1 件（%2）\n")
                 .arg(unordered.size())
                 .arg(drawRanges(unordered));
    }
    if (!later.empty())
        s += QStringLiteral("抽せん日が今日（%1）より後の回：%2 件（%3）\n")
                 .arg(now)
                 .arg(later.size())
                 .arg(drawRanges(later));
    return s;
}

QString firstRefusal(const ParsedDraws& parsed, const QString& source) {
    if (parsed.refusals.empty()) return {};
    QString text = refusalLine(source, parsed.refusals.front());
    if (parsed.refusedLines > 1)
        text += QStringLiteral("（ほかに %1 行が読めません）").arg(parsed.refusedLines - 1);
    return text;
}

QString refusalList(const ParsedDraws& parsed, const QString& source) {
    QStringList lines;
    for (const LineRefusal& r : parsed.refusals) lines << refusalLine(source, r);
    const qint64 more = parsed.refusedLines - qint64(parsed.refusals.size());
    if (more > 0) lines << QStringLiteral("ほかに %1 行が読めません").arg(more);
    return lines.join(QLatin1Char('\n'));
}

QString importSummary(const ParsedDraws& parsed, const ImportComparison& c) {
    QString s;
    if (parsed.json)
        s += QStringLiteral("形式：JSON（%1）\n").arg(parsed.encoding);
    else
        s += QStringLiteral("文字コード：%1　区切り：%2\n").arg(parsed.encoding, parsed.separator);
    if (parsed.header || parsed.json)
        s += QStringLiteral("列：%1\n").arg(parsed.columns.join(QStringLiteral("、")));
    else
        s += QStringLiteral(
            "列：見出し行なし（回号,抽せん日,当せん番号 または 回号,"
            "[抽せん日,]第1～第4数字）\n");
    if (!parsed.ignored.isEmpty())
        s += QStringLiteral("読まない列：%1\n").arg(parsed.ignored.join(QStringLiteral("、")));
    s += parsed.hasPrizes ? QStringLiteral("当せん金：あり\n") : QStringLiteral("当せん金：なし\n");
    if (parsed.draws.empty()) {
        s += QStringLiteral("当選データ：0 回分\n");
    } else {
        const DrawRecord& first = parsed.draws.front().draw;
        const DrawRecord& last = parsed.draws.back().draw;
        const auto when = [](const DrawRecord& r) {
            return r.date.isEmpty() ? QString() : QStringLiteral("（%1）").arg(r.date);
        };
        s += QStringLiteral("当選データ：%1 回分　%2%3 ～ %4%5\n")
                 .arg(QString::number(parsed.draws.size()), drawLabel(first.no), when(first),
                      drawLabel(last.no), when(last));
    }
    s += drawNotes(parsed.draws, QDate::currentDate());
    if (!parsed.prizesLeftOut.empty()) {
        s += QStringLiteral(
                 "当せん金を取り込まない回：%1 件（列がずれているか誤っているため、"
                 "回と当せん番号だけを取り込みます）\n")
                 .arg(parsed.prizesLeftOut.size());
        for (const QString& line : leftOutPrizeLines(parsed.prizesLeftOut))
            s += QStringLiteral("　%1\n").arg(line);
    }
    s += QStringLiteral("新しい回：%1 件\n").arg(c.added.size());
    s += QStringLiteral("登録済みと同じ回：%1 件\n").arg(c.equal.size());
    if (!c.completed.empty())
        s += QStringLiteral("空いている数字・抽せん日・当せん金を補う回：%1 件（%2）\n")
                 .arg(c.completed.size())
                 .arg(drawList(c.completed));
    s += QStringLiteral("登録済みと異なる回：%1 件").arg(c.different.size());
    if (!c.different.empty()) s += QStringLiteral("（%1）").arg(drawList(c.different));
    s += QLatin1Char('\n');
    return s;
}

}  // namespace pirumoa
