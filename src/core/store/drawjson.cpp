#include "core/store/drawjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>

#include "core/store/drawfields.h"
#include "core/store/labels.h"

namespace pirumoa {

namespace {

using namespace drawfields;

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// A whole number in JSON (7054 or "7054"); nullopt for anything else.
std::optional<qint64> wholeNumber(const QJsonValue& v) {
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (d < 0 || d > 1e15 || d != double(qint64(d))) return std::nullopt;
        return qint64(d);
    }
    if (v.isString() && allDigits(v.toString()) && !v.toString().isEmpty() &&
        v.toString().size() <= 15)
        return v.toString().toLongLong();
    return std::nullopt;
}

QString shownJson(const QJsonValue& v) {
    if (v.isString()) return v.toString().left(40);
    if (v.isUndefined()) return QStringLiteral("なし");
    QJsonArray wrap{v};
    QString text = QString::fromUtf8(QJsonDocument(wrap).toJson(QJsonDocument::Compact));
    return text.mid(1, text.size() - 2).left(40);
}

Digits digitsOf(const QJsonValue& v) {
    const QJsonArray a = v.toArray();
    if (!v.isArray() || a.size() != 4)
        throw BadLine{
            QStringLiteral("数字「%1」は 4 つの数字の配列ではありません").arg(shownJson(v))};
    Digits d{};
    for (int k = 0; k < 4; ++k) {
        const std::optional<qint64> x = wholeNumber(a[k]);
        if (!x || *x > 9 || !a[k].isDouble())
            throw BadLine{QStringLiteral("第%1数字「%2」は 0～9 の数字ではありません")
                              .arg(k + 1)
                              .arg(shownJson(a[k]))};
        d[std::size_t(k)] = std::int8_t(*x);
    }
    return d;
}

struct PrizeKey {
    const char* key;
    Column column;
};
constexpr PrizeKey kPrizeKeys[] = {{"straight", Column::Straight},
                                   {"box", Column::Box},
                                   {"set_straight", Column::SetStraight},
                                   {"set_box", Column::SetBox}};

ImportedDraw drawOf(const QJsonValue& value, bool& hasPrizes) {
    if (!value.isObject()) throw BadLine{QStringLiteral("回のオブジェクトではありません")};
    const QJsonObject o = value.toObject();
    ImportedDraw d;
    const QJsonValue noValue = o.contains(u"draw_no") ? o.value(u"draw_no") : o.value(u"round");
    const std::optional<qint64> no = wholeNumber(noValue);
    if (noValue.isUndefined()) throw BadLine{QStringLiteral("回数（draw_no・round）がありません")};
    if (!no || *no < 1 || *no > kMaxDrawNo)
        throw BadLine{QStringLiteral("回数「%1」は 1～%2 の整数ではありません")
                          .arg(shownJson(noValue), QString::number(kMaxDrawNo))};
    d.draw.no = int(*no);
    const QJsonValue dateValue = o.value(u"date");
    if (!dateValue.isUndefined() && !dateValue.isNull()) {
        if (!dateValue.isString())
            throw BadLine{QStringLiteral("抽選日「%1」は年-月-日の日付ではありません")
                              .arg(shownJson(dateValue))};
        d.draw.date = date(dateValue.toString(), d.draw.no);
    }
    const QJsonValue digits = o.contains(u"digits") ? o.value(u"digits") : o.value(u"numbers");
    const QJsonValue number = o.value(u"winning_number");
    if (digits.isUndefined() && number.isUndefined())
        throw BadLine{QStringLiteral("当せん番号（digits・numbers・winning_number）がありません")};
    if (!digits.isUndefined()) d.draw.digits = digitsOf(digits);
    if (!number.isUndefined()) {
        if (!number.isString())
            throw BadLine{QStringLiteral("当せん番号「%1」は 4 桁の数字ではありません")
                              .arg(shownJson(number))};
        const Digits fromNumber = winningNumber(number.toString());
        if (digits.isUndefined())
            d.draw.digits = fromNumber;
        else if (fromNumber != d.draw.digits)
            throw BadLine{QStringLiteral("当選番号「%1」と数字「%2」が一致しません")
                              .arg(number.toString(), digitsText(d.draw.digits))};
    }
    if (!d.draw.complete()) throw BadLine{QStringLiteral("当せん番号が 4 桁そろっていません")};
    const QJsonValue prize = o.value(u"prize");
    if (!prize.isUndefined() && !prize.isNull()) {
        if (!prize.isObject())
            throw BadLine{
                QStringLiteral("当せん金「%1」はオブジェクトではありません").arg(shownJson(prize))};
        hasPrizes = true;
        const QJsonObject p = prize.toObject();
        for (int k = 0; k < kPrizeKinds; ++k) {
            const QJsonValue v = p.value(QLatin1String(kPrizeKeys[k].key));
            if (v.isUndefined() || v.isNull()) continue;
            const std::optional<qint64> yen = v.isDouble() ? wholeNumber(v) : std::nullopt;
            if (!yen)
                throw BadLine{QStringLiteral("%1の当せん金「%2」は金額ではありません")
                                  .arg(labelOf(kPrizeKeys[k].column), shownJson(v))};
            d.prizes.yen[std::size_t(k)] = *yen;
        }
        noneOnRepdigits(d.draw.digits, d.prizes.yen);
    }
    return d;
}

}  // namespace

