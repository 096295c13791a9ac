#include "core/store/drawdate.h"

#include <QRegularExpression>

namespace pirumoa {

namespace {

QString halfWidth(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９') c = QChar(u'0' + (u - u'０'));
        if (u == u'／') c = QLatin1Char('/');
        if (u == u'－' || u == u'ー') c = QLatin1Char('-');
        if (u == u'（') c = QLatin1Char('(');
        if (u == u'）') c = QLatin1Char(')');
        if (u == u'　') c = QLatin1Char(' ');
    }
    return out;
}

const char16_t* const kWeekdays[] = {u"月", u"火", u"水", u"木", u"金", u"土", u"日"};

}  // namespace

QDate parseDrawDate(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*(\d{4})(?:([-/.])(\d{1,2})\2(\d{1,2})|(\d{2})(\d{2}))\s*(?:\(\s*\S\s*\))?\s*$)"));
    const QRegularExpressionMatch m = form.match(halfWidth(text));
    if (!m.hasMatch()) return {};
    const int year = m.captured(1).toInt();
    const bool separated = !m.captured(2).isEmpty();
    const int month = (separated ? m.captured(3) : m.captured(5)).toInt();
    const int day = (separated ? m.captured(4) : m.captured(6)).toInt();
    return QDate(year, month, day);
}

QString drawDateProblem(const QDate& date, const QDate& today) {
    if (!date.isValid())
        return QStringLiteral("抽せん日は 2026-08-21 のように年-月-日で入力してください。");
    if (date < kFirstDrawDate)
        return QStringLiteral("抽せん日は第1回の %1 より前にできません。")
            .arg(kFirstDrawDate.toString(Qt::ISODate));
    const QDate last = today.addYears(10);
    if (date > last)
        return QStringLiteral("抽せん日は %1 より後にできません。").arg(last.toString(Qt::ISODate));
    return QString();
}

QString shownDrawDate(const QString& stored) {
    const QDate d = QDate::fromString(stored, Qt::ISODate);
    if (!d.isValid()) return stored;
    return QStringLiteral("%1 (%2)").arg(d.toString(Qt::ISODate),
                                         QString::fromUtf16(kWeekdays[d.dayOfWeek() - 1]));
}

QDate nextDrawDay(const QDate& date) {
    if (!date.isValid()) return {};
    QDate d = date.addDays(1);
    for (;;) {
        const bool weekend = d.dayOfWeek() > 5;
        const bool newYear = (d.month() == 12 && d.day() == 31) || (d.month() == 1 && d.day() <= 3);
        if (!weekend && !newYear) return d;
        d = d.addDays(1);
    }
}

}  // namespace pirumoa
