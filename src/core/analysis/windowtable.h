#pragma once

#include <QString>
#include <vector>

#include "core/sheet/colours.h"
#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// Builds an analysis window's grid from the history, in the window's own steps.
using FillFunction = void (*)(const DrawHistory& history, Sheet& sheet);

enum class WindowKind { Analysis, Prediction, DataEntry };

// One entry of a window's key: a marker (a round dot, or a plain colour swatch) followed by
// a label.
struct LegendEntry {
    enum Marker { Dot, Swatch } marker;
    Rgb colour;
    QString label;
};

struct WindowInfo {
    QString objectName;  // also the name the command-line tool takes
    QString caption;
    QString description;  // Label1
    QString menuName;     // the menu action that opens it
    int widthTwips;
    int heightTwips;
    bool fixedBorder;  // fixed dialog border, no minimise or maximise button
    WindowKind kind;
    std::vector<LegendEntry> legend;
    FillFunction fill;  // analyses only; null while the window is not built yet
};

// Every window of the program that opens from the menu, analyses first in menu order.
const std::vector<WindowInfo>& windowTable();
const WindowInfo* findWindow(const QString& objectName);

constexpr int kTwipsPerPixel = 15;

}  // namespace pirumoa
