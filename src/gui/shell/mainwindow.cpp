#include "gui/shell/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "core/store/backups.h"
#include "gui/about/helpcommands.h"
#include "gui/maintenance/backupcommands.h"
#include "gui/maintenance/csvcommands.h"
#include "gui/maintenance/updatecommands.h"
#include "gui/shell/arrange.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

namespace {

// The main menu's submenus and its commands that open no window. The entries that open
// windows come from the window table, in its order, into the submenu each names; an item
// here follows the entry named in `after`, or else the item before it in the same submenu.
enum class Command {
    End,
    Update,
    UpdateSettings,
    CsvImport,
    CsvExport,
    RestoreBackup,
    TileH,
    TileV,
    Cascade,
    Icons,
    Help,
    About
};
struct MenuItem {
    const char16_t* parent;  // u"" for the menu bar
    const char16_t* caption;
    const char16_t* name;
    std::optional<Command> command;  // none for a submenu
    const char16_t* after = nullptr;
    int key = 0;  // a shortcut
};
constexpr std::optional<Command> kSubmenu = std::nullopt;

const MenuItem kMenu[] = {
    {u"", u"終了(&X)", u"mnuEnd", Command::End, u""},
    {u"", u"データ分析(&S)", u"mnuMain", kSubmenu, u"mnuYoso"},
    {u"mnuMain", u"頻度分析", u"mnuHindo", kSubmenu, u""},
    {u"mnuMain", u"間隔分析", u"mnuKankaku", kSubmenu},
    {u"mnuMain", u"組合せパターン分析", u"mnuPattern", kSubmenu, u"mnuHonsuji"},
    {u"mnuMain", u"分割データ分析", u"mnuBunkatsuData", kSubmenu, u"mnu4BunkatsuKeiko"},
    {u"", u"データ管理(&M)", u"mnuHosyu", kSubmenu, u"mnuMain"},
    {u"mnuHosyu", u"最新の当せん番号を取得(&U)...", u"mnuUpdate", Command::Update,
     u"mnuMasterInput", Qt::Key_F5},
    {u"mnuHosyu", u"当せん番号の取得元の設定(&S)...", u"mnuUpdateSettings",
     Command::UpdateSettings},
    {u"mnuHosyu", u"CSVファイルから取り込み(&C)...", u"mnuCsvImport", Command::CsvImport},
    {u"mnuHosyu", u"CSVファイルへ書き出し(&E)...", u"mnuCsvExport", Command::CsvExport},
    {u"mnuHosyu", u"バックアップから復元(&R)...", u"mnuRestoreBackup", Command::RestoreBackup},
    {u"", u"ウィンドウ(&W)", u"mnuWindow", kSubmenu, u"mnuHosyu"},
    {u"mnuWindow", u"上下に並べて表示(&H)", u"mnuWindowHorizontal", Command::TileH},
    {u"mnuWindow", u"左右に並べて表示(&V)", u"mnuWindowVertical", Command::TileV},
    {u"mnuWindow", u"重ねて表示(&C)", u"mnuWindowCascade", Command::Cascade},
    {u"mnuWindow", u"アイコンの整列(&A)", u"mnuWindowArrangeIcon", Command::Icons},
    {u"", u"ヘルプ(&H)", u"mnuHelp", kSubmenu, u"mnuWindow"},
    {u"mnuHelp", u"ヘルプ(&H)", u"mnuHelpFile", Command::Help},
    {u"mnuHelp", u"バージョン情報(&A)", u"mnuAbout", Command::About},
};

// One place in a submenu: a window of the table or an item of kMenu.
struct MenuSlot {
    QString name;
    const WindowDesign* window = nullptr;
    const MenuItem* item = nullptr;
};

// Every submenu's entries in order, by the submenu's name ("" for the menu bar).
std::map<QString, std::vector<MenuSlot>> menuLayout() {
    std::map<QString, std::vector<MenuSlot>> layout;
    for (const WindowDesign& w : windowDesigns())
        layout[w.menu].push_back({w.menuAction, &w, nullptr});
    std::map<QString, QString> previous;  // the last item placed in each submenu
    for (const MenuItem& item : kMenu) {
        const QString parent = QString::fromUtf16(item.parent);
        std::vector<MenuSlot>& entries = layout[parent];
        const QString after = item.after ? QString::fromUtf16(item.after) : previous[parent];
        auto at = entries.begin();
        if (!after.isEmpty()) {
            at = std::find_if(entries.begin(), entries.end(),
                              [&](const MenuSlot& s) { return s.name == after; });
            Q_ASSERT(at != entries.end());
            if (at != entries.end()) ++at;
        }
        const QString name = QString::fromUtf16(item.name);
        entries.insert(at, {name, nullptr, &item});
        previous[parent] = name;
    }
    return layout;
}

// The client area the windows were laid out for, in twips.
constexpr int kClientWidthTwips = 11880;
constexpr int kClientHeightTwips = 10710;

const QString kDataEntryRefused = QStringLiteral("表示中のウィンドウを閉じないと実行できません。");

const QString kGeometryKey = QStringLiteral("mainWindow/geometry");

// The other windows follow the data entry's changes when the typing pauses this long.
constexpr int kRebuildDelayMs = 700;

// The size a window was opened for: its design size, or wider where its columns need it.
constexpr char kOpeningSize[] = "openingSize";

// A menu bar entry's caption with its access key, kept while the entry shows it without.
constexpr char kFullCaption[] = "fullCaption";

// The access keys that a window's controls answer to (Alt and the underlined letter).
QList<QKeySequence> accessKeysOf(const QWidget* window) {
    QList<QKeySequence> keys;
    const auto add = [&keys](const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) keys << key;
    };
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            add(button->text());
        } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->buddy()) add(label->text());
        } else if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
            add(box->title());
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i));
        }
    }
    return keys;
}

