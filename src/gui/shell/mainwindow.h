#pragma once

#include <QMainWindow>
#include <QPointer>

#include "core/prediction/options.h"
#include "core/store/drawstore.h"
#include "core/store/historydocument.h"
#include "gui/shell/childwindow.h"
#include "paint/look.h"

class QMdiArea;
class QMdiSubWindow;
class QAction;
class QTimer;

namespace pirumoa {

class UpdateCommands;

// The main window: the menu, the working windows inside it, start-up and exit.
class MainFrm : public QMainWindow, public ChildHost {
    Q_OBJECT
    Q_PROPERTY(bool propEnd READ propEnd)
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

    // The data-entry command: refused while another window is open.
    void openDataEntry();

    // What the working windows use.
    HistorySnapshot history() const override { return m_document->snapshot(); }
    HistoryDocument& document() const override { return *m_document; }
    const ReflectOptions& reflectOptions() const override { return m_options; }
    void setReflectOption(int index, bool on) override;
    QMenuBar* hostMenuBar() override { return menuBar(); }
    QStatusBar* hostStatusBar() override { return statusBar(); }
    QMdiArea* mdiArea() const override { return m_mdi; }

    // True while no working window is open: the data entry may open.
    bool propEnd() const;

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

    // The CSV commands and the restore: after a write every open window, the data entry
    // included, shows what is stored.
    void exportCsv();
    void importCsv();
    // データ管理 → バックアップから復元...
    void restoreFromBackup();
    // データ管理 → 最新の当せん番号を取得 and the check at start (called once the window is
    // shown, by the program; tests call it themselves).
    UpdateCommands& updateCommands() const { return *m_update; }

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
    // The access keys of the active working window are its own: an entry of the menu bar
    // with the same key gives it up while that window is active.
    void yieldAccessKeys(QMdiSubWindow* active);
    // The draws changed: every open window is built again from them, at once, or once the
    // typing in the data entry pauses.
    void historyChanged();
    void rebuildWindows();
    // The prediction options: read at start-up, written after every change and at the exit.
    void readPredictionOptions();
    void writePredictionOptions();

    QMdiArea* m_mdi;
    HistoryDocument* m_document;
    ReflectOptions m_options{};
    QString m_startError;
    QTimer* m_rebuild;
    UpdateCommands* m_update;
    bool m_optionsUnsaved = false;  // the last write of the options file failed
    bool m_started = false;
    bool m_activatedOnce = false;
    bool m_awayInOwnWindow = false;  // the focus went to another window of this program
    bool m_endingFromOutside = false;
};

}  // namespace pirumoa
