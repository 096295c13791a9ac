#pragma once
// The fields of a results file, one at a time: the columns a file may have, and the parsers
// of a draw number, a date, a digit, a winning number and a prize. drawfile.cpp cuts files
// into lines and fields and calls these; a field that cannot be read throws BadLine with the
// reason shown to the user.
#include <QHash>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace pirumoa::drawfields {

enum class Column {
    Draw,
    Date,
    Number,
    D1,
    D2,
    D3,
    D4,
    Straight,
    Box,
    SetStraight,
    SetBox,
};
constexpr int kColumns = 11;
constexpr int kFirstPrize = int(Column::Straight);

// What the preview calls the column, "第1数字".
QString labelOf(Column c);

// Full-width letters and digits as half-width (NFKC), trimmed.
QString folded(const QString& text);

// A header name as it is looked up: folded, lower case, without spaces.
QString headerKey(const QString& name);

// The header names players' files use for each column, by headerKey.
const QHash<QString, Column>& headerNames();

// Why a line is refused (Japanese).
struct BadLine {
    QString reason;
};

bool allDigits(QStringView text);

// "123", "第123回", "123回", 1 … kMaxDrawNo; nullopt for anything else.
std::optional<int> drawNumberOf(const QString& field);

// A first field like this starts a file without a header.
bool looksLikeDrawNumber(const QString& field);

// The draw number of a raw field; throws BadLine.
int drawNumber(const QString& raw);

// The date of draw no as "yyyy-MM-dd", empty for an empty field; throws BadLine.
QString date(const QString& raw, int no);

// A digit 0 … 9 at position 1 … 4, -1 for an empty field; throws BadLine.
std::int8_t digit(const QString& raw, int position);

using Digits = std::array<std::int8_t, 4>;

// The four digits of a winning number, all -1 for an empty field; throws BadLine.
Digits winningNumber(const QString& raw);

// A prize in yen, -1 for none; whole yen may be written with a zero fraction (1186800.0).
// Throws BadLine naming the column.
std::int64_t prize(const QString& raw, Column column);

// No box or set is sold on four equal digits: files write 0 there for "none", which is kept
// as unknown (-1). An amount there is left for the prize rule (importeddraw.h) to refuse.
void noneOnRepdigits(const Digits& digits, std::array<std::int64_t, 4>& yen);

// "0123", "_" for a missing digit.
QString digitsText(const Digits& d);

}  // namespace pirumoa::drawfields
