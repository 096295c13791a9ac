#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "gui/about/aboutwindow.h"
#include "gui/about/helpviewer.h"

class QMdiArea;
class QWidget;

namespace pirumoa {

// The main window's help menu: the version window, the help at the program's topic, and F1,
// which opens the topic of the window in use from any window of the program.
class HelpCommands : public QObject {
    Q_OBJECT
public:
    // The help index's keyword of the program's own topic.
    static const QString kProgramKeyword;

    // mainWindow owns the commands; its working windows live in mdi.
    HelpCommands(QWidget* mainWindow, QMdiArea* mdi);
    ~HelpCommands() override;

    // "バージョン情報(&A)": shows the version window, or brings it to the front.
    void showAbout();
    // "ヘルプ(&H)": the help at the program's topic.
    void showHelp();
    // F1: the help at the topic of the window that has the focus.
    void showHelpHere();
    // The keyword of that topic: a working window's caption, the version window's, or the
    // main window's when none of them is in use.
    QString keywordHere() const;

    HelpViewer& viewer() { return m_viewer; }
    AboutWindow* aboutWindow() const { return m_about; }

private:
    void showKeyword(const QString& keyword);

    QWidget* m_main;
    QMdiArea* m_mdi;
    HelpViewer m_viewer;
    QPointer<AboutWindow> m_about;
};

}  // namespace pirumoa
