#include "core/sheet/sheetformat.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <string_view>

namespace pirumoa {

namespace {

void appendJsonText(QByteArray& out, QStringView s) {
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

QByteArray csvField(QStringView s) {
    const QByteArray text = s.toUtf8();
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    return '"' + QByteArray(text).replace("\"", "\"\"") + '"';
}

// Every distinct text of a sheet in one written form, made once: a long grid repeats a
// few hundred texts (and its draw numbers) over a million cells.
class TextForms {
public:
    template <class Form>
    TextForms(const Sheet& s, Form&& form) {
        const std::uint32_t n = s.textCount();
        m_starts.reserve(n + 1);
        m_starts.push_back(0);
        for (std::uint32_t i = 0; i < n; ++i) {
            form(m_bytes, s.textAt(i));
            m_starts.push_back(m_bytes.size());
        }
    }
    std::string_view operator[](std::uint32_t id) const {
        return {m_bytes.constData() + m_starts[id], std::size_t(m_starts[id + 1] - m_starts[id])};
    }

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_starts;
};

TextForms utf8Forms(const Sheet& s) {
    return TextForms(s, [](QByteArray& out, QStringView t) { out += t.toUtf8(); });
}

// A grid's row height or column width as JSON gives it; a run of equal values is
// formatted once.
class NumberForm {
public:
    const QByteArray& operator()(double v) {
        if (!m_valid || v != m_last) m_text = QByteArray::number(v, 'g', 10), m_last = v;
        m_valid = true;
        return m_text;
    }

private:
    bool m_valid = false;
    double m_last = 0;
    QByteArray m_text;
};

// A heading's text over cells joined into one (no line between them, the others empty) is
// where a spreadsheet's merged cell keeps it: in the first of them. The grid centres it
// over the cells, so it is stored further right.
std::vector<std::uint32_t> csvRow(const Sheet& s, int r) {
    const int cols = s.columnCount();
    std::vector<std::uint32_t> texts(std::size_t(cols) + 1);
    for (int c = 1; c <= cols; ++c) texts[std::size_t(c)] = s.cell(c, r).text;
    if (r > s.frozenRows()) return texts;
    auto joined = [&](int c) {  // c and c + 1
        return s.linesOf(s.cell(c, r))[1] == 0 && s.linesOf(s.cell(c + 1, r))[0] == 0;
    };
    for (int a = 1; a <= cols;) {
        int b = a, filled = 0, at = 0;
        for (;; ++b) {
            if (texts[std::size_t(b)] != 0) ++filled, at = b;
            if (b == cols || !joined(b)) break;
        }
        if (filled == 1 && at != a) std::swap(texts[std::size_t(a)], texts[std::size_t(at)]);
        a = b + 1;
    }
    return texts;
}

}  // namespace

void writeSheetsCsv(const std::vector<const Sheet*>& sheets, ByteSink& out) {
    out.put("\xEF\xBB\xBF");
    bool first = true;
    for (const Sheet* s : sheets) {
        if (!first) out.put("\r\n");
        first = false;
        const TextForms fields(*s, [](QByteArray& o, QStringView t) { o += csvField(t); });
        for (int r = 1; r <= s->rowCount(); ++r) {
            const std::vector<std::uint32_t> texts = csvRow(*s, r);
            for (int c = 1; c <= s->columnCount(); ++c) {
                if (c > 1) out.put(',');
                out.put(fields[texts[std::size_t(c)]]);
            }
            out.put("\r\n");
        }
    }
}

QByteArray sheetsToCsv(const std::vector<const Sheet*>& sheets) {
    ByteSink out;
    writeSheetsCsv(sheets, out);
    return out.take();
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
    const TextForms texts = utf8Forms(sheet);
    ByteSink out;
    for (int r = b.row1; r <= b.row2; ++r) {
        for (int c = b.col1; c <= b.col2; ++c) {
            if (c > b.col1) out.put('\t');
            out.put(texts[sheet.cell(c, r).text]);
        }
        out.put('\n');
    }
    return out.take();
}

QByteArray blockToHtml(const Sheet& sheet, const Block& block) {
    const Block b = clipped(sheet, block);
    // One style per combination of colours and alignment the block uses: a large block
    // then costs a few bytes a cell. Each style's cell tag is made once.
    // Each text with the end of its cell: one copy a cell fewer.
    const TextForms texts(sheet, [](QByteArray& o, QStringView t) {
        o += t.toString().toHtmlEscaped().toUtf8();
        o += "</td>";
    });
    std::vector<int> styleOf(std::size_t(1) << 17, -1);
    std::vector<quint32> keys;
    auto keyOf = [](const Sheet::Cell& cell) {
        return quint32(cell.fg) << 9 | quint32(cell.bg) << 1 | (cell.flags & 1);
    };
    for (int r = b.row1; r <= b.row2; ++r) {
        for (int c = b.col1; c <= b.col2; ++c) {
            const quint32 key = keyOf(sheet.cell(c, r));
            if (styleOf[key] < 0) styleOf[key] = int(keys.size()), keys.push_back(key);
        }
    }
    ByteSink out;
    out.put(
        "<html><head><meta charset=\"utf-8\"><style>\n"
        "td{border:1px solid #c0c0c0;padding:1px 3px}\n");
    std::vector<QByteArray> tags;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const quint32 key = keys[i];
        out.put("td.s" + QByteArray::number(qulonglong(i)) +
                "{color:" + rgbName(sheet.colourOf(std::uint8_t(key >> 9))).toLatin1() +
                ";background-color:" + rgbName(sheet.colourOf(std::uint8_t(key >> 1))).toLatin1() +
                ";text-align:" + ((key & 1) ? "left" : "center") + "}\n");
        tags.push_back("<td class=s" + QByteArray::number(qulonglong(i)) + '>');
    }
    out.put("</style></head><body><table style=\"border-collapse:collapse\">\n");
    for (int r = b.row1; r <= b.row2; ++r) {
        out.put("<tr>");
        for (int c = b.col1; c <= b.col2; ++c) {
            const Sheet::Cell& cell = sheet.cell(c, r);
            out.put(tags[std::size_t(styleOf[keyOf(cell)])]);
            out.put(texts[cell.text]);
        }
        out.put("</tr>\n");
    }
    out.put("</table></body></html>\n");
    return out.take();
}

QString rgbName(Rgb colour) {
    return QStringLiteral("#%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
}

void writeSheetsTsv(const std::vector<const Sheet*>& sheets, ByteSink& out) {
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        const Sheet& s = *sheets[k];
        if (sheets.size() > 1) {
            out.put("## grid ");
            out.putNumber(static_cast<long long>(k));
            out.put('\n');
        }
        const TextForms texts = utf8Forms(s);
        for (int r = 1; r <= s.rowCount(); ++r) {
            for (int c = 1; c <= s.columnCount(); ++c) {
                if (c > 1) out.put('\t');
                out.put(texts[s.cell(c, r).text]);
            }
            out.put('\n');
        }
    }
}

QByteArray sheetsToTsv(const std::vector<const Sheet*>& sheets) {
    ByteSink out;
    writeSheetsTsv(sheets, out);
    return out.take();
}

void writeSheetsJson(const QString& window, const std::vector<const Sheet*>& sheets,
                     ByteSink& out) {
    static const Sheet::Cell plain{};
    static const char* const sideNames[4] = {"left", "right", "top", "bottom"};
    QByteArray head = "{\"window\":";
    appendJsonText(head, window);
    head += ",\"grids\":[";
    out.put(head);
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        const Sheet& s = *sheets[k];
        if (k) out.put(',');
        out.put("{\"rows\":");
        out.putNumber(s.rowCount());
        out.put(",\"columns\":");
        out.putNumber(s.columnCount());
        out.put(",\"frozenRows\":");
        out.putNumber(s.frozenRows());
        out.put(",\"rowHeights\":[");
        NumberForm number;
        for (int r = 1; r <= s.rowCount(); ++r) {
            if (r > 1) out.put(',');
            out.put(number(s.rowHeight(r)));
        }
        out.put("],\"columnWidths\":[");
        for (int c = 1; c <= s.columnCount(); ++c) {
            if (c > 1) out.put(',');
            out.put(number(s.columnWidth(c)));
        }
        out.put("],\"cells\":[");

        // What a cell's colours and lines add, made once per palette entry and line set.
        const TextForms texts(s, [](QByteArray& o, QStringView t) { appendJsonText(o, t); });
        // Only the palette entries in use are looked at: the palette is no longer than that.
        std::array<QByteArray, 256> fg, bg, border;
        std::array<bool, 256> fgDefault{}, bgDefault{}, made{};
        auto useColour = [&](std::uint8_t index) {
            if (made[index]) return;
            made[index] = true;
            const QByteArray name = rgbName(s.colourOf(index)).toLatin1();
            fgDefault[index] = s.colourOf(index) == s.colourOf(plain.fg);
            bgDefault[index] = s.colourOf(index) == s.colourOf(plain.bg);
            fg[index] = ",\"fg\":\"" + name + '"';
            bg[index] = ",\"bg\":\"" + name + '"';
        };
        auto borderOf = [&](std::uint8_t lines) -> const QByteArray& {
            QByteArray& b = border[lines];
            if (b.isEmpty()) {
                Sheet::Cell probe;
                probe.lines = lines;
                const Sheet::LineSet& set = s.linesOf(probe);
                b = ",\"border\":{";
                bool firstSide = true;
                for (int i = 0; i < 4; ++i) {
                    if (!set[i]) continue;
                    if (!firstSide) b += ',';
                    firstSide = false;
                    b += QByteArray("\"") + sideNames[i] + "\":\"" +
                         rgbName(s.colourOf(std::uint8_t(set[i] - 1))).toLatin1() + '"';
                }
                b += '}';
            }
            return b;
        };

        bool first = true;
        for (int r = 1; r <= s.rowCount(); ++r) {
            for (int c = 1; c <= s.columnCount(); ++c) {
                const Sheet::Cell& cell = s.cell(c, r);
                useColour(cell.fg);
                useColour(cell.bg);
                if (cell.text == 0 && fgDefault[cell.fg] && bgDefault[cell.bg] &&
                    cell.flags == plain.flags && cell.lines == 0)
                    continue;
                out.put(first ? "{\"r\":" : ",{\"r\":");
                first = false;
                out.putNumber(r);
                out.put(",\"c\":");
                out.putNumber(c);
                out.put(",\"text\":");
                out.put(texts[cell.text]);
                if (!fgDefault[cell.fg]) out.put(fg[cell.fg]);
                if (!bgDefault[cell.bg]) out.put(bg[cell.bg]);
                out.put((cell.flags & 1) ? ",\"align\":\"left\"" : ",\"align\":\"center\"");
                if (cell.flags & 2) out.put(",\"editable\":true");
                if (cell.lines != 0) out.put(borderOf(cell.lines));
                out.put('}');
            }
        }
        out.put("]}");
    }
    out.put("]}\n");
}

QByteArray sheetsToJson(const QString& window, const std::vector<const Sheet*>& sheets) {
    ByteSink out;
    writeSheetsJson(window, sheets, out);
    return out.take();
}

}  // namespace pirumoa
