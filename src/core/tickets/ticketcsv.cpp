#include "core/tickets/ticketcsv.h"

#include <QStringDecoder>
#include <QStringList>

#include "core/store/drawstore.h"
#include "core/store/fileerror.h"

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

bool wholeNumber(const QString& text, int& out) {
    bool ok = false;
    out = text.trimmed().toInt(&ok);
    return ok;
}

}  // namespace

QByteArray writeTicketCsv(const std::vector<Ticket>& tickets) {
    QString out = kHeader + QLatin1Char('\n');
    for (const Ticket& t : tickets)
        out +=
            QStringList{numberText(t.digits),
                        typeKey(t.type),
                        QString::number(t.units),
                        QString::number(t.firstDraw),
                        t.draws == kUntilToday ? QStringLiteral("all") : QString::number(t.draws),
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
        Ticket t;
        const auto digits = parseTicketNumber(r.fields[0]);
        if (!digits)
            throw refuse(r.line, QStringLiteral("数字「%1」は4桁の数字ではありません。")
                                     .arg(shownField(r.fields[0])));
        t.digits = *digits;
        const auto type = parseTicketType(r.fields[1]);
        if (!type)
            throw refuse(r.line, QStringLiteral("種類「%1」は straight、box、set のどれかにして"
                                                "ください。")
                                     .arg(shownField(r.fields[1])));
        t.type = *type;
        if (!wholeNumber(r.fields[2], t.units))
            throw refuse(
                r.line,
                QStringLiteral("口数「%1」が数値ではありません。").arg(shownField(r.fields[2])));
        if (!wholeNumber(r.fields[3], t.firstDraw))
            throw refuse(
                r.line,
                QStringLiteral("開始回「%1」が数値ではありません。").arg(shownField(r.fields[3])));
        const QString draws = r.fields[4].trimmed();
        if (draws.compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0 ||
            draws == QStringLiteral("今日まで"))
            t.draws = kUntilToday;
        else if (!wholeNumber(draws, t.draws) || t.draws == kUntilToday)
            throw refuse(r.line, QStringLiteral("継続回数「%1」は 1～%2 か all にしてください。")
                                     .arg(shownField(draws))
                                     .arg(kMaxConsecutiveDraws));
        t.note = r.fields.value(5);
        const QString problem = ticketProblem(t);
        if (!problem.isEmpty()) throw refuse(r.line, problem);
        out.push_back(t);
    }
    return out;
}

}  // namespace pirumoa
