#pragma once

#include <QSize>
#include <QString>
#include <vector>

#include "core/analysis/windowtable.h"
#include "core/sheet/colours.h"

namespace pirumoa {

// One entry of a window's key: a marker (a round dot, or a plain colour swatch) followed by
// a label.
struct LegendEntry {
    enum class Marker { Dot, Swatch } marker;
    Rgb colour;
    QString label;
};

constexpr int kTwipsPerPixel = 15;

// How the program shows a window of the window table: the main window builds its menu entry
// from it, the frame places and sizes it and shows its description and key. Rows are written
// with designated initializers, so no two numbers can change places unseen.
struct WindowDesign {
    QString objectName = {};
    QString description = {};  // Label1
    int widthTwips = 0;
    int heightTwips = 0;
    bool fixedBorder = false;  // fixed dialog border, no minimise or maximise button
    // The menu entry that opens it: the submenu that holds it (empty for the menu bar), its
    // object name and its text with the access key. Entries keep the table's order.
    QString menu = {};
    QString menuAction = {};
    QString menuCaption = {};
    bool separatorBefore = false;  // a line above the menu entry
    std::vector<LegendEntry> legend = {};
    const WindowInfo* info = nullptr;  // the window table's row of the same name

    QSize size() const { return {widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel}; }
};

// Every window of the window table, in menu order.
const std::vector<WindowDesign>& windowDesigns();
const WindowDesign* findWindowDesign(const QString& objectName);

}  // namespace pirumoa
