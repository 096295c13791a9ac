#pragma once

// Whole-grid goldens: a sheet as the command-line tool prints it in JSON, against a
// hand-checked file in golden/ that lists one cell a line. Differences are reported cell by
// cell.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <utility>

#include "core/sheet/sheetformat.h"
#include "testsupport.h"

namespace pirumoa::test {

inline void expectGoldenSheet(const QString& window, const Sheet& sheet, const char* file) {
    const QByteArray golden =
        readFile(QStringLiteral(PIRUMOA_TEST_DIR "/core/analysis/golden/") + file);
    ASSERT_FALSE(golden.isEmpty()) << file;
    QJsonParseError error{};
    const QJsonObject want = QJsonDocument::fromJson(golden, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << file;
    const QJsonObject got = QJsonDocument::fromJson(sheetsToJson(window, {&sheet})).object();
    ASSERT_EQ(got.value("window"), want.value("window"));
    const QJsonObject w = want.value("grids")[0].toObject(), g = got.value("grids")[0].toObject();
    auto text = [](const QJsonValue& v) {
        return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
    };
    for (const char* key : {"rows", "columns", "frozenRows", "rowHeights", "columnWidths"})
        EXPECT_EQ(text(g.value(key)), text(w.value(key))) << key;

    using Cells = std::map<std::pair<int, int>, QJsonObject>;
    auto cells = [](const QJsonObject& grid) {
        Cells out;
        for (const QJsonValue& v : grid.value("cells").toArray()) {
            const QJsonObject c = v.toObject();
            out[{c.value("r").toInt(), c.value("c").toInt()}] = c;
        }
        return out;
    };
    const Cells wantCells = cells(w), gotCells = cells(g);
    auto show = [](const Cells& all, const std::pair<int, int>& at) {
        const auto it = all.find(at);
        return it == all.end()
                   ? std::string("(default)")
                   : QJsonDocument(it->second).toJson(QJsonDocument::Compact).toStdString();
    };
    Cells every = wantCells;
    every.insert(gotCells.begin(), gotCells.end());
    for (const auto& cell : every)
        EXPECT_EQ(show(gotCells, cell.first), show(wantCells, cell.first))
            << "row " << cell.first.first << " column " << cell.first.second;
}

}  // namespace pirumoa::test
