#include "core/tickets/ticketcsv.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringList>

#include "core/store/drawfile.h"
#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

namespace pirumoa {

namespace {

const QString kHeader = QStringLiteral("number,type,units,first_draw,draws,note");

QString quotedField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString q = text;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// The records of a CSV text, each with the line it starts on; a quoted field may hold commas
// and line breaks.
struct Record {
    int line = 0;
    QStringList fields;
};

std::vector<Record> splitCsv(const QString& text, const QString& fileName) {
    std::vector<Record> out;
    Record current;
    QString field;
    bool quoted = false, atFieldStart = true;
    int line = 1;
    current.line = 1;
    auto endRecord = [&] {
        current.fields << field;
        field.clear();
        const bool blank = current.fields.size() == 1 && current.fields[0].trimmed().isEmpty();
        if (!blank) out.push_back(current);
        current = Record{};
        atFieldStart = true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n')) ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && atFieldStart) {
            quoted = true;
            atFieldStart = false;
        } else if (c == QLatin1Char(',')) {
            current.fields << field;
            field.clear();
            atFieldStart = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            endRecord();
            ++line;
            current.line = line;
        } else {
            field += c;
            atFieldStart = false;
        }
    }
    if (quoted)
        throw StoreError(QStringLiteral("%1:%2: 引用符（\"）が閉じていません。")
                             .arg(shownName(fileName))
                             .arg(current.line));
    if (!field.isEmpty() || !current.fields.isEmpty()) endRecord();
    return out;
}

QString decode(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder cp932("CP932");  // a file saved by Japanese Excel
    return cp932.isValid() ? cp932(bytes) : text;
}

QString cannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("購入数字のファイル%1を読み込めません。%2").arg(quoted(path), reason);
}

}  // namespace

QByteArray writeTicketCsv(const std::vector<Ticket>& tickets) {
    QString out = kHeader + QLatin1Char('\n');
    for (const Ticket& t : tickets)
        out += QStringList{numberText(t.digits),
                           typeKey(t.type),
                           QString::number(t.units),
                           QString::number(t.firstDraw),
                           t.draws == kOngoing ? QStringLiteral("all") : QString::number(t.draws),
                           quotedField(t.note)}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
    return out.toUtf8();
}

std::vector<Ticket> parseTicketCsv(const QByteArray& data, const QString& fileName) {
    std::vector<Ticket> out;
    const std::vector<Record> records = splitCsv(decode(data), fileName);
    auto refuse = [&](int line, const QString& why) {
        return StoreError(QStringLiteral("%1:%2: %3").arg(shownName(fileName)).arg(line).arg(why));
    };
    bool first = true;
    for (const Record& r : records) {
        if (first) {
            first = false;
            if (r.fields.join(QLatin1Char(',')).trimmed().compare(kHeader, Qt::CaseInsensitive) ==
                0)
                continue;
            if (r.fields.value(0).trimmed().compare(QStringLiteral("number"),
                                                    Qt::CaseInsensitive) == 0)
                throw refuse(r.line,
                             QStringLiteral("見出し行は「%1」にしてください。").arg(kHeader));
        }
        if (r.fields.size() < 5 || r.fields.size() > 6)
            throw refuse(r.line, QStringLiteral("項目の数が違います（数字,種類,口数,開始回,"
                                                "継続回数,メモ の6項目）。"));
        const TicketInput input{.number = r.fields[0],
                                .type = r.fields[1],
                                .units = r.fields[2],
                                .firstDraw = r.fields[3],
                                .draws = r.fields[4],
                                .lastDraw = QString(),
                                .note = r.fields.value(5)};
        QString problem;
        const std::optional<Ticket> t = parseTicketInput(input, problem);
        if (!t) throw refuse(r.line, problem);
        out.push_back(*t);
    }
    return out;
}

std::vector<Ticket> readTicketFile(const QString& path) {
    QFile file;
    const QString reason = openRegularFile(file, path);
    if (!reason.isEmpty()) throw StoreError(cannotRead(path, reason));
    if (file.size() > kMaxTicketFileBytes)
        throw StoreError(cannotRead(path, QStringLiteral("ファイルが大きすぎます（%1 MB まで）。")
                                              .arg(kMaxTicketFileBytes / (1024 * 1024))));
    // Read in pieces, each line measured as it comes: a file of one endless line stops at its
    // first 4 KiB.
    QByteArray data;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    qsizetype lineBytes = 0;
    int line = 1;
    bool afterCr = false;
    while (true) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) throw StoreError(cannotRead(path, readFailureReason(path)));
        if (n == 0) break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = chunk[i];
            if (c == '\n' || c == '\r') {
                if (c == '\r' || !afterCr) ++line;  // CR LF ends one line
                lineBytes = 0;
            } else if (++lineBytes > kMaxLineBytes) {
                throw StoreError(QStringLiteral("%1:%2: 行が長すぎます（%3 バイトを超えています）。"
                                                "購入数字のファイルか確かめてください。")
                                     .arg(shownName(path))
                                     .arg(line)
                                     .arg(kMaxLineBytes));
            }
            afterCr = c == '\r';
        }
        data.append(chunk.constData(), n);
        if (data.size() > kMaxTicketFileBytes)  // grown since its size was read
            throw StoreError(
                cannotRead(path, QStringLiteral("ファイルが大きすぎます（%1 MB まで）。")
                                     .arg(kMaxTicketFileBytes / (1024 * 1024))));
    }
    return parseTicketCsv(data, path);
}

}  // namespace pirumoa
