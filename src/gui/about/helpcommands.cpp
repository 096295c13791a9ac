#include "gui/about/helpcommands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "gui/about/aboutwindow.h"
#include "gui/shell/childwindow.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

const QString HelpCommands::kProgramKeyword = QStringLiteral("ピルモア４Liteについて");

namespace {
const QString kNoViewer = QStringLiteral(
    "ヘルプを表示できません。\n"
    "ヘルプを表示するプログラム（Qt Assistant）が見つからないか、起動できませんでした。\n"
    "Debian では assistant-qt6 パッケージをインストールしてください。");
}  // namespace

HelpCommands::HelpCommands(QWidget* mainWindow, QMdiArea* mdi)
    : QObject(mainWindow), m_main(mainWindow), m_mdi(mdi), m_viewer(this) {
    // F1 anywhere in the program, the version window included, while no question is open.
    auto* f1 = new QAction(mainWindow);
    f1->setObjectName(QStringLiteral("actHelpHere"));
    f1->setShortcut(Qt::Key_F1);
    f1->setShortcutContext(Qt::ApplicationShortcut);
    connect(f1, &QAction::triggered, this, &HelpCommands::showHelpHere);
    mainWindow->addAction(f1);
}

HelpCommands::~HelpCommands() { delete m_about; }

void HelpCommands::showAbout() {
    WaitCursor wait;
    if (!m_about) m_about = new AboutWindow;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void HelpCommands::showHelp() { showKeyword(kProgramKeyword); }

void HelpCommands::showHelpHere() { showKeyword(keywordHere()); }

QString HelpCommands::keywordHere() const {
    QWidget* w = QApplication::focusWidget();
    if (!w) w = QApplication::activeWindow();
    for (; w; w = w->parentWidget()) {
        if (auto* child = qobject_cast<ChildWindow*>(w)) return child->info().caption;
        if (w == m_about) return m_about->windowTitle();
        if (w == m_main) break;
    }
    // In the main window: the working window in front, if any.
    if (QMdiSubWindow* sub = m_mdi->activeSubWindow())
        if (auto* child = qobject_cast<ChildWindow*>(sub->widget())) return child->info().caption;
    return m_main->windowTitle();
}

void HelpCommands::showKeyword(const QString& keyword) {
    // The viewer would only complain on standard error and end: the user would see nothing.
    if (!QFileInfo(m_viewer.collection()).isFile()) {
        Prompt::refuse(m_main, QStringLiteral("ヘルプを表示できません。\n"
                                              "ヘルプファイルが見つかりません。次の場所に"
                                              "あるはずです：\n%1\n"
                                              "プログラムをインストールし直すか、プログラムの"
                                              "フォルダーごとコピーしてください。")
                                   .arg(QDir::toNativeSeparators(m_viewer.collection())));
        return;
    }
    if (!m_viewer.show(keyword)) Prompt::refuse(m_main, kNoViewer);
}

}  // namespace pirumoa
