#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "core/store/importeddraw.h"

namespace pirumoa {

// A line that cannot be read, with the reason (Japanese) shown after "FILE:LINE: ".
struct LineRefusal {
    qint64 line = 0;
    QString reason;
};

// What was recognised in a results file (or pasted text) and the draws it holds. The format
// is told from the text itself: encoding (UTF-8 with or without BOM, else CP932), separator
// (comma, tab, semicolon), line ends (LF, CR LF, CR), and the columns by their header names in
// Japanese or English, in any order, or without a header draw,date,number / draw,d1..d4 /
// draw,date,d1..d4.
struct ParsedDraws {
    QString encoding;     // "UTF-8", "UTF-8（BOM付き）", "Shift_JIS"
    QString separator;    // "カンマ", "タブ", "セミコロン"
    bool header = false;  // the first line named the columns
    bool json = false;    // a JSON array of draws (drawjson.h); refusals then name elements
    QStringList columns;  // what each read column holds: "回号（回別）", "抽せん日"
    QStringList ignored;  // header names of the columns left unread
    bool hasPrizes = false;
    std::vector<ImportedDraw> draws;  // ascending draw number, each number once
    // Draws whose prizes break the prize rule: their prizes are cleared in draws.
    std::vector<LeftOutPrizes> prizesLeftOut;
    std::vector<LineRefusal> refusals;  // the first kShownRefusals
    qint64 refusedLines = 0;            // how many lines were refused in all
    qint64 lines = 0;                   // lines read, blank ones included

    static constexpr std::size_t kShownRefusals = 10;
    bool ok() const { return refusedLines == 0; }
};

// Lines longer than this are refused unread: no draw needs a tenth of it, and a file of one
// endless line must not take the memory with it.
inline constexpr qsizetype kMaxLineBytes = 4096;

// A JSON results file is read whole, so it is refused beyond this size; no history of draws
// needs a tenth of it.
inline constexpr qint64 kMaxJsonBytes = 16 * 1024 * 1024;

// Parses text already in memory (a file's bytes, the clipboard's text as UTF-8). Its last
// line needs no line end: pasted text seldom has one.
ParsedDraws parseDrawText(QByteArrayView bytes);

// Reads a file line by line; a last line without a line end after lines that have one is
// refused as cut off (a one-line file needs none). progress(bytesRead, fileSize) runs now and then;
// when it returns false the reading stops and the result is nullopt. Throws StoreError (naming the
// file) for a file that cannot be read, or that is not a regular file (a folder, a device, a FIFO),
// which is refused before anything is read from it.
std::optional<ParsedDraws> readDrawFile(const QString& path,
                                        const std::function<bool(qint64, qint64)>& progress = {});

// "FILE:LINE: reason" for the first refusal, with how many more lines were refused.
QString firstRefusal(const ParsedDraws& parsed, const QString& source);
// Every shown refusal, one a line, "FILE:LINE: reason", and how many more.
QString refusalList(const ParsedDraws& parsed, const QString& source);

// What may be wrong with a file's draws (ascending), one line each: the draws missing between
// its first and last, dates out of draw order, dates after today. Empty when none.
QString drawNotes(const std::vector<ImportedDraw>& draws, const QDate& today);

// The summary shown before an import writes: what was recognised, how many draws, the first
// and the last, what may be wrong with them (drawNotes), the draws whose prizes are left out,
// and how they compare with the stored ones. Lines end in "\n".
QString importSummary(const ParsedDraws& parsed, const ImportComparison& comparison);

}  // namespace pirumoa
