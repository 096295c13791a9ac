#include "core/sheet/sheetformat.h"

#include <QHash>
#include <algorithm>

namespace pirumoa {

namespace {

void appendText(QByteArray& out, QStringView s) {
    out += '"';
    for (char ch : s.toUtf8()) {
        switch (ch) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20)
                    out += "\\u00" + QByteArray::number(int(ch), 16).rightJustified(2, '0');
                else
                    out += ch;
        }
    }
    out += '"';
}

void appendNumber(QByteArray& out, double v) { out += QByteArray::number(v, 'g', 10); }

}  // namespace

QByteArray sheetsToCsv(const std::vector<const Sheet*>& sheets) {
    QByteArray out = "\xEF\xBB\xBF";
    bool first = true;
    for (const Sheet* s : sheets) {
        if (!first) out += "\r\n";
        first = false;
        for (int r = 1; r <= s->rowCount(); ++r) {
            for (int c = 1; c <= s->columnCount(); ++c) {
                if (c > 1) out += ',';
                const QByteArray text = s->textOf(s->cell(c, r)).toUtf8();
                if (text.contains(',') || text.contains('"') || text.contains('\n') ||
                    text.contains('\r')) {
                    out += '"';
                    out += QByteArray(text).replace("\"", "\"\"");
                    out += '"';
                } else {
                    out += text;
                }
            }
            out += "\r\n";
        }
    }
    return out;
}

namespace {

// The block's cells inside the grid, -1 meaning every row or column as elsewhere.
Block clipped(const Sheet& s, const Block& b) {
    Block out = b;
    if (out.col1 == -1 || out.col2 == -1) out.col1 = 1, out.col2 = s.columnCount();
    if (out.row1 == -1 || out.row2 == -1) out.row1 = 1, out.row2 = s.rowCount();
    out.col1 = std::max(out.col1, 1);
    out.row1 = std::max(out.row1, 1);
    out.col2 = std::min(out.col2, s.columnCount());
    out.row2 = std::min(out.row2, s.rowCount());
    return out;
}

}  // namespace

QByteArray blockToTsv(const Sheet& sheet, const Block& block) {
    const Block b = clipped(sheet, block);
    QByteArray out;
    for (int r = b.row1; r <= b.row2; ++r) {
        for (int c = b.col1; c <= b.col2; ++c) {
            if (c > b.col1) out += '\t';
            out += sheet.textOf(sheet.cell(c, r)).toUtf8();
        }
        out += '\n';
    }
    return out;
}

QByteArray blockToHtml(const Sheet& sheet, const Block& block) {
    const Block b = clipped(sheet, block);
    // One style per combination of colours and alignment the block uses: a large block
    // then costs a few bytes a cell.
    QHash<quint32, int> styles;
    QByteArray rows;
    for (int r = b.row1; r <= b.row2; ++r) {
        rows += "<tr>";
        for (int c = b.col1; c <= b.col2; ++c) {
            const Sheet::Cell& cell = sheet.cell(c, r);
            const quint32 key = quint32(cell.fg) << 16 | quint32(cell.bg) << 8 | (cell.flags & 1);
            auto it = styles.find(key);
            if (it == styles.end()) it = styles.insert(key, int(styles.size()));
            rows += "<td class=s" + QByteArray::number(*it) + '>';
            rows += sheet.textOf(cell).toString().toHtmlEscaped().toUtf8();
            rows += "</td>";
        }
        rows += "</tr>\n";
    }
    QByteArray out =
        "<html><head><meta charset=\"utf-8\"><style>\n"
        "td{border:1px solid #c0c0c0;padding:1px 3px}\n";
    for (auto it = styles.cbegin(); it != styles.cend(); ++it) {
        const quint32 key = it.key();
        out += "td.s" + QByteArray::number(it.value()) +
               "{color:" + rgbName(sheet.colourOf(std::uint8_t(key >> 16))).toLatin1() +
               ";background-color:" + rgbName(sheet.colourOf(std::uint8_t(key >> 8))).toLatin1() +
               ";text-align:" + ((key & 1) ? "left" : "center") + "}\n";
    }
    out += "</style></head><body><table style=\"border-collapse:collapse\">\n";
    out += rows;
    out += "</table></body></html>\n";
    return out;
}

