#pragma once

#include <QMainWindow>
#include <QPointer>

#include "core/analysis/windowtable.h"
#include "core/prediction/methods.h"
#include "core/store/drawstore.h"
#include "gui/shell/childwindow.h"
#include "paint/look.h"

class QMdiArea;
class QMdiSubWindow;
class QAction;

namespace pirumoa {

// The main window: the menu, the working windows inside it, start-up and exit.
class MainFrm : public QMainWindow, public ChildHost {
    Q_OBJECT
    Q_PROPERTY(bool propEnd READ propEnd WRITE setPropEnd)
public:
    explicit MainFrm(QWidget* parent = nullptr);
    ~MainFrm() override;

    // Maps the Windows font names the windows were laid out with to the installed fonts.
    static void installFonts() { pirumoa::installFonts(); }

    // Start-up: options, then the draw history of the database in databaseFolder (or the
    // one already being read in preloaded). A database that cannot be read is reported and
    // start-up fails (the program then ends).
    bool start(const QString& databaseFolder, std::future<DrawHistory>* preloaded = nullptr);

    // Why start-up failed, as it was shown to the user.
    const QString& startError() const { return m_startError; }

    // The data-entry command: refused while another window is loaded.
    void openDataEntry();

    // What the working windows use.
    const DrawHistory& history() const override { return m_history; }
    const DatabaseFile& databaseFile() const override { return m_database; }
    Prediction& prediction() override { return m_prediction; }
    QMenuBar* hostMenuBar() override { return menuBar(); }
    QMdiArea* mdiArea() const override { return m_mdi; }

    // True while no analysis, prediction or data-entry window is loaded.
    bool propEnd() const { return m_propEnd; }
    void setPropEnd(bool value) override { m_propEnd = value; }

    // Shows the window's single instance, loading it the first time. Returns it, or null
    // when the window is not available.
    ChildWindow* openWindow(const QString& objectName);
    ChildWindow* findWindow(const QString& objectName) const;

    // The program is asked to end from outside (a signal, the desktop session): open
    // questions are answered as by Escape, then everything ends as "終了" ends it. Nobody may
    // be there to read a message, so a failure at the exit goes to standard error instead.
    void endFromOutside();

    // The arrangement commands: the windows share the visible area (a grid scrolls where its
    // window gets less than its design size); a window with a fixed border keeps its size,
    // and one laid out by hand its design size.
    void tileHorizontally();
    void tileVertically();
    void cascade();
    void arrangeIcons();

    // The CSV commands. Export only reads and is never refused; import is refused only while
    // the data entry is open, and after a successful one every open window shows the new
    // draws.
    void exportCsv();
    void importCsv();
    // Reads the draw history and its totals again and rebuilds every open window from them.
    void reloadHistory();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    // Room in the client area for a window of the given size: the main window grows towards
    // it as far as the screen allows. Returns the client area's size.
    QSize makeRoomFor(QSize want);
    QAction* addCommand(QWidget* menu, const QString& caption, const QString& name);
    void onActivated();
    QMdiSubWindow* findSubWindow(const QString& objectName) const;
    // Where the prediction options are read at start-up and written at exit.
    void readPredictionOptions();
    void writePredictionOptions();

    QMdiArea* m_mdi;
    DatabaseFile m_database;
    DrawHistory m_history;
    Prediction m_prediction;
    QString m_startError;
    bool m_propEnd = false;
    bool m_started = false;
    bool m_activatedOnce = false;
    bool m_awayInOwnWindow = false;  // the focus went to another window of this program
    bool m_endingFromOutside = false;
};

}  // namespace pirumoa
