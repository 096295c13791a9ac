#include "core/store/pasteddraws.h"

#include "core/store/drawfile.h"

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
    // The same reader as the CSV import: any format it reads, the grid's own copy included
    // (tabs between the cells, "2026-08-21 (金)" for a date).
    const ParsedDraws parsed = parseDrawText(text.toUtf8());
    if (!parsed.ok()) {
        out.error = firstRefusal(parsed, kSource);
        return out;
    }
    out.draws = parsed.draws;
    out.prizesLeftOut = parsed.prizesLeftOut;
    return out;
}

}  // namespace pirumoa
