#pragma once

#include <QWidget>

#include "core/prediction/options.h"
#include "core/store/historydocument.h"
#include "gui/shell/windowdesign.h"

class QLayout;
class QMdiArea;
class QMenuBar;
class QStatusBar;

namespace pirumoa {

class GridView;

// What a working window needs of the window that holds it; the main window is one.
class ChildHost {
public:
    // The draw history as it stands now.
    virtual HistorySnapshot history() const = 0;
    // The owner of the database: every read beyond the history and every write go through it.
    virtual HistoryDocument& document() const = 0;
    // The prediction's options live for the whole run, whether or not its window is open;
    // each change is saved at once.
    virtual const ReflectOptions& reflectOptions() const = 0;
    virtual void setReflectOption(int index, bool on) = 0;
    // Where a window shows a menu of its own while it is the active one.
    virtual QMenuBar* hostMenuBar() = 0;
    // Where a window says something of its own while it is the active one; none where the
    // host has no status bar.
    virtual QStatusBar* hostStatusBar() = 0;
    virtual QMdiArea* mdiArea() const = 0;

protected:
    virtual ~ChildHost() = default;
};

// A working window inside the main window: exists at most once; while it is open the data
// entry is refused.
class ChildWindow : public QWidget {
    Q_OBJECT
public:
    ChildWindow(ChildHost& host, const WindowDesign& design);
    const WindowDesign& design() const { return m_design; }
    const WindowInfo& info() const { return *m_design.info; }

    // Builds the window's content; run once, by the main window, under the hourglass.
    virtual void load() = 0;
    // Builds it again from the host's new history after the draws changed.
    virtual void reload() { load(); }
    // Closes the window as its close button does: the subwindow around it goes too.
    void unload();

protected:
    ChildHost& host() const { return m_host; }
    // The frame's layout: the description on top, the grid taking the room, then the row of
    // the key and the close button.
    void layOut(QWidget* description, QWidget* grid, QLayout* bottom);

private:
    ChildHost& m_host;
    const WindowDesign& m_design;
};

// The frame every analysis shares: description, grid, key and close button.
class AnalysisWindow : public ChildWindow {
    Q_OBJECT
public:
    AnalysisWindow(ChildHost& host, const WindowDesign& design);
    void load() override;
    // Keeps the scroll position where the new grid still has that row.
    void reload() override;
    GridView* grid() const { return m_grid; }

private:
    GridView* m_grid;
};

// The window of a table row, made for host. Only the program's assembly knows every kind of
// window.
ChildWindow* createChildWindow(const WindowDesign& design, ChildHost& host);

}  // namespace pirumoa