bool looksLikeJson(QByteArrayView bytes) {
    for (char c : withoutBom(bytes)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        return c == '[' || c == '{';
    }
    return false;
}

ParsedDraws parseDrawJson(QByteArrayView bytes) {
    ParsedDraws out;
    const QByteArrayView text = withoutBom(bytes);
    out.encoding =
        text.size() == bytes.size() ? QStringLiteral("UTF-8") : QStringLiteral("UTF-8（BOM付き）");
    out.separator = QStringLiteral("JSON");
    out.json = true;
    out.lines = 1 + std::count(text.begin(), text.end(), '\n');
    const auto refuse = [&](qint64 line, const QString& reason) {
        ++out.refusedLines;
        if (out.refusals.size() < ParsedDraws::kShownRefusals)
            out.refusals.push_back({line, reason});
    };
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
        const qint64 line =
            1 + std::count(text.begin(),
                           text.begin() + std::min<qsizetype>(error.offset, text.size()), '\n');
        refuse(line, QStringLiteral("JSON として読めません（%1、%2 バイト目）。途中で切れている"
                                    "か、JSON ではありません")
                         .arg(error.errorString())
                         .arg(error.offset));
        return out;
    }
    QJsonArray items;
    if (doc.isArray())
        items = doc.array();
    else
        items.append(doc.object());
    std::vector<int> slot(std::size_t(kMaxDrawNo) + 1, -1);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString where = QStringLiteral("%1 件目：").arg(i + 1);
        try {
            ImportedDraw d = drawOf(items[i], out.hasPrizes);
            int& at = slot[std::size_t(d.draw.no)];
            if (at >= 0) {
                if (out.draws[std::size_t(at)] != d)
                    refuse(0, where + QStringLiteral("%1が異なる内容で重複しています")
                                          .arg(drawLabel(d.draw.no)));
                continue;
            }
            at = int(out.draws.size());
            out.draws.push_back(std::move(d));
        } catch (const BadLine& bad) {
            refuse(0, where + bad.reason);
        }
    }
    std::sort(out.draws.begin(), out.draws.end(),
              [](const ImportedDraw& a, const ImportedDraw& b) { return a.draw.no < b.draw.no; });
    out.prizesLeftOut = leaveOutFaultyPrizes(out.draws);
    out.columns << labelOf(Column::Draw) << labelOf(Column::Date) << labelOf(Column::Number);
    if (out.hasPrizes)
        for (int c = kFirstPrize; c < kColumns; ++c) out.columns << labelOf(Column(c));
    return out;
}

}  // namespace pirumoa
