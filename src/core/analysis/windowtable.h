#pragma once

#include <QString>
#include <vector>

#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// Builds an analysis window's grid from the history, in the window's own steps.
using FillFunction = void (*)(const DrawHistory& history, Sheet& sheet);

enum class WindowKind { Analysis, Prediction, DataEntry, Backtest, Tickets, Outlook };

// What the command-line tool and the tests know of a window: its name, its caption and, for
// an analysis, how its grid is built. How the program shows it (size, border, menu entry,
// key) is the desktop program's own affair.
struct WindowInfo {
    QString objectName = {};  // also the name the command-line tool takes
    QString caption = {};
    WindowKind kind = WindowKind::Analysis;
    FillFunction fill = nullptr;  // every analysis has one; the other kinds build their own
};

// Every window of the program that opens from the menu.
const std::vector<WindowInfo>& windowTable();
const WindowInfo* findWindow(const QString& objectName);

// Whether the window shows sheets that the command-line tool can print.
bool hasSheets(const WindowInfo& window);

}  // namespace pirumoa
