#pragma once

#include <QWidget>

#include "core/analysis/windowtable.h"

class QLabel;
class QLayout;
class QPushButton;

namespace pirumoa {

class GridView;
class MainFrm;

// A working window inside the main window: exists at most once, sets the main window's
// propEnd to False while it is loaded and back to True when it unloads.
class ChildWindow : public QWidget {
    Q_OBJECT
public:
    ChildWindow(MainFrm& main, const WindowInfo& info);
    const WindowInfo& info() const { return m_info; }

    // Builds the window's content; run once, by the main window, under the hourglass.
    virtual void load() = 0;
    // Closes the window as its close button does: the subwindow around it goes too.
    void unload();

protected:
    MainFrm& mainFrm() const { return m_main; }
    // The frame's layout: the description on top, the grid taking the room, then the row of
    // the key and the close button.
    void layOut(QWidget* description, QWidget* grid, QLayout* bottom);
    void closeEvent(QCloseEvent* event) override;

private:
    MainFrm& m_main;
    const WindowInfo& m_info;
};

// The frame every analysis shares: description, grid, key and close button.
class AnalysisWindow : public ChildWindow {
    Q_OBJECT
public:
    AnalysisWindow(MainFrm& main, const WindowInfo& info);
    void load() override;
    GridView* grid() const { return m_grid; }

private:
    GridView* m_grid;
};

}  // namespace pirumoa
