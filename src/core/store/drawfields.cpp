#include "core/store/drawfields.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>

#include "core/store/drawhistory.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"

namespace pirumoa::drawfields {

namespace {

// The header names players' files use for each column, as they read after folding (see
// headerKey), and what the preview calls the column.
struct ColumnNames {
    Column column;
    const char* label;
    std::array<const char*, 6> names;
};

const ColumnNames kColumnNames[] = {
    {Column::Draw, "回号", {"回号", "回別", "回", "回数", "draw", "draw_no"}},
    {Column::Draw, "回号", {"round", nullptr}},
    {Column::Date, "抽せん日", {"抽せん日", "抽選日", "日付", "date", "draw_date", nullptr}},
    {Column::Number,
     "当せん番号",
     {"当せん番号", "当選番号", "本数字", "winning_number", "number", nullptr}},
    {Column::D1, "第1数字", {"第1数字", "d1", "digit1", nullptr}},
    {Column::D2, "第2数字", {"第2数字", "d2", "digit2", nullptr}},
    {Column::D3, "第3数字", {"第3数字", "d3", "digit3", nullptr}},
    {Column::D4, "第4数字", {"第4数字", "d4", "digit4", nullptr}},
    {Column::Straight, "ストレート", {"ストレート", "straight", "straight_payout", nullptr}},
    {Column::Box, "ボックス", {"ボックス", "box", "box_payout", nullptr}},
    {Column::SetStraight,
     "セット(ストレート)",
     {"セット(ストレート)", "set_straight", "set_straight_payout", nullptr}},
    {Column::SetBox,
     "セット(ボックス)",
     {"セット(ボックス)", "set_box", "set_box_payout", nullptr}},
};

QString shown(const QString& field) { return shownField(field); }

// Reads up to `most` digits at pos; -1 when there are none.
int number(QStringView t, qsizetype& pos, int most) {
    int value = 0, n = 0;
    while (pos < t.size() && n < most && t[pos].isDigit() && t[pos].unicode() < 0x80) {
        value = value * 10 + (t[pos].unicode() - '0');
        ++pos;
        ++n;
    }
    return n == 0 ? -1 : value;
}

}  // namespace

QString labelOf(Column c) {
    for (const ColumnNames& n : kColumnNames)
        if (n.column == c) return QString::fromUtf8(n.label);
    return {};
}

// Full-width letters and digits as half-width (NFKC), which Japanese spreadsheets and sites
// mix freely; plain ASCII, nearly every field, skips the normalisation.
QString folded(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        // Kana and kanji (円, 第, 回, 年) are their own normal form, and common in every line.
        const bool stable = u < 0x80 || (u >= 0x3041 && u <= 0x3096) ||
                            (u >= 0x30A1 && u <= 0x30FA) || (u >= 0x4E00 && u <= 0x9FFF);
        if (!stable) return text.normalized(QString::NormalizationForm_KC).trimmed();
    }
    return text.trimmed();
}

QString headerKey(const QString& name) {
    QString key = folded(name).toLower();
    key.remove(QLatin1Char(' '));
    return key;
}

const QHash<QString, Column>& headerNames() {
    static const QHash<QString, Column> names = [] {
        QHash<QString, Column> h;
        for (const ColumnNames& n : kColumnNames)
            for (const char* name : n.names)
                if (name) h.insert(QString::fromUtf8(name), n.column);
        return h;
    }();
    return names;
}