// The caption without the marker of its access key; "&&" stays, an ampersand as it was.
QString withoutAccessKey(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
            out += caption[i] == u'&' ? QStringLiteral("&&") : QString(caption[i]);
            continue;
        }
        out += caption[i];
    }
    return out;
}

}  // namespace

MainFrm::MainFrm(QWidget* parent)
    : QMainWindow(parent),
      m_mdi(new QMdiArea(this)),
      m_document(new HistoryDocument(this)),
      m_rebuild(new QTimer(this)),
      m_update(new UpdateCommands(this, *m_document, statusBar())) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(Prompt::kAppTitle);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildMenus();
    // There from the start, so that the client area keeps its size when a window speaks there.
    statusBar();
    // A backup that failed before a change is told once, where it does not stop the work.
    setBackupWarningHandler([this](const QString& message) { statusBar()->showMessage(message); });
    connect(m_document, &HistoryDocument::drawsChanged, this, &MainFrm::historyChanged);
    // Rebuilding the open windows takes a while on a long history: while the user types in
    // the data entry it waits for a pause, or for another window to become active (only
    // then can another window be looked at).
    m_rebuild->setSingleShot(true);
    m_rebuild->setInterval(kRebuildDelayMs);
    connect(m_rebuild, &QTimer::timeout, this, &MainFrm::rebuildWindows);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* active) {
        yieldAccessKeys(active);
        if (m_rebuild->isActive()) rebuildWindows();
    });

    // Where the user left it last time; else large enough for the designed client area and
    // for the tallest and widest working window, as far as the screen allows.
    if (!restoreGeometry(QSettings().value(kGeometryKey).toByteArray())) {
        QSize client(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);
        for (const WindowDesign& w : windowDesigns()) client = client.expandedTo(w.size());
        const int frame = 2 * m_mdi->frameWidth();
        const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
        QSize want(client.width() + frame, client.height() + frame + bars);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // Room for the window manager's frame and title bar.
            const QSize room = screen->availableGeometry().size() - QSize(16, 48);
            want = want.boundedTo(room);
        }
        resize(want);
    }

    // Activated again when the focus comes back from another window of this program that is
    // not a dialog (the About window). Message boxes, questions and file dialogs never count:
    // closing one must not put the prediction window over the window the user works in. No
    // focus at all means another application (or a window manager slow to hand the focus
    // back), so coming back from another application finds this window as the last one.
    // Menus and tooltips are part of this window.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (!focus || focus->type() == Qt::Popup || focus->type() == Qt::ToolTip) return;
        if (focus != windowHandle()) {
            m_awayInOwnWindow = focus->type() == Qt::Window;
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

MainFrm::~MainFrm() {
    setBackupWarningHandler({});
    // The main area still reports its windows going while the base classes tear it down.
    disconnect(m_mdi, nullptr, this, nullptr);
}

void MainFrm::buildMenus() {
    const auto layout = menuLayout();
    auto* help = new HelpCommands(this, m_mdi);
    // Depth first, so that each submenu's entries follow it.
    std::function<void(QWidget*, const QString&)> fill = [&](QWidget* menu, const QString& parent) {
        const auto entries = layout.find(parent);
        if (entries == layout.end()) return;
        for (const MenuSlot& slot : entries->second) {
            if (const WindowDesign* w = slot.window) {
                if (w->separatorBefore) {
                    auto* line = new QAction(menu);
                    line->setSeparator(true);
                    menu->addAction(line);
                }
                QAction* action = addCommand(menu, w->menuCaption, w->menuAction);
                // Where the entry and the window it opens have different names, the entry
                // says which window it opens.
                if (!QString(w->menuCaption)
                         .remove(QLatin1Char('&'))
                         .startsWith(w->info->caption)) {
                    action->setToolTip(
                        QStringLiteral("「%1」ウィンドウを開きます").arg(w->info->caption));
                    if (auto* list = qobject_cast<QMenu*>(menu)) list->setToolTipsVisible(true);
                }
                const QString window = w->objectName;
                if (w->info->kind == WindowKind::DataEntry)
                    connect(action, &QAction::triggered, this, &MainFrm::openDataEntry);
                else
                    connect(action, &QAction::triggered, this,
                            [this, window] { openWindow(window); });
                continue;
            }
            const MenuItem& item = *slot.item;
            const QString caption = QString::fromUtf16(item.caption);
            if (!item.command) {
                auto* sub = new QMenu(caption, menu);
                sub->setObjectName(slot.name);
                sub->menuAction()->setObjectName(slot.name);
                menu->addAction(sub->menuAction());
                fill(sub, slot.name);
                continue;
            }
            QAction* action = addCommand(menu, caption, slot.name);
            if (item.key != 0) action->setShortcut(QKeySequence(item.key));
            switch (*item.command) {
                case Command::End:
                    connect(action, &QAction::triggered, this, &QWidget::close);
                    break;
                case Command::Update:
                    connect(action, &QAction::triggered, m_update, &UpdateCommands::fetchLatest);
                    break;
                case Command::UpdateSettings:
                    connect(action, &QAction::triggered, m_update, &UpdateCommands::editSettings);
                    break;
                case Command::CsvImport:
                case Command::CsvExport: {
                    const bool import = *item.command == Command::CsvImport;
                    connect(action, &QAction::triggered, this,
                            [this, import] { import ? importCsv() : exportCsv(); });
                    break;
                }
                case Command::RestoreBackup:
                    connect(action, &QAction::triggered, this, &MainFrm::restoreFromBackup);
                    break;
                case Command::TileH:
                    connect(action, &QAction::triggered, this, &MainFrm::tileHorizontally);
                    break;
                case Command::TileV:
                    connect(action, &QAction::triggered, this, &MainFrm::tileVertically);
                    break;
                case Command::Cascade:
                    connect(action, &QAction::triggered, this, &MainFrm::cascade);
                    break;
                case Command::Icons:
                    connect(action, &QAction::triggered, this, &MainFrm::arrangeIcons);
                    break;
                case Command::Help:
                    connect(action, &QAction::triggered, help, &HelpCommands::showHelp);
                    break;
                case Command::About:
                    connect(action, &QAction::triggered, help, &HelpCommands::showAbout);
                    break;
            }
        }
    };
    fill(menuBar(), QString());
}

QAction* MainFrm::addCommand(QWidget* menu, const QString& caption, const QString& name) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

bool MainFrm::start(const QString& databaseFolder, std::future<DrawHistory>* preloaded) {
    readPredictionOptions();
    WaitCursor wait;
    try {
        const DatabaseFile database = databaseFileIn(databaseFolder);
        std::optional<DrawHistory> history;
        if (preloaded && preloaded->valid()) history = preloaded->get();
        m_document->open(database, std::move(history));
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

void MainFrm::yieldAccessKeys(QMdiSubWindow* active) {
    // Qt hands a key that the menu bar and the active window both take to the menu bar first
    // (Alt+X in a window's button quit the program); so the menu bar lets go of the key. A
    // window still counts while another application has the focus: it is the one the keys
    // reach when the user comes back.
    if (!active) active = m_mdi->currentSubWindow();
    const QWidget* window = active && !active->isHidden() ? active->widget() : nullptr;
    const QList<QKeySequence> taken = window ? accessKeysOf(window) : QList<QKeySequence>();
    for (QAction* entry : menuBar()->actions()) {
        // A menu of the window's own that it shows in the menu bar keeps its key.
        if (window && entry->menu() && window->isAncestorOf(entry->menu())) continue;
        QVariant full = entry->property(kFullCaption);
        if (!full.isValid()) {
            full = entry->text();
            entry->setProperty(kFullCaption, full);
        }
        const QString caption = full.toString();
        const bool clash = taken.contains(QKeySequence::mnemonic(caption));
        const QString shown = clash ? withoutAccessKey(caption) : caption;
        if (entry->text() != shown) entry->setText(shown);
    }
    // The menu bar takes its keys anew when it lays out its entries: now, not at its next paint.
    menuBar()->sizeHint();
}

ChildWindow* MainFrm::findWindow(const QString& objectName) const {
    QMdiSubWindow* sub = findSubWindow(objectName);
    return sub ? qobject_cast<ChildWindow*>(sub->widget()) : nullptr;
}

namespace {
Arrangeable arrangeable(QMdiSubWindow* sub);
}  // namespace

QSize MainFrm::makeRoomFor(QSize want) {
    const QSize area = m_mdi->viewport()->size();
    const QSize missing = (want - area).expandedTo(QSize(0, 0));
    const QScreen* where = screen();
    if (missing.isEmpty() || !isVisible() || isMaximized() || isFullScreen() || !where) return area;
    // The frame as the window manager draws it; the whole of it stays on the screen.
    const QRect screenArea = where->availableGeometry();
    const QRect frame = frameGeometry();
    const QSize grown = (frame.size() + missing).boundedTo(screenArea.size());
    const QSize growth = (grown - frame.size()).expandedTo(QSize(0, 0));
    if (growth.isEmpty()) return area;
    QRect moved(frame.topLeft(), grown);
    if (moved.right() > screenArea.right()) moved.moveRight(screenArea.right());
    if (moved.bottom() > screenArea.bottom()) moved.moveBottom(screenArea.bottom());
    resize(size() + growth);
    move(moved.topLeft());
    return area + growth;
}

ChildWindow* MainFrm::openWindow(const QString& objectName) {
    const WindowDesign* design = findWindowDesign(objectName);
    if (!design) return nullptr;
    WaitCursor wait;
    if (QMdiSubWindow* sub = findSubWindow(objectName)) {
        if (sub->isMinimized()) sub->showNormal();
        m_mdi->setActiveSubWindow(sub);
        sub->raise();
        return qobject_cast<ChildWindow*>(sub->widget());
    }

    ChildWindow* window = createChildWindow(*design, *this);
    Qt::WindowFlags flags = Qt::SubWindow;
    // The close button needs the system menu's flag: without it the title bar has no button.
    if (design->fixedBorder)
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
    QMdiSubWindow* sub = m_mdi->addSubWindow(window, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // The window menu's Close (Ctrl+F4, Ctrl+W) answers in the window that has the focus:
    // offered by every open window at once, the keys were ambiguous and closed none.
    if (QMenu* menu = sub->systemMenu())
        for (QAction* action : menu->actions())
            if (!action->shortcuts().isEmpty())
                action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    sub->setObjectName(objectName + QStringLiteral("Frame"));
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    sub->setWindowIcon(QIcon(blank));

    // The frame's load: the content, then the top-left corner with the design
    // size, widened where the grid's columns are wider than designed (so that all show). The
    // client area grows for that size as far as the screen allows; a window taller or wider
    // than the room there is gets the room, and its grid scrolls.
    window->load();
    QSize want = design->size();
    if (auto* analysis = qobject_cast<AnalysisWindow*>(window)) {
        sub->resize(want);
        sub->layout()->activate();
        window->layout()->activate();
        want.rwidth() += analysis->grid()->missingWidth();
    }
    sub->setProperty(kOpeningSize, want);
    const QSize size = openingSize(makeRoomFor(want), arrangeable(sub));
    sub->setGeometry(QRect(QPoint(0, 0), size));
    if (design->fixedBorder) sub->setFixedSize(size);
    sub->show();
    m_mdi->setActiveSubWindow(sub);
    return window;
}

bool MainFrm::propEnd() const {
    // A window that is closing is hidden at once, though it goes only later.
    const auto subs = m_mdi->subWindowList();
    return std::all_of(subs.begin(), subs.end(),
                       [](QMdiSubWindow* sub) { return sub->isHidden(); });
}

void MainFrm::openDataEntry() {
    if (!propEnd()) {
        Prompt::refuse(this, kDataEntryRefused);
        return;
    }
    openWindow(QStringLiteral("当選データ入力"));
}

void MainFrm::exportCsv() { CsvCommands::exportToFile(this, *m_document); }

void MainFrm::importCsv() { CsvCommands::importFromFile(this, *m_document); }

void MainFrm::restoreFromBackup() { BackupCommands::restore(this, *m_document); }

void MainFrm::historyChanged() {
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    if (active && active->widget() &&
        active->widget()->objectName() == QStringLiteral("当選データ入力")) {
        m_rebuild->start();
        return;
    }
    rebuildWindows();
}

void MainFrm::rebuildWindows() {
    m_rebuild->stop();
    WaitCursor wait;
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (auto* child = qobject_cast<ChildWindow*>(sub->widget()); child && !sub->isHidden())
            child->reload();
}

void MainFrm::onActivated() {
    if (!m_started) return;
    // What another program wrote while the user was away shows before anything else.
    m_document->refreshIfChangedOutside();
    openWindow(QStringLiteral("一発ピルモア"));
}

namespace {

std::vector<QMdiSubWindow*> shownWindows(QMdiArea* mdi) {
    std::vector<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : mdi->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized()) out.push_back(sub);
    return out;
}

// What arranging may do with a window: a grid window shrinks down to what its layout needs
// (its grid scrolls); a window laid out by hand (the prediction) would be cut below its design
// size; a fixed border keeps its size.
Arrangeable arrangeable(QMdiSubWindow* sub) {
    Arrangeable a;
    const auto* child = qobject_cast<ChildWindow*>(sub->widget());
    a.design = sub->property(kOpeningSize).toSize();
    if (a.design.isEmpty()) a.design = child ? child->design().size() : sub->size();
    if (sub->minimumSize() == sub->maximumSize()) {
        a.minimum = a.maximum = sub->minimumSize();
        return a;
    }
    const bool laidOut = !child || child->layout();
    a.minimum = laidOut ? sub->minimumSizeHint().expandedTo(sub->minimumSize()) : a.design;
    a.maximum = sub->maximumSize();
    return a;
}

void place(const std::vector<QMdiSubWindow*>& subs, const std::vector<QRect>& where) {
    for (size_t i = 0; i < subs.size(); ++i) {
        if (subs[i]->isMaximized()) subs[i]->showNormal();
        subs[i]->setGeometry(where[i]);
    }
}

std::vector<Arrangeable> arrangeables(const std::vector<QMdiSubWindow*>& subs) {
    std::vector<Arrangeable> out;
    for (QMdiSubWindow* sub : subs) out.push_back(arrangeable(sub));
    return out;
}

}  // namespace

void MainFrm::tileHorizontally() {
    const auto subs = shownWindows(m_mdi);
    place(subs, tileOneAboveTheOther(m_mdi->viewport()->size(), arrangeables(subs)));
}

void MainFrm::tileVertically() {
    const auto subs = shownWindows(m_mdi);
    place(subs, tileSideBySide(m_mdi->viewport()->size(), arrangeables(subs)));
}

void MainFrm::cascade() {
    const auto subs = shownWindows(m_mdi);
    // Each a title bar lower and further right than the one before; the active one stays in
    // front.
    const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    QMdiSubWindow* active = m_mdi->activeSubWindow();
    place(subs, cascadeWindows(m_mdi->viewport()->size(), arrangeables(subs), step));
    for (QMdiSubWindow* sub : subs) sub->raise();
    if (active) m_mdi->setActiveSubWindow(active);
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
    readInitFile(m_options);
}

void MainFrm::setReflectOption(int index, bool on) {
    if (index < 0 || index >= kReflectOptionCount) return;
    m_options[std::size_t(index)] = on;
    // Saved at once, so that a crash or a power cut loses no choice. A file that cannot be
    // written is said once, not at every click, and is tried again at every change.
    const bool failedBefore = m_optionsUnsaved;
    const QString error = writeInitFile(m_options);
    m_optionsUnsaved = !error.isEmpty();
    if (m_optionsUnsaved && !failedBefore) Prompt::refuse(this, error);
}

void MainFrm::writePredictionOptions() {
    // The old file stays as it was when the new one cannot be written; the exit goes on.
    const QString error = writeInitFile(m_options);
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
    QSettings().setValue(kGeometryKey, saveGeometry());
    m_document->close();
    event->accept();
}

}  // namespace pirumoa
