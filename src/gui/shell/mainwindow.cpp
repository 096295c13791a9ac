#include "gui/shell/mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdio>

#include "gui/maintenance/csvcommands.h"
#include "gui/maintenance/dataentrywindow.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/analysiswindow.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

namespace {

// The menu tree in order: depth, caption, object name, what it does. A window command
// names the window's object name; submenus have none.
enum class Command {
    Submenu,
    End,
    Window,
    DataEntry,
    CsvImport,
    CsvExport,
    TileH,
    TileV,
    Cascade,
    Icons,
    Help,
    About
};
struct MenuEntry {
    int depth;
    const char* caption;
    const char* name;
    Command command;
    const char* window = nullptr;
};

const MenuEntry kMenu[] = {
    {0, "終了(&X)", "mnuEnd", Command::End},
    {0, "一発ピルモア予想(&D)", "mnuYoso", Command::Window, "一発ピルモア"},
    {0, "データ分析(&S)", "mnuMain", Command::Submenu},
    {1, "頻度分析", "mnuHindo", Command::Submenu},
    {2, "出現頻度分析", "mnuSyutugenHindo", Command::Window, "出現頻度分析"},
    {2, "回数別出現分析", "mnuSyutugenKaisu", Command::Window, "回数別出現分析"},
    {1, "間隔分析", "mnuKankaku", Command::Submenu},
    {2, "出現間隔分析", "mnuSyutugenKankaku", Command::Window, "出現間隔分析"},
    {2, "数字間隔分析", "mnuNumberKankaku", Command::Window, "数字間隔分析"},
    {1, "出現回数分析", "mnuZenkaiSyutugen", Command::Window, "出現回数分析"},
    {1, "バラツキ分析", "mnuBaratsuki", Command::Window, "バラツキ分析"},
    {1, "引っ張り分析", "mnuHippari", Command::Window, "引っ張り分析"},
    {1, "連番・飛び石分析", "mnuRenbanTobiishi", Command::Window, "連番飛び石分析"},
    {1, "数字合計分析", "mnuHonsuji", Command::Window, "数字合計分析"},
    {1, "組合せパターン分析", "mnuPattern", Command::Submenu},
    {2, "低数字・高数字の組合せパターン分析", "mnuLowHightPattern", Command::Window,
     "低数字高数字の組合せパターン分析"},
    {2, "偶数・奇数の組合せパターン分析", "mnuKisuGusuPattern", Command::Window,
     "偶数奇数の組合せパターン分析"},
    {1, "4分割傾向分析", "mnu4BunkatsuKeiko", Command::Window, "分割5傾向分析"},
    {1, "分割データ分析", "mnuBunkatsuData", Command::Submenu},
    {2, "3分割データ分析", "mnu3BunkatsuData", Command::Window, "分割3データ分析"},
    {2, "5分割データ分析", "mnu5BunkatsuData", Command::Window, "分割5データ分析"},
    {2, "10分割データ分析", "mnu10BunkatsuData", Command::Window, "分割10データ分析"},
    {1, "下一桁出現傾向分析", "mnuLastChar", Command::Window, "下一桁出現傾向分析"},
    {1, "下一桁連続出現回数分析", "mnuLastCharRenzoku", Command::Window, "下一桁連続出現回数分析"},
    {0, "データ管理(&M)", "mnuHosyu", Command::Submenu},
    {1, "当選データ入力(&I)", "mnuMasterInput", Command::DataEntry, "当選データ入力"},
    {1, "CSVファイルから取り込み(&C)...", "mnuCsvImport", Command::CsvImport},
    {1, "CSVファイルへ書き出し(&E)...", "mnuCsvExport", Command::CsvExport},
    {0, "ウィンドウ(&W)", "mnuWindow", Command::Submenu},
    {1, "上下に並べて表示(&H)", "mnuWindowHorizontal", Command::TileH},
    {1, "左右に並べて表示(&V)", "mnuWindowVertical", Command::TileV},
    {1, "重ねて表示(&C)", "mnuWindowCascade", Command::Cascade},
    {1, "アイコンの整列(&A)", "mnuWindowArrangeIcon", Command::Icons},
    {0, "ヘルプ(&H)", "mnuHelp", Command::Submenu},
    {1, "ヘルプ(&H)", "mnuHelpFile", Command::Help},
    {1, "バージョン情報(&A)", "mnuAbout", Command::About},
};

// The client area the windows were laid out for, in twips.
constexpr int kClientWidthTwips = 11880;
constexpr int kClientHeightTwips = 10710;

const QString kDataEntryRefused = QStringLiteral("表示中のウィンドウを閉じないと実行できません。");

// Whether a window is a dialog that one of the working windows opened.
bool askedByChildWindow(const QWindow* window) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() != window) continue;
        for (QWidget* w = top->parentWidget(); w; w = w->parentWidget())
            if (qobject_cast<ChildWindow*>(w)) return true;
    }
    return false;
}

}  // namespace

