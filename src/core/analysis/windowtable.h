#pragma once

#include <QString>
#include <vector>

#include "core/sheet/colours.h"
#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// Builds an analysis window's grid from the history, in the window's own steps.
using FillFunction = void (*)(const DrawHistory& history, Sheet& sheet);

enum class WindowKind { Analysis, Prediction, DataEntry, Backtest, Tickets };

// One entry of a window's key: a marker (a round dot, or a plain colour swatch) followed by
// a label.
struct LegendEntry {
    enum class Marker { Dot, Swatch } marker;
    Rgb colour;
    QString label;
};

// Everything the program knows of a window: the main window builds its menu entry from it,
// the frame places and sizes it, the command-line tool prints its sheet. Rows are written
// with designated initializers, so no two numbers can change places unseen.
struct WindowInfo {
    QString objectName = {};  // also the name the command-line tool takes
    QString caption = {};
    QString description = {};  // Label1
    int widthTwips = 0;
    int heightTwips = 0;
    bool fixedBorder = false;  // fixed dialog border, no minimise or maximise button
    WindowKind kind = WindowKind::Analysis;
    // The menu entry that opens it: the submenu that holds it (empty for the menu bar), its
    // object name and its text with the access key. Entries keep the table's order.
    QString menu = {};
    QString menuAction = {};
    QString menuCaption = {};
    bool separatorBefore = false;  // a line above the menu entry
    std::vector<LegendEntry> legend = {};
    FillFunction fill = nullptr;  // analyses only; null while the analysis is not built yet
};

// Every window of the program that opens from the menu, in menu order.
const std::vector<WindowInfo>& windowTable();
const WindowInfo* findWindow(const QString& objectName);

// Whether the window can be opened yet: an analysis once its fill function exists.
bool isBuilt(const WindowInfo& window);
// Whether the window shows sheets that the command-line tool can print.
bool hasSheets(const WindowInfo& window);

constexpr int kTwipsPerPixel = 15;

}  // namespace pirumoa
