#pragma once

#include <QMainWindow>
#include <QPointer>

#include "core/analysis/windowtable.h"
#include "core/prediction/methods.h"
#include "core/store/drawstore.h"

class QMdiArea;
class QMdiSubWindow;
class QAction;

namespace pirumoa {

class ChildWindow;

// The main window: the menu, the working windows inside it, start-up and exit.
class MainFrm : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(bool propEnd READ propEnd WRITE setPropEnd)
public:
    explicit MainFrm(QWidget* parent = nullptr);
    ~MainFrm() override;

    // Maps the Windows font names the windows were laid out with to the installed fonts.
    static void installFonts();

    // Start-up: options, then the draw history of the database in programFolder (or the
    // one already being read in preloaded). A database that cannot be read is reported and
    // start-up fails (the program then ends).
    bool start(const QString& programFolder, std::future<DrawHistory>* preloaded = nullptr);

    // Why start-up failed, as it was shown to the user.
    const QString& startError() const { return m_startError; }

    // The data-entry command: refused while another window is loaded.
    void openDataEntry();

    const DrawHistory& history() const { return m_history; }
    const ConnectString& connectString() const { return m_connect; }
    // The prediction and its options live for the whole run, whether or not its window is open.
    Prediction& prediction() { return m_prediction; }

    // True while no analysis, prediction or data-entry window is loaded.
    bool propEnd() const { return m_propEnd; }
    void setPropEnd(bool value) { m_propEnd = value; }

    // Shows the window's single instance, loading it the first time. Returns it, or null
    // when the window is not available.
    ChildWindow* openWindow(const QString& objectName);
    ChildWindow* findWindow(const QString& objectName) const;
    QMdiArea* mdiArea() const { return m_mdi; }

    // The program is asked to end from outside (a signal, the desktop session): open
    // questions are answered as by Escape, then everything ends as "終了" ends it. Nobody may
    // be there to read a message, so a failure at the exit goes to standard error instead.
    void endFromOutside();

    // The arrangement commands.
    void tileHorizontally();
    void tileVertically();
    void arrangeIcons();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void onActivated();
    QMdiSubWindow* findSubWindow(const QString& objectName) const;
    // Where the prediction options are read at start-up and written at exit.
    void readPredictionOptions();
    void writePredictionOptions();

    QMdiArea* m_mdi;
    ConnectString m_connect;
    DrawHistory m_history;
    Prediction m_prediction;
    QString m_startError;
    bool m_propEnd = false;
    bool m_started = false;
    bool m_activatedOnce = false;
    bool m_awayInOwnWindow = false;  // the focus went to another window of this program
    bool m_endingFromOutside = false;
};

// A window of the table, made for the main window; null while it is not built.
ChildWindow* createChildWindow(const WindowInfo& info, MainFrm& main);
bool canCreateChildWindow(const WindowInfo& info);

}  // namespace pirumoa