void MainFrm::installFonts() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("HGS明朝E"), QStringLiteral("IPAPMincho"));
    QApplication::setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
}

MainFrm::MainFrm(QWidget* parent) : QMainWindow(parent), m_mdi(new QMdiArea(this)) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(Prompt::kAppTitle);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();

    // The designed client area, or as much of the screen as there is.
    QSize client(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);
    const QSize menu = menuBar()->sizeHint();
    QSize want(client.width(), client.height() + menu.height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        want = want.boundedTo(room);
    }
    resize(want);

    // Activated again when the focus comes back from another window of this program (a
    // message box, the About window). Only windows of this program are remembered: no focus
    // at all means another application, or a window manager slow to hand the focus back,
    // so coming back from another application finds this window as the last one. Menus
    // and tooltips are part of this window, and so are the questions a working window asks
    // (the data entry's): answering one must not put the prediction window over it.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (!focus || focus->type() == Qt::Popup || focus->type() == Qt::ToolTip) return;
        if (focus != windowHandle()) {
            m_awayInOwnWindow = !askedByChildWindow(focus);
            return;
        }
        // Queued: opening a window processes events, which must not happen in the middle
        // of the activation itself.
        if (m_awayInOwnWindow) QTimer::singleShot(0, this, &MainFrm::onActivated);
        m_awayInOwnWindow = false;
    });
}

void MainFrm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first appearance counts as an activation whether or not a window manager hands
    // this window the focus; once the window is on screen.
    if (!m_activatedOnce) {
        m_activatedOnce = true;
        QTimer::singleShot(0, this, &MainFrm::onActivated);
    }
}

MainFrm::~MainFrm() = default;

void MainFrm::buildMenus() {
    QMenu* parents[3] = {nullptr, nullptr, nullptr};
    for (const MenuEntry& e : kMenu) {
        const QString caption = QString::fromUtf8(e.caption);
        const QString name = QString::fromUtf8(e.name);
        QAction* action = nullptr;
        if (e.command == Command::Submenu) {
            QMenu* menu =
                e.depth == 0 ? menuBar()->addMenu(caption) : parents[e.depth - 1]->addMenu(caption);
            menu->setObjectName(name);
            parents[e.depth] = menu;
            action = menu->menuAction();
        } else {
            action = e.depth == 0 ? menuBar()->addAction(caption)
                                  : parents[e.depth - 1]->addAction(caption);
        }
        action->setObjectName(name);
        const QString window = e.window ? QString::fromUtf8(e.window) : QString();
        switch (e.command) {
            case Command::Submenu:
                break;
            case Command::End:
                connect(action, &QAction::triggered, this, &QWidget::close);
                break;
            case Command::Window:
            case Command::DataEntry: {
                const WindowInfo* info = pirumoa::findWindow(window);
                action->setEnabled(info && canCreateChildWindow(*info));
                if (e.command == Command::DataEntry)
                    connect(action, &QAction::triggered, this, &MainFrm::openDataEntry);
                else
                    connect(action, &QAction::triggered, this,
                            [this, window] { openWindow(window); });
                break;
            }
            case Command::CsvImport:
            case Command::CsvExport: {
                // Like the data entry, only while no window that has read the draws is open.
                const bool import = e.command == Command::CsvImport;
                connect(action, &QAction::triggered, this, [this, import] {
                    if (!m_propEnd) return Prompt::refuse(this, kDataEntryRefused);
                    if (import)
                        CsvCommands::importFromFile(this, m_connect);
                    else
                        CsvCommands::exportToFile(this, m_connect);
                });
                break;
            }
            case Command::TileH:
                connect(action, &QAction::triggered, this, &MainFrm::tileHorizontally);
                break;
            case Command::TileV:
                connect(action, &QAction::triggered, this, &MainFrm::tileVertically);
                break;
            case Command::Cascade:
                connect(action, &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
                break;
            case Command::Icons:
                connect(action, &QAction::triggered, this, &MainFrm::arrangeIcons);
                break;
            case Command::Help:
            case Command::About:
                action->setEnabled(false);
                break;  // not built yet
        }
    }
}

bool MainFrm::start(const QString& programFolder, std::future<DrawHistory>* preloaded) {
    readPredictionOptions();
    WaitCursor wait;
    m_propEnd = true;
    try {
        m_connect = MakeConnectString(programFolder);
        m_history = preloaded && preloaded->valid() ? preloaded->get() : LoadDrawHistory(m_connect);
    } catch (const StoreError& e) {
        m_startError = e.message();
        Prompt::refuse(this, m_startError);
        return false;
    }
    m_started = true;
    return true;
}

QMdiSubWindow* MainFrm::findSubWindow(const QString& objectName) const {
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == objectName) return sub;
    return nullptr;
}

ChildWindow* MainFrm::findWindow(const QString& objectName) const {
    QMdiSubWindow* sub = findSubWindow(objectName);
    return sub ? qobject_cast<ChildWindow*>(sub->widget()) : nullptr;
}

