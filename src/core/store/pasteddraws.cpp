#include "core/store/pasteddraws.h"

#include <QRegularExpression>
#include <QStringList>

#include "core/store/drawcsv.h"

namespace pirumoa {

namespace {

// The CSV reader names the source; the user pasted no file.
const QString kSource = QStringLiteral("貼り付けたデータ");

}  // namespace

bool isSingleValue(const QString& text) {
    const QString t = text.trimmed();
    return !t.contains(QLatin1Char('\n')) && !t.contains(QLatin1Char('\r')) &&
           !t.contains(QLatin1Char(',')) && !t.contains(QLatin1Char('\t'));
}

PastedDraws parsePastedDraws(const QString& text) {
    PastedDraws out;
    // A copied picture or a binary file arrives as control characters or replacement marks:
    // said at once instead of as a strange first line.
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFD) {
            out.error = QStringLiteral(
                "貼り付けたデータは文字ではないデータを含んでいるため、"
                "当選データとして読めません。");
            return out;
        }
    }
    // The grid's own copy: tabs between the cells, "2026-08-21 (金)" for a date.
    static const QRegularExpression weekday(QStringLiteral(R"(\s*[(（][^)）,\t]*[)）])"));
    QString csv = text;
    csv.replace(QLatin1Char('\t'), QLatin1Char(','));
    csv.remove(weekday);
    try {
        out.draws = parseDrawCsv(csv.toUtf8(), kSource);
    } catch (const StoreError& e) {
        out.error = e.message();
    }
    return out;
}

}  // namespace pirumoa