bool allDigits(QStringView text) {
    if (text.isEmpty()) return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

// "123", "第123回", "123回".
std::optional<int> drawNumberOf(const QString& field) {
    QStringView t(field);
    if (t.startsWith(u'第')) t = t.sliced(1);
    if (t.endsWith(u'回')) t.chop(1);
    t = t.trimmed();
    if (!allDigits(t) || t.size() > 5) return std::nullopt;
    const int no = t.toInt();
    if (no < 1 || no > kMaxDrawNo) return std::nullopt;
    return no;
}

// A first field like this starts a file without a header, whose lines then say what is wrong
// with them (a draw 0, say) rather than a header that cannot be read.
bool looksLikeDrawNumber(const QString& field) {
    QStringView t(field);
    if (t.startsWith(u'第')) t = t.sliced(1);
    if (t.endsWith(u'回')) t.chop(1);
    if (t.startsWith(u'-')) t = t.sliced(1);
    return allDigits(t.trimmed());
}

int drawNumber(const QString& raw) {
    const QString field = folded(raw);
    if (field.isEmpty()) throw BadLine{QStringLiteral("回数がありません")};
    const std::optional<int> no = drawNumberOf(field);
    if (!no)
        throw BadLine{QStringLiteral("回数「%1」は 1～%2 の整数ではありません")
                          .arg(shown(field), QString::number(kMaxDrawNo))};
    return *no;
}

// 2026-08-21, 2026/8/21, 2026.08.21, 2026年8月21日, each optionally with a weekday "(金)" and
// the time a spreadsheet may add ("0:00").
QString date(const QString& raw, int no) {
    const QString field = folded(raw);
    if (field.isEmpty()) return QString();
    const auto bad = [&] {
        return BadLine{
            QStringLiteral("抽選日「%1」は年-月-日の日付ではありません").arg(shown(field))};
    };
    const QStringView t(field);
    qsizetype pos = 0;
    const auto separator = [&](char16_t japanese) {
        if (pos >= t.size()) return false;
        const char16_t c = t[pos].unicode();
        if (c == u'-' || c == u'/' || c == u'.' || c == japanese) {
            ++pos;
            return true;
        }
        return false;
    };
    const int year = pos + 4 <= t.size() ? number(t, pos, 4) : -1;
    if (year < 1000 || pos != 4 || !separator(u'年')) throw bad();
    const int month = number(t, pos, 2);
    if (month < 0 || !separator(u'月')) throw bad();
    const int day = number(t, pos, 2);
    if (day < 0) throw bad();
    if (pos < t.size() && t[pos] == u'日') ++pos;
    const QStringView rest = t.sliced(pos).trimmed();
    if (!rest.isEmpty()) {
        static const QRegularExpression tail(
            QStringLiteral("^(\\([^()]{1,4}\\))?\\s*(\\d{1,2}:\\d{2}(:\\d{2})?)?$"));
        if (!tail.match(rest.toString()).hasMatch()) throw bad();
    }
    const QDate when(year, month, day);
    if (!when.isValid()) throw bad();
    // Numbers 4 was first drawn on 1994-10-07; a date outside that span is a typing or a
    // column slip, and it would sort the draw among the wrong ones.
    static const QDate kFirstDraw(1994, 10, 7);
    const QDate last = QDate::currentDate().addYears(10);
    if (when < kFirstDraw || when > last)
        throw BadLine{
            QStringLiteral("%1の抽選日「%2」は第1回（%3）から今日の 10 年後（%4）までの"
                           "日付にしてください")
                .arg(drawLabel(no))
                .arg(shown(field), kFirstDraw.toString(Qt::ISODate), last.toString(Qt::ISODate))};
    // By hand: this runs for every line of a file, and a formatted print costs more than the
    // rest of the date.
    QString out(10, QLatin1Char('-'));
    const auto put = [&out](qsizetype at, int value, int width) {
        for (qsizetype k = at + width - 1; k >= at; --k, value /= 10)
            out[k] = QLatin1Char(char('0' + value % 10));
    };
    put(0, year, 4);
    put(5, month, 2);
    put(8, day, 2);
    return out;
}

std::int8_t digit(const QString& raw, int position) {
    const QString field = folded(raw);
    if (field.isEmpty()) return -1;
    if (field.size() != 1 || !allDigits(field))
        throw BadLine{QStringLiteral("第%1数字「%2」は 0～9 の数字ではありません")
                          .arg(position)
                          .arg(shown(field))};
    return std::int8_t(field[0].unicode() - '0');
}

using Digits = std::array<std::int8_t, 4>;

// 0097; 97 where a spreadsheet dropped the leading zeros; 0 0 9 7, 0-0-9-7, [0, 0, 9, 7].
Digits winningNumber(const QString& raw) {
    QString field = folded(raw);
    Digits out{-1, -1, -1, -1};
    if (field.isEmpty()) return out;
    const auto bad = [&] {
        return BadLine{
            QStringLiteral("当選番号「%1」は 4 桁の数字ではありません").arg(shown(field))};
    };
    QString t = field;
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) t = t.mid(1, t.size() - 2);
    static const QRegularExpression separators(QStringLiteral("[\\s,\\-・]+"));
    const auto separated = [&t] {
        for (QChar c : t)
            if (c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char('-') || c == u'・')
                return true;
        return false;
    };
    if (separated()) {
        const QStringList parts = t.split(separators, Qt::SkipEmptyParts);
        if (parts.size() != 4) throw bad();
        for (int k = 0; k < 4; ++k) {
            if (parts[k].size() != 1 || !allDigits(parts[k])) throw bad();
            out[k] = std::int8_t(parts[k][0].unicode() - '0');
        }
        return out;
    }
    if (!allDigits(t) || t.size() > 4) throw bad();
    t = t.rightJustified(4, QLatin1Char('0'));
    for (int k = 0; k < 4; ++k) out[k] = std::int8_t(t[k].unicode() - '0');
    return out;
}

// Yen, with or without 円, ¥ and thousands separators; a dash or 該当なし is no prize.
std::int64_t prize(const QString& raw, Column column) {
    const QString text = folded(raw);
    QString t;
    t.reserve(text.size());
    for (QChar c : text)
        if (c != u'円' && c != u',' && c != u'¥' && c != u'\\' && c != u' ') t += c;
    static const QStringList none{"-", "−", "―", "ー", "—", "–", "*", "該当なし", "なし"};
    if (t.isEmpty() || (!allDigits(t) && none.contains(t))) return -1;
    // Spreadsheets and some public files write whole yen as 1186800.0.
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    if (point > 0) {
        const QStringView fraction = QStringView(t).sliced(point + 1);
        if (allDigits(fraction) && fraction.count(QLatin1Char('0')) == fraction.size())
            t.truncate(point);
    }
    if (!allDigits(t) || t.size() > 13)
        throw BadLine{QStringLiteral("%1の当せん金「%2」は金額ではありません")
                          .arg(labelOf(column), shown(folded(raw)))};
    return t.toLongLong();
}

void noneOnRepdigits(const Digits& g, std::array<std::int64_t, 4>& yen) {
    if (g[0] < 0 || g[0] != g[1] || g[1] != g[2] || g[2] != g[3]) return;
    for (std::size_t k = 1; k < yen.size(); ++k)
        if (yen[k] == 0) yen[k] = -1;
}

QString digitsText(const Digits& d) {
    QString s;
    for (std::int8_t x : d) s += x < 0 ? QStringLiteral("_") : QString::number(x);
    return s;
}

}  // namespace pirumoa::drawfields