ChildWindow* MainFrm::openWindow(const QString& objectName) {
    const WindowInfo* info = pirumoa::findWindow(objectName);
    if (!info || !canCreateChildWindow(*info)) return nullptr;
    WaitCursor wait;
    if (QMdiSubWindow* sub = findSubWindow(objectName)) {
        if (sub->isMinimized()) sub->showNormal();
        m_mdi->setActiveSubWindow(sub);
        sub->raise();
        return qobject_cast<ChildWindow*>(sub->widget());
    }

    ChildWindow* window = createChildWindow(*info, *this);
    Qt::WindowFlags flags = Qt::SubWindow;
    if (info->fixedBorder)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    QMdiSubWindow* sub = m_mdi->addSubWindow(window, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setObjectName(objectName + QStringLiteral("Frame"));
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    sub->setWindowIcon(QIcon(blank));

    // The frame's load: propEnd off, top-left corner with the design size, then the content.
    m_propEnd = false;
    const QSize size(info->widthTwips / kTwipsPerPixel, info->heightTwips / kTwipsPerPixel);
    sub->setGeometry(QRect(QPoint(0, 0), size));
    if (info->fixedBorder) sub->setFixedSize(size);
    window->load();
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    return window;
}

void MainFrm::openDataEntry() {
    if (!m_propEnd) {
        Prompt::refuse(this, kDataEntryRefused);
        return;
    }
    openWindow(QStringLiteral("当選データ入力"));
}

void MainFrm::onActivated() {
    if (m_started) openWindow(QStringLiteral("一発ピルモア"));
}

namespace {
std::vector<QMdiSubWindow*> shownWindows(QMdiArea* mdi) {
    std::vector<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : mdi->subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible() && !sub->isMinimized()) out.push_back(sub);
    return out;
}
}  // namespace

void MainFrm::tileHorizontally() {
    const auto subs = shownWindows(m_mdi);
    if (subs.empty()) return;
    const QRect area = m_mdi->viewport()->rect();
    const int h = area.height() / int(subs.size());
    for (std::size_t i = 0; i < subs.size(); ++i) {
        if (subs[i]->isMaximized()) subs[i]->showNormal();
        subs[i]->setGeometry(0, int(i) * h, area.width(), h);
    }
}

void MainFrm::tileVertically() {
    const auto subs = shownWindows(m_mdi);
    if (subs.empty()) return;
    const QRect area = m_mdi->viewport()->rect();
    const int w = area.width() / int(subs.size());
    for (std::size_t i = 0; i < subs.size(); ++i) {
        if (subs[i]->isMaximized()) subs[i]->showNormal();
        subs[i]->setGeometry(int(i) * w, 0, w, area.height());
    }
}

void MainFrm::arrangeIcons() {
    const QRect area = m_mdi->viewport()->rect();
    int x = 0, y = area.bottom();
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize s = sub->size();
        if (x > 0 && x + s.width() > area.width()) {
            x = 0;
            y -= s.height();
        }
        sub->move(x, y - s.height() + 1);
        x += s.width();
    }
}

void MainFrm::readPredictionOptions() {
    // A missing or unreadable file leaves every option off; start-up goes on.
    m_prediction.ReadInitFile();
}

void MainFrm::writePredictionOptions() {
    // The old file stays as it was when the new one cannot be written; the exit goes on.
    const QString error = m_prediction.WriteInitFile();
    if (error.isEmpty()) return;
    if (m_endingFromOutside)
        std::fprintf(stderr, "pirumoa: %s\n", error.toUtf8().constData());
    else
        Prompt::refuse(this, error);
}

void MainFrm::endFromOutside() {
    if (m_endingFromOutside) return;
    m_endingFromOutside = true;
    // Each open question returns as if cancelled, so the code that asked it goes on safely.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        if (modal->isVisible()) break;
    }
    // Once the event loop is back from the questions.
    QTimer::singleShot(0, this, &QWidget::close);
}

void MainFrm::closeEvent(QCloseEvent* event) {
    m_started = false;  // a message box during the exit must not reopen the prediction window
    // Never refused: every child unloads first, each through its own unload.
    for (QMdiSubWindow* sub : m_mdi->subWindowList()) {
        sub->close();
        if (sub->isVisible()) {  // a child that would not close goes all the same
            if (sub->widget()) sub->widget()->hide();
            sub->hide();
            sub->deleteLater();
        }
    }
    writePredictionOptions();
    ReleaseDrawHistory(m_history);
    { WaitCursor wait; }
    event->accept();
}

// The windows built so far.
bool canCreateChildWindow(const WindowInfo& info) {
    return info.kind != WindowKind::Analysis || info.fill != nullptr;
}

ChildWindow* createChildWindow(const WindowInfo& info, MainFrm& main) {
    if (info.kind == WindowKind::Prediction) return new PredictionWindow(main, info);
    if (info.kind == WindowKind::DataEntry) return new DataEntryWindow(main, info);
    if (info.kind == WindowKind::Analysis && info.fill) return new AnalysisWindow(main, info);
    return nullptr;
}

}  // namespace pirumoa