QString rgbName(Rgb colour) {
    return QStringLiteral("#%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
}

QByteArray sheetsToTsv(const std::vector<const Sheet*>& sheets) {
    QByteArray out;
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        const Sheet& s = *sheets[k];
        if (sheets.size() > 1) out += "## grid " + QByteArray::number(qulonglong(k)) + '\n';
        for (int r = 1; r <= s.rowCount(); ++r) {
            for (int c = 1; c <= s.columnCount(); ++c) {
                if (c > 1) out += '\t';
                out += s.textOf(s.cell(c, r)).toUtf8();
            }
            out += '\n';
        }
    }
    return out;
}

QByteArray sheetsToJson(const QString& window, const std::vector<const Sheet*>& sheets) {
    static const Sheet::Cell plain{};
    static const char* const sideNames[4] = {"left", "right", "top", "bottom"};
    static const Side sides[4] = {Left, Right, Top, Bottom};
    QByteArray out = "{\"window\":";
    appendText(out, window);
    out += ",\"grids\":[";
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        const Sheet& s = *sheets[k];
        if (k) out += ',';
        out += "{\"rows\":" + QByteArray::number(s.rowCount()) +
               ",\"columns\":" + QByteArray::number(s.columnCount()) +
               ",\"frozenRows\":" + QByteArray::number(s.frozenRows()) + ",\"rowHeights\":[";
        for (int r = 1; r <= s.rowCount(); ++r) {
            if (r > 1) out += ',';
            appendNumber(out, s.rowHeight(r));
        }
        out += "],\"columnWidths\":[";
        for (int c = 1; c <= s.columnCount(); ++c) {
            if (c > 1) out += ',';
            appendNumber(out, s.columnWidth(c));
        }
        out += "],\"cells\":[";
        bool first = true;
        for (int r = 1; r <= s.rowCount(); ++r) {
            for (int c = 1; c <= s.columnCount(); ++c) {
                const Sheet::Cell& cell = s.cell(c, r);
                const bool fgDefault = s.colourOf(cell.fg) == s.colourOf(plain.fg);
                const bool bgDefault = s.colourOf(cell.bg) == s.colourOf(plain.bg);
                const bool hasBorder = cell.lines != 0;
                if (cell.text == 0 && fgDefault && bgDefault && cell.flags == plain.flags &&
                    !hasBorder)
                    continue;
                if (!first) out += ',';
                first = false;
                out += "{\"r\":" + QByteArray::number(r) + ",\"c\":" + QByteArray::number(c) +
                       ",\"text\":";
                appendText(out, s.textOf(cell));
                if (!fgDefault) out += ",\"fg\":\"" + rgbName(s.colourOf(cell.fg)).toLatin1() + '"';
                if (!bgDefault) out += ",\"bg\":\"" + rgbName(s.colourOf(cell.bg)).toLatin1() + '"';
                out += ",\"align\":";
                out += s.align(c, r) == Align::Left ? "\"left\"" : "\"center\"";
                if (s.editable(c, r)) out += ",\"editable\":true";
                if (hasBorder) {
                    out += ",\"border\":{";
                    bool firstSide = true;
                    for (int i = 0; i < 4; ++i) {
                        Rgb line;
                        if (!s.border(c, r, sides[i], &line)) continue;
                        if (!firstSide) out += ',';
                        firstSide = false;
                        out += QByteArray("\"") + sideNames[i] + "\":\"" +
                               rgbName(line).toLatin1() + '"';
                    }
                    out += '}';
                }
                out += '}';
            }
        }
        out += "]}";
    }
    out += "]}\n";
    return out;
}

}  // namespace pirumoa
