#include "core/sheet/sheetformat.h"

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
