// Drives the real data-entry window and the main menu's CSV commands offscreen, on
// temporary databases.
#include <signal.h>
#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>

#include "core/analysis/analyses.h"
#include "core/prediction/methods.h"
#include "core/prediction/predictionsheets.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawcsv.h"
#include "gui/maintenance/dataentrywindow.h"
#include "gui/maintenance/drawtablemodel.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;
using test::shoot;

namespace {

const QString kWrongDigit = "結果マスタの数字に誤りがあります。";
const QString kAddQuestion = "選択された行のうしろに行を追加します。よろしいですか？";
const QString kDelQuestion = "選択された行を削除します。よろしいですか？";
const QString kRefused = "表示中のウィンドウを閉じないと実行できません。";

// The main window started on db, shown, with nothing open that would hold the entry back.
void startMain(MainFrm& main, const test::TempDatabase& db) {
    QVERIFY(main.start(db.dir.path()));
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.activateWindow();
    QCoreApplication::processEvents();
    // Start-up opens the prediction window; the entry is refused until it is closed.
    if (ChildWindow* prediction = main.findWindow("一発ピルモア")) prediction->unload();
    QTRY_VERIFY(main.propEnd());
}

DataEntryWindow* openEntry(MainFrm& main) {
    main.findChild<QAction*>("mnuMasterInput")->trigger();
    return qobject_cast<DataEntryWindow*>(main.findWindow("当選データ入力"));
}

// Types text into a cell through its editor and leaves the cell with key.
void typeInto(QTableView* grid, int row, int column, const QString& text,
              Qt::Key key = Qt::Key_Return) {
    const QModelIndex index = grid->model()->index(row, column);
    grid->setCurrentIndex(index);
    grid->edit(index);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(index));
    QVERIFY(editor);
    editor->selectAll();
    // Key clicks carry Latin-1 only; what an input method commits arrives as a whole.
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Backspace);
    else if (text.toLatin1() == text.toUtf8())
        QTest::keyClicks(editor, text);
    else
        editor->insert(text);
    QTest::keyClick(editor, key);
    // Enter hands the value over in a posted call, and a refusal is shown once the editor is
    // gone: two rounds of events.
    for (int i = 0; i < 2; ++i) QCoreApplication::processEvents();
}

// Keys as a typist presses them, each to whatever has the focus at that moment: "1", "x",
// "Tab", "Shift+Tab", "Ctrl+End"... Shift+Tab arrives as Backtab, as the platforms send it.
void press(const QStringList& keys) {
    for (const QString& k : keys) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, qPrintable("nothing has the focus for " + k));
        if (k.size() == 1) {
            QTest::keyClick(target, k[0].toLatin1());
        } else if (k == "Shift+Tab") {
            QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
        } else {
            const QKeyCombination c = QKeySequence(k)[0];
            QTest::keyClick(target, c.key(), c.keyboardModifiers());
        }
        QCoreApplication::processEvents();
    }
}

// The window open on db with its grid focused, as after a click into it.
DataEntryWindow* openFocused(MainFrm& main) {
    DataEntryWindow* w = openEntry(main);
    if (!w || !QTest::qWaitForWindowActive(&main)) return nullptr;
    w->grid()->setFocus();
    return QTest::qWaitFor([&] { return w->grid()->hasFocus(); }) ? w : nullptr;
}

bool currentInView(QTableView* grid) {
    const QModelIndex current = grid->currentIndex();
    return current.isValid() && grid->viewport()->rect().contains(grid->visualRect(current));
}

QStringList visibleMenus(MainFrm& main) {
    QStringList out;
    for (QAction* a : main.menuBar()->actions())
        if (a->isVisible()) out << a->text();
    return out;
}

void rightClick(QWidget* target, const QPoint& pos) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &event);
}

std::vector<DrawRecord> stored(const test::TempDatabase& db) {
    return DrawStore::open(db.connect)->readAll();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// The child half of the kill test: types tonight's draw into the new row, four keys and no
// other, says so, and waits to be killed.
int runEditingChild(const QString& folder) {
    test::guardPrompts();
    MainFrm main;
    if (!main.start(folder)) return 3;
    main.show();
    QCoreApplication::processEvents();
    if (ChildWindow* prediction = main.findWindow("一発ピルモア")) prediction->unload();
    QCoreApplication::processEvents();
    DataEntryWindow* w = openEntry(main);
    if (!w) return 4;
    for (char key : {'1', '2', '3', '4'}) QTest::keyClick(w->grid(), key);
    if (!test::promptsUsedUp()) return 6;  // nothing may have been said
    std::printf("typed\n");
    std::fflush(stdout);
    return QApplication::exec();
}

}  // namespace

class DataEntryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void windowShowsTheDrawTableInItsFrame() {
        test::TempDatabase db(test::draws({"1234", "5_7_", "0000"}));
        MainFrm main;
        startMain(main, db);
        const QStringList mainMenus = visibleMenus(main);
        DataEntryWindow* w = openEntry(main);
        QVERIFY(w);
        QVERIFY(!main.propEnd());
        QVERIFY(test::promptsUsedUp());

        QMdiSubWindow* sub = main.mdiArea()->subWindowList().value(0);
        QCOMPARE(sub->windowTitle(), QString("当選データ入力"));
        QCOMPARE(sub->pos(), QPoint(0, 0));
        QCOMPARE(sub->size(), QSize(5850 / 15, 9000 / 15));
        QCOMPARE(sub->minimumSize(), sub->maximumSize());
        QVERIFY(!(sub->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(sub->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w->findChild<QLabel*>("Label1")->text(),
                 QString("当選数字を開催回数毎に入力します（分析対象データとなります）"));
        QCOMPARE(w->findChild<QPushButton*>("Command1")->text(), QString("閉じる"));

        QTableView* grid = w->grid();
        QCOMPARE(grid->objectName(), QString("fpSpread1"));
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->rowCount(), 4);  // the three draws and the new row
        QCOMPARE(m->columnCount(), 6);
        QStringList titles;
        for (int c = 0; c < 6; ++c) titles << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles,
                 QStringList({"回数", "抽せん日", "第1数字", "第2数字", "第3数字", "第4数字"}));
        QStringList row2;
        for (int c = 0; c < 6; ++c) row2 << m->index(1, c).data().toString();
        QCOMPARE(row2, QStringList({"2", "", "5", "", "7", ""}));
        QCOMPARE(grid->columnWidth(0), GridView::columnPixels(5));
        for (int c = 2; c < 6; ++c) QCOMPARE(grid->columnWidth(c), GridView::columnPixels(7));
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        QCOMPARE(grid->rowHeight(2), GridView::rowPixels(10));
        const QModelIndex no = m->index(0, 0), digit = m->index(0, 2);
        QCOMPARE(no.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QCOMPARE(no.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 255, 200));
        QVERIFY(!(m->flags(no) & Qt::ItemIsEditable));
        QVERIFY(m->flags(digit) & Qt::ItemIsEditable);
        // The row headers are bare record selectors: a number there would count rows, not
        // draws, and disagree with 回数 after a deletion.
        for (int r = 0; r < 3; ++r) QCOMPARE(m->headerData(r, Qt::Vertical).toString(), QString());
        QVERIFY(grid->verticalHeader()->width() > GridView::columnPixels(1));
        QVERIFY(grid->verticalHeader()->width() < grid->columnWidth(0));
        for (const QModelIndex& i : {no, digit})
            QCOMPARE(i.data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                     Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(QColor::fromRgba(QRgb(grid->style()->styleHint(QStyle::SH_Table_GridLineColor))),
                 QColor(136, 196, 255));
        // Entering goes on in the new row.
        QCOMPARE(grid->currentIndex(), m->index(3, 2));
        QCOMPARE(m->index(3, 0).data().toString(), QString("4"));

        // While it is the active child, the menu bar shows only its own menu.
        QCOMPARE(visibleMenus(main), QStringList{"編集(&E)"});
        QMenu* menu = w->editMenu();
        QCOMPARE(menu->objectName(), QString("mnuEdit"));
        QCOMPARE(menu->actions().size(), 5);
        QCOMPARE(menu->actions()[0]->objectName(), QString("mnuAddLine"));
        QCOMPARE(menu->actions()[0]->text(), QString("行追加"));
        QCOMPARE(menu->actions()[0]->shortcut(), QKeySequence("Ctrl+A"));
        QCOMPARE(menu->actions()[1]->objectName(), QString("mnuDelLine"));
        QCOMPARE(menu->actions()[1]->text(), QString("行削除"));
        QCOMPARE(menu->actions()[1]->shortcut(), QKeySequence("Ctrl+D"));
        QCOMPARE(menu->actions()[3]->text(), QString("元に戻す"));
        QCOMPARE(menu->actions()[4]->text(), QString("やり直し"));
        QCoreApplication::processEvents();
        shoot(&main, "dataentry");

        // Closed by its title bar: no check, the main menus come back, propEnd is True.
        sub->close();
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(main.propEnd());
        QCOMPARE(visibleMenus(main), mainMenus);
        QVERIFY(test::promptsUsedUp());
    }

    void ownMenuFollowsTheActiveChild() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        const QStringList mainMenus = visibleMenus(main);
        DataEntryWindow* w = openEntry(main);
        QCOMPARE(visibleMenus(main), QStringList{"編集(&E)"});
        QMdiSubWindow* entry = main.mdiArea()->activeSubWindow();

        QVERIFY(main.openWindow("出現頻度分析"));
        QCOMPARE(visibleMenus(main), mainMenus);
        main.mdiArea()->setActiveSubWindow(entry);
        QCOMPARE(visibleMenus(main), QStringList{"編集(&E)"});
        w->unload();
        QTRY_VERIFY(!main.findWindow("当選データ入力"));
        QCOMPARE(visibleMenus(main), mainMenus);
    }

    void databaseGoneSinceStartUpIsSaidAndTheWindowGoes() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        QVERIFY(QFile::remove(db.connect.file));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"Numbers4Pirumoa.mdb"}));
        openEntry(main);
        QVERIFY(test::promptsUsedUp());
        QTRY_VERIFY(!main.findWindow("当選データ入力"));
        QVERIFY(main.propEnd());
        QVERIFY(!QFile::exists(db.connect.file));  // nothing made in its place
    }

    void typedDigitsAreCheckedAndStoredAtOnce() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();

        typeInto(grid, 0, 2, "9");
        QVERIFY(test::promptsUsedUp());
        // Stored already: another connection sees it while the window is open.
        QCOMPARE(loadDrawHistory(db.connect).rows, test::draws({"9234", "5678"}));

        // A key that would make anything but one digit does nothing; what the cell holds
        // when it is left is stored.
        const std::pair<const char*, const char*> typedKept[] = {
            {"10", "1"}, {"-2", "2"}, {"3.5", "3"}, {"a", "3"}, {"4 5", "4"}, {"+", "4"}};
        for (const auto& [typed, kept] : typedKept) {
            typeInto(grid, 1, 3, typed, Qt::Key_Tab);
            QCOMPARE(grid->model()->index(1, 3).data().toString(), QString(kept));
        }
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), test::draws({"9234", "5478"}));

        // An empty cell passes and is stored as a draw without that digit; a full-width digit
        // from an input method is the same digit.
        typeInto(grid, 1, 5, "");
        typeInto(grid, 1, 4, "０");
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), test::draws({"9234", "540_"}));
        QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(test::promptsUsedUp());
    }

    // A fast typist: a draw is four keys in the new row, and the next new row follows at
    // once; Tab stops at the last cell.
    void fourKeysADrawAndTabStopsAtTheLastCell() {
        const std::vector<DrawRecord> before =
            test::draws({"1234", "5678", "9012", "3456", "0265", "7890"});
        test::TempDatabase db(before);
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();

        press({"1", "2", "3", "4", "5", "6", "7", "8"});
        std::vector<DrawRecord> after = before;
        after.push_back(test::draws({"1234"}, 7)[0]);
        after.push_back(test::draws({"5678"}, 8)[0]);
        QCOMPARE(stored(db), after);
        QCOMPARE(grid->currentIndex(), grid->model()->index(8, 2));
        QCOMPARE(grid->model()->index(8, 0).data().toString(), QString("9"));
        press({"Ctrl+End", "Tab", "Tab"});
        QCOMPARE(grid->currentIndex(), grid->model()->index(8, 5));
        QVERIFY(currentInView(grid));
        QVERIFY(test::promptsUsedUp());
    }

    // Shift+Tab stops at the first cell and never goes into a draw number; a digit typed on
    // a draw number, which cannot be edited, neither searches nor goes anywhere else.
    void shiftTabStopsAtTheFirstCellAndTheDrawNumberTakesNoTyping() {
        const std::vector<DrawRecord> before =
            test::draws({"1234", "5678", "9012", "3456", "0265", "7890"});
        test::TempDatabase db(before);
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        grid->setCurrentIndex(grid->model()->index(1, 2));

        press({"Shift+Tab", "Shift+Tab"});
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 5));
        press({"Shift+Tab", "Shift+Tab", "Shift+Tab", "Shift+Tab", "Shift+Tab", "Shift+Tab"});
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 1));
        press({"Left", "5", "Tab", "Tab", "6"});
        std::vector<DrawRecord> after = before;
        after[0] = test::draws({"6234"})[0];
        QCOMPARE(stored(db), after);
        QCOMPARE(grid->currentIndex(), grid->model()->index(0, 3));
        QVERIFY(grid->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(test::promptsUsedUp());
    }

    // However the cursor is moved about the grid, a digit is typed into the cell that has the
    // focus, in view, and nowhere else.
    void typingFollowsTheCursorWhereverTheKeysTakeIt_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("document ends")
            << QStringList{"Ctrl+End", "7", "Tab", "Tab", "8", "Ctrl+Home", "9", "Shift+Tab", "6"};
        QTest::newRow("row ends") << QStringList{"End",       "9",     "Tab",   "8", "Home",
                                                 "6",         "Right", "Right", "5", "Shift+Tab",
                                                 "Shift+Tab", "Left",  "7"};
        QTest::newRow("pages") << QStringList{"PgDown", "7",    "PgDown", "8",    "Tab",  "PgUp",
                                              "9",      "Down", "6",      "PgUp", "PgUp", "5"};
        QTest::newRow("from an open editor")
            << QStringList{"7",         "PgDown", "8",         "Ctrl+End", "9", "Up",  "6",
                           "Ctrl+Home", "5",      "Shift+Tab", "Home",     "7", "End", "8"};
        QTest::newRow("editor keys")
            << QStringList{"F2",   "8", "Escape", "9",         "Return", "F2", "Return",
                           "Left", "7", "Tab",    "Backspace", "Delete", "5"};
    }
    void typingFollowsTheCursorWhereverTheKeysTakeIt() {
        QFETCH(QStringList, keys);
        std::vector<DrawRecord> before;
        for (int no = 1; no <= 60; ++no) before.push_back(test::draws({"1234"}, no)[0]);
        test::TempDatabase db(before);
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        grid->setCurrentIndex(grid->model()->index(30, 3));

        QSet<std::pair<int, int>> typedAt;
        for (const QString& key : keys) {
            const QModelIndex at = grid->currentIndex();
            press({key});
            if (key == "Backspace" || key == "Delete") typedAt.insert({at.row(), at.column()});
            if (key.size() == 1) {
                // A digit stored goes on to the next digit; anything else stays.
                const QModelIndex next = at.column() == 5 ? grid->model()->index(at.row() + 1, 2)
                                                          : at.siblingAtColumn(at.column() + 1);
                QVERIFY2(grid->currentIndex() == at ||
                             (at.column() >= 2 && grid->currentIndex() == next),
                         qPrintable(key));
                typedAt.insert({at.row(), at.column()});
            }
            QVERIFY2(currentInView(grid), qPrintable(key));
            QVERIFY2(grid->isAncestorOf(QApplication::focusWidget()), qPrintable(key));
        }
        w->closeChecked();
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        const std::vector<DrawRecord> after = stored(db);
        QVERIFY(after.size() >= before.size());
        for (std::size_t r = 0; r < after.size(); ++r)
            for (int d = 0; d < 4; ++d)
                if (r >= before.size() ? after[r].digits[d] >= 0
                                       : after[r].digits[d] != before[r].digits[d])
                    QVERIFY2(typedAt.contains({int(r), d + 2}),
                             qPrintable(QString("draw %1 digit %2").arg(r + 1).arg(d + 1)));
        QVERIFY(test::promptsUsedUp());
    }

    // A digit cell refuses, as they are typed, the keys that would make anything but one
    // digit.
    void keysThatMakeNoDigitAreRefusedAsTyped() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        grid->setCurrentIndex(grid->model()->index(1, 3));

        // On the grid: a key that is no digit is refused with the reason, and so is a paste.
        press({"x"});
        QVERIFY(!w->statusLine()->text().isEmpty());
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 3));
        QApplication::clipboard()->setText("12");
        press({"Ctrl+V"});
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 3));
        QCOMPARE(stored(db), test::draws({"1234", "5678"}));

        // In an editor: a key or a paste that would make anything but one digit does nothing.
        press({"F2", "x"});
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("6"));
        press({"Ctrl+A", "Ctrl+V"});
        QCOMPARE(editor->text(), QString("6"));
        QApplication::clipboard()->setText("7");
        press({"Ctrl+A", "Ctrl+V"});
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 4));
        press({"x", "1"});
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), test::draws({"1234", "5718"}));
    }

    // An edit is stored however the cell is left, and a second after the last key at the
    // latest, while its editor is still open.
    void everyWayOfLeavingACellStoresIt_data() {
        QTest::addColumn<QString>("key");
        for (const char* key : {"Up", "Down", "Left", "Right", "Tab", "Shift+Tab", "Return", "Home",
                                "End", "PgUp", "PgDown", "click", "wait"})
            QTest::newRow(key) << QString(key);
    }
    void everyWayOfLeavingACellStoresIt() {
        QFETCH(QString, key);
        test::TempDatabase db(test::draws({"1234", "5678", "9012"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        const QModelIndex cell = grid->model()->index(1, 3);
        grid->setCurrentIndex(cell);
        press({"F2", "Backspace"});
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        if (key == "click")
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(0, 4)).center());
        else if (key == "wait")
            QTest::qWait(1100);
        else
            press({key});
        QCOMPARE(stored(db), test::draws({"1234", "5_78", "9012"}));
        if (key == "wait")
            QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        else
            QVERIFY(grid->currentIndex() != cell);
        QVERIFY(test::promptsUsedUp());
    }

    // Dates: a bad one is refused as typed with the reason on the status line; one out of
    // draw order is asked about; the new row proposes the next draw day.
    void datesAreCheckedAsTyped() {
        std::vector<DrawRecord> draws = test::draws({"1234", "5678", "9012"});
        draws[0].date = "2026-08-19";
        draws[1].date = "2026-08-20";
        draws[2].date = "2026-08-21";
        test::TempDatabase db(draws);
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        QAbstractItemModel* m = grid->model();
        QCOMPARE(m->index(1, 1).data().toString(), QString("2026-08-20 (木)"));
        QCOMPARE(m->index(3, 0).data().toString(), QString("4"));
        QCOMPARE(m->index(3, 1).data().toString(), QString("2026-08-24 (月)"));
        shoot(&main, "dataentry-dates");

        grid->setCurrentIndex(m->index(1, 1));
        for (const char* bad : {"2026-02-30", "1990-01-01", "2026-8"}) {
            press({"F2", "Ctrl+A"});
            QTest::keyClicks(QApplication::focusWidget(), bad);
            w->statusLine()->clear();
            press({"Return"});
            QVERIFY2(qobject_cast<QLineEdit*>(QApplication::focusWidget()), bad);
            QVERIFY2(!w->statusLine()->text().isEmpty(), bad);
            shoot(&main, "dataentry-refused");
            press({"Escape"});
        }
        QCOMPARE(stored(db), draws);

        // The day of the draw before: asked, and only Yes stores it.
        const Prompt::Expected order = test::questionWith({"第2回", "2026-08-19"});
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            Prompt::setNextAnswer(answer, order);
            grid->setCurrentIndex(m->index(1, 1));
            press({"F2", "Ctrl+A"});
            QTest::keyClicks(QApplication::focusWidget(), "2026/8/19");
            press({"Up"});
            QCoreApplication::processEvents();
            QVERIFY(test::promptsUsedUp());
            QCOMPARE(stored(db)[1].date,
                     QString(answer == QMessageBox::Yes ? "2026-08-19" : "2026-08-20"));
        }
    }

    // Several draws pasted go through one question and one transaction, and are undone as
    // one; what Ctrl+C copies pastes back as the same draws.
    void pasteCopyClearAndUndo() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        QTableView* grid = w->grid();
        const std::vector<DrawRecord> before = stored(db);

        QApplication::clipboard()->setText(
            "2,2026-08-19,1,1,1,1\n3,2026-08-20,2,2,2,2\n4,2026-08-21,3,3,3,3\n");
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"追加：3 件"}));
        press({"Ctrl+V"});
        QVERIFY(test::promptsUsedUp());
        std::vector<DrawRecord> pasted = stored(db);
        QCOMPARE(pasted.size(), std::size_t(4));
        QCOMPARE(pasted[3].date, QString("2026-08-21"));
        QCOMPARE(w->model()->storedCount(), 4);
        // The analyses opened next see the draws.
        QTRY_COMPARE(main.history()->latestDrawNo, 4);

        press({"Ctrl+Z"});
        QCOMPARE(stored(db), before);
        QCOMPARE(w->model()->storedCount(), 1);
        press({"Ctrl+Y"});
        QCOMPARE(stored(db), pasted);

        // Four digits onto a row; Delete clears a block; one undo brings the block back.
        grid->setCurrentIndex(grid->model()->index(1, 4));
        QApplication::clipboard()->setText("9876");
        press({"Ctrl+V"});
        QCOMPARE(stored(db)[1].digits, test::draws({"9876"})[0].digits);
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(0, 2), grid->model()->index(1, 3)),
            QItemSelectionModel::ClearAndSelect);
        press({"Delete"});
        QCOMPARE(stored(db)[0].digits, test::draws({"__34"})[0].digits);
        QCOMPARE(stored(db)[1].digits, test::draws({"__76"})[0].digits);
        press({"Ctrl+Z"});
        QCOMPARE(stored(db)[0].digits, test::draws({"1234"})[0].digits);

        // Copied from the grid and pasted into another database: the same draws.
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(1, 0), grid->model()->index(3, 5)),
            QItemSelectionModel::ClearAndSelect);
        press({"Ctrl+C"});
        QVERIFY(QApplication::clipboard()->mimeData()->hasHtml());
        const std::vector<DrawRecord> all = stored(db);
        const std::vector<DrawRecord> copied(all.begin() + 1, all.end());
        w->unload();
        test::TempDatabase other;
        MainFrm second;
        startMain(second, other);
        w = openFocused(second);
        QVERIFY(w);
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"追加：3 件"}));
        press({"Ctrl+V"});
        QCOMPARE(stored(other), copied);

        // Ten thousand lines with a bad last one, and binary junk: refused, nothing stored.
        QString many;
        for (int no = 10; no < 10010; ++no) many += QString("%1,,1,2,3,4\n").arg(no);
        many += "10010,,1,2,3,x\n";
        QApplication::clipboard()->setText(many);
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::refusalWith({"何も変更していません", ":10001:"}));
        press({"Ctrl+V"});
        QApplication::clipboard()->setText(QString::fromLatin1("\x89PNG\r\n\x1a\n\x01\x02", 10));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"何も変更していません"}));
        press({"Ctrl+V"});
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(other), copied);
        QCOMPARE(w->model()->storedCount(), 3);
    }

    // A paste is judged as an import is: a line that only fills in what is missing (a date,
    // the digits of a draw not entered yet) completes the draw, and says so; pasted prizes
    // that break the prize rule are refused with the reason.
    void pasteCompletesWhatIsMissing() {
        std::vector<DrawRecord> rows = test::draws({"1234", "5___"}, 5);
        test::TempDatabase db(rows);
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        // Draw 6's prizes cannot be its own (straight and box swapped): said, and left out.
        Prompt::setNextAnswer(
            QMessageBox::Yes,
            test::questionWith(
                {"置き換え：0 件", "補充：2 件", "第6回：ストレートの当せん金がボックス以下です"}));
        w->pasteText(
            "draw,date,d1,d2,d3,d4,straight,box\n5,2026-08-21,1,2,3,4,,\n"
            "6,2026-08-24,5,6,7,8,177300,2128400\n");
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(w->model()->storedPrizes(6), Prizes{});
        rows[0].date = "2026-08-21";
        rows[1] = test::draws({"5678"}, 6)[0];
        rows[1].date = "2026-08-24";
        QCOMPARE(stored(db), rows);
        QCOMPARE(w->model()->text(0, 1).left(10), QString("2026-08-21"));
    }

    // Another program adds a draw while the data entry is open: the grid shows it within a few
    // seconds, and the next draw typed is the one after it.
    void aDrawAddedByTheToolShowsInTheOpenDataEntry() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openFocused(main);
        QVERIFY(w);
        const QString csv = db.dir.filePath("tonight.csv");
        writeFile(csv, "3,,9,5,7,7\n");
        QCOMPARE(test::runCli({"import", csv, "--db", db.connect.file}).code, 0);
        QTRY_COMPARE_WITH_TIMEOUT(w->model()->storedCount(), 3, 5000);
        QCOMPARE(w->model()->text(2, 2), QString("9"));
        QCOMPARE(main.history()->latestDrawNo, 3);
        const int newRow = w->model()->rowCount() - 1;
        QVERIFY(w->model()->isNewRow(newRow));
        QCOMPARE(w->model()->record(newRow).no, 4);
        for (int c = 0; c < 4; ++c) typeInto(w->grid(), newRow, c + 2, QString::number(c + 1));
        QCOMPARE(stored(db).back(), test::draws({"1234"}, 4)[0]);
    }

    void refusedWritesSayWhyAndTheCellKeepsTheStoredValue() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();

        // The disk takes nothing more.
        signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit none = old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::refusalWith({"書き込めませんでした", "Numbers4Pirumoa.mdb"}));
        typeInto(grid, 0, 2, "7");
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(grid->model()->index(0, 2).data().toString(), QString("1"));

        // An undo and a paste on a full disk: said, nothing half stored, the grid as stored.
        typeInto(grid, 0, 3, "9");
        setrlimit(RLIMIT_FSIZE, &none);
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"書き込めませんでした"}));
        w->undo();
        QCoreApplication::processEvents();
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"追加：2 件"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"書き込めませんでした"}));
        w->pasteText("3,,1,1,1,1\n4,,2,2,2,2\n");
        QCoreApplication::processEvents();
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), test::draws({"1934", "5678"}));
        QCOMPARE(w->model()->storedCount(), 2);
        QCOMPARE(grid->model()->index(0, 3).data().toString(), QString("9"));

        // Another program deleted the draw meanwhile.
        test::deleteDraw(*DrawStore::open(db.connect), 2);
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::refusalWith({"第2回はデータベースにありません"}));
        typeInto(grid, 1, 2, "0");
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(grid->model()->index(1, 2).data().toString(), QString("5"));
        QCOMPARE(stored(db), test::draws({"1934"}));
    }

    void addedRowIsStoredAndSurvivesInAnotherProcess() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();
        QVERIFY(QTest::qWaitForWindowActive(&main));

        // Ctrl+A on the last row, the shortcut working while the grid has the focus.
        grid->setCurrentIndex(grid->model()->index(1, 3));
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(w->model()->storedCount(), 3);
        QCOMPARE(grid->model()->index(2, 0).data().toString(), QString("3"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(2, 3));  // the remembered column
        QCOMPARE(stored(db), test::draws({"1234", "5678", "____"}));

        // Four digits typed from the first digit cell.
        grid->setCurrentIndex(grid->model()->index(2, 2));
        press({"4", "3", "2", "1"});
        QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QVERIFY(test::promptsUsedUp());

        QProcess cli;
        cli.start(PIRUMOA_CLI, {"export", "--db", db.connect.file});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardOutput(),
                 QByteArray("draw,date,d1,d2,d3,d4\n1,,1,2,3,4\n2,,5,6,7,8\n3,,4,3,2,1\n"));
    }

    void addingFindsTheNextNumberOrSaysWhyNot() {
        test::TempDatabase db(test::draws({"1234", "5678", "9012"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();
        auto* add = w->findChild<QAction*>("mnuAddLine");

        // No changes nothing.
        grid->setCurrentIndex(grid->model()->index(2, 2));
        Prompt::setNextAnswer(QMessageBox::No, test::question(kAddQuestion));
        add->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(w->model()->storedCount(), 3);

        // In the middle of a gapless history the number is taken: refused, nothing added.
        grid->setCurrentIndex(grid->model()->index(0, 4));
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"第2回は既に登録されている"}));
        add->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(w->model()->storedCount(), 3);
        QCOMPARE(stored(db), test::draws({"1234", "5678", "9012"}));

        // Into a gap: after the first row it becomes row 2, and nothing is renumbered.
        test::deleteDraw(*DrawStore::open(db.connect), 2);
        w->unload();
        QTRY_VERIFY(main.propEnd());
        w = openEntry(main);
        grid = w->grid();
        grid->setCurrentIndex(grid->model()->index(0, 4));
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        w->addLine();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(grid->model()->index(1, 0).data().toString(), QString("2"));
        QCOMPARE(grid->model()->index(2, 0).data().toString(), QString("3"));
        QCOMPARE(grid->currentIndex(), grid->model()->index(1, 4));

        // The last possible draw has nothing after it.
        w->unload();
        test::TempDatabase full(test::draws({"1111"}, kMaxDrawNo));
        MainFrm other;
        startMain(other, full);
        w = openEntry(other);
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"32767"}));
        w->addLine();
        QCOMPARE(w->model()->storedCount(), 1);
        QVERIFY(test::promptsUsedUp());
    }

    void emptyTableGetsItsFirstDraw() {
        test::TempDatabase db;
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QCOMPARE(w->model()->storedCount(), 0);
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        w->addLine();
        QCOMPARE(stored(db), test::draws({"____"}));
        typeInto(w->grid(), 0, 3, "8");
        QCOMPARE(stored(db), test::draws({"_8__"}));
    }

    void deletingRemovesTheRecordOnlyOnYes() {
        test::TempDatabase db(test::draws({"1234", "5678", "9012"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        grid->setCurrentIndex(grid->model()->index(1, 2));
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());

        Prompt::setNextAnswer(QMessageBox::No, test::question(kDelQuestion));
        QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(w->model()->storedCount(), 3);
        QCOMPARE(stored(db).size(), std::size_t(3));

        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kDelQuestion));
        QTest::keyClick(grid, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(w->model()->storedCount(), 2);
        QCOMPARE(grid->model()->index(1, 0).data().toString(), QString("3"));
        std::vector<DrawRecord> left = test::draws({"1234"});
        left.push_back(test::draws({"9012"}, 3)[0]);
        QCOMPARE(stored(db), left);
    }

    void valueBeingTypedIsCheckedWhenCloseIsClicked() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();
        const QModelIndex cell = grid->model()->index(0, 5);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("4"));
        // A wrong value in the open editor, as no typing leaves it.
        editor->setText("12");
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusal(kWrongDigit));
        w->closeChecked();  // refused: the window stays
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(main.findWindow("当選データ入力"), w);

        grid->edit(cell);
        editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
        editor->selectAll();
        QTest::keyClicks(editor, "0");
        w->closeChecked();
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        QCOMPARE(stored(db), test::draws({"1230"}));
    }

    void rightClickPopsTheMenuOnlyOnTheHeaderOfTheSelectedRow() {
        test::TempDatabase db(test::draws({"1234", "5678", "9012"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QTableView* grid = w->grid();
        QHeaderView* rows = grid->verticalHeader();
        QMenu* menu = w->editMenu();
        auto headerOf = [&](int row) {
            return QPoint(rows->width() / 2, rows->sectionViewportPosition(row) + 3);
        };
        auto popsUp = [&](QWidget* target, const QPoint& pos) {
            rightClick(target, pos);
            const bool shown = menu->isVisible();
            menu->hide();
            return shown;
        };

        grid->setCurrentIndex(grid->model()->index(1, 3));
        QVERIFY(popsUp(rows->viewport(), headerOf(1)));
        QVERIFY(!popsUp(rows->viewport(), headerOf(0)));  // not the selected row
        QVERIFY(!popsUp(rows->viewport(),
                        QPoint(rows->width() / 2, rows->sectionViewportPosition(2) +
                                                      grid->rowHeight(2) + 5)));  // below
        QVERIFY(!popsUp(grid->viewport(), grid->visualRect(grid->model()->index(1, 0)).center()));
        QVERIFY(!popsUp(grid->viewport(), grid->visualRect(grid->model()->index(1, 3)).center()));
        QVERIFY(!popsUp(grid->horizontalHeader()->viewport(), QPoint(5, 5)));

        // The whole row selected by its header still spans one row; two rows do not.
        grid->selectRow(2);
        QVERIFY(popsUp(rows->viewport(), headerOf(2)));
        grid->selectionModel()->select(grid->model()->index(1, 2), QItemSelectionModel::Select);
        QVERIFY(!popsUp(rows->viewport(), headerOf(2)));

        // The pop-up's entries act on the row.
        grid->setCurrentIndex(grid->model()->index(0, 2));
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kDelQuestion));
        menu->actions()[1]->trigger();
        QCOMPARE(w->model()->storedCount(), 2);
        QCOMPARE(stored(db).front().no, 2);
    }

    void ctrlAElsewhereKeepsItsOwnMeaning() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTableView* grid = w->grid();
        const QModelIndex cell = grid->model()->index(0, 2);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(cell));
        QVERIFY(editor);
        editor->setFocus();
        QTRY_VERIFY(editor->hasFocus());
        editor->deselect();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);  // select all in the editor
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(editor->selectedText(), QString("1"));
        QCOMPARE(w->model()->storedCount(), 1);
    }

    // The data entry waits until no other window is open; the CSV commands do not, except
    // that an import waits for the data entry itself to close.
    void onlyTheDataEntryWaitsForTheOtherWindows() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        startMain(main, db);
        QVERIFY(main.openWindow("出現頻度分析"));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusal(kRefused));
        main.findChild<QAction*>("mnuMasterInput")->trigger();
        QVERIFY(test::promptsUsedUp());
        QVERIFY(!main.findWindow("当選データ入力"));

        const QString out = db.dir.filePath("open.csv");
        Prompt::setNextFileName(out);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"1 回分"}));
        main.findChild<QAction*>("mnuCsvExport")->trigger();
        QVERIFY(test::promptsUsedUp());
        QVERIFY(QFile::exists(out));

        main.findWindow("出現頻度分析")->unload();
        QTRY_VERIFY(main.propEnd());
        QVERIFY(openEntry(main));
    }

    // An import with windows open: the history and its totals are read again and every open
    // window shows the new draws at once; the file dialogs start where the last file was.
    void importRebuildsTheOpenWindows() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        main.show();
        QTRY_VERIFY(main.findWindow("一発ピルモア"));
        auto* frequency = qobject_cast<AnalysisWindow*>(main.openWindow("出現頻度分析"));
        QVERIFY(frequency);
        QCOMPARE(frequency->grid()->sheet().rowCount(), 3);

        QTemporaryDir folder;
        const QString csv = folder.filePath("more.csv");
        writeFile(csv, "2,,1,1,1,1\n3,,1,9,9,9\n");
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"新しい回：2 件"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"追加：2 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());

        QCOMPARE(main.history()->latestDrawNo, 3);
        QCOMPARE(main.history()->digitCount[1], 6);
        Sheet expected;
        fillAppearanceFrequency(*main.history(), expected);
        QCOMPARE(sheetsToJson("f", {&frequency->grid()->sheet()}), sheetsToJson("f", {&expected}));
        QCOMPARE(frequency->grid()->sheet().rowCount(), 8);

        PredictionSheets grids = predictionSheets(predict(*main.history(), main.reflectOptions()));
        auto* prediction = qobject_cast<PredictionWindow*>(main.findWindow("一発ピルモア"));
        QVERIFY(prediction);
        for (int k = 0; k < kPredictionGridCount; ++k)
            for (int r = 1; r <= grids[k].rowCount(); ++r)
                for (int c = 1; c <= grids[k].columnCount(); ++c)
                    QCOMPARE(prediction->grid(k)->sheet().text(c, r), grids[k].text(c, r));
        QCOMPARE(QSettings().value("csv/folder").toString(), QFileInfo(csv).absolutePath());
    }

    // A draw typed in the data entry reaches the next window opened and the prediction at once,
    // with no restart.
    void aTypedDrawReachesTheWindowsOpenedAfterIt() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        DataEntryWindow* w = openEntry(main);
        QVERIFY(w);
        Prompt::setNextAnswer(QMessageBox::Yes, test::question(kAddQuestion));
        w->grid()->setCurrentIndex(w->grid()->model()->index(1, 1));
        w->addLine();
        QVERIFY(test::promptsUsedUp());
        for (int c = 1; c <= 4; ++c) typeInto(w->grid(), 2, c + 1, QString::number(c + 5));
        w->findChild<QPushButton*>("Command1")->click();
        QTRY_VERIFY(!main.findWindow("当選データ入力"));

        auto* sums = qobject_cast<AnalysisWindow*>(main.openWindow("数字合計分析"));
        QVERIFY(sums);
        const Sheet& sheet = sums->grid()->sheet();
        QStringList last;
        for (int c = 1; c <= sheet.columnCount(); ++c) last << sheet.text(c, sheet.rowCount());
        QVERIFY2(last.join(',').startsWith("3,6,7,8,9,30"), qPrintable(last.join(',')));
        sums->unload();

        auto* prediction = qobject_cast<PredictionWindow*>(main.openWindow("一発ピルモア"));
        QVERIFY(prediction);
        QCOMPARE(prediction->history()->latestDrawNo, 3);
        const PredictionSheets fresh =
            predictionSheets(predict(loadDrawHistory(db.connect), main.reflectOptions()));
        for (int k = 0; k < kPredictionGridCount; ++k)
            QCOMPARE(sheetsToTsv({&prediction->grid(k)->sheet()}), sheetsToTsv({&fresh[k]}));
    }

    // An import that blanks draws already stored: the open prediction is the one a fresh
    // start computes, nothing kept from before.
    void anImportThatBlanksDrawsGivesTheFreshPrediction() {
        std::vector<DrawRecord> rows = readDrawCsvFile(PIRUMOA_DATA_DIR "/numbers4_history.csv");
        rows.resize(39);
        test::TempDatabase db(rows);
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        main.show();
        QTRY_VERIFY(main.findWindow("一発ピルモア"));
        auto* prediction = qobject_cast<PredictionWindow*>(main.findWindow("一発ピルモア"));

        QTemporaryDir folder;
        const QString csv = folder.filePath("blank.csv");
        writeFile(csv, "38,,,,,\n39,,,,,\n");
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"登録済みと異なる回：2 件"}));
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"38"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"置き換え：2 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());

        const DrawHistory reread = loadDrawHistory(db.connect);
        QCOMPARE(reread.latestDrawNo, 37);
        const PredictionSheets fresh = predictionSheets(predict(reread, main.reflectOptions()));
        for (int k = 0; k < kPredictionGridCount; ++k)
            QCOMPARE(sheetsToTsv({&prediction->grid(k)->sheet()}), sheetsToTsv({&fresh[k]}));
    }

    void csvMenuEntriesFollowTheDataEntry() {
        test::TempDatabase db;
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QStringList names;
        for (QAction* a : main.findChild<QMenu*>("mnuHosyu")->actions())
            names << a->objectName() + "=" + a->text();
        QCOMPARE(names, QStringList({"mnuMasterInput=当選データ入力(&I)",
                                     "mnuUpdate=最新の当せん番号を取得(&U)...",
                                     "mnuUpdateSettings=当せん番号の取得元の設定(&S)...",
                                     "mnuCsvImport=CSVファイルから取り込み(&C)...",
                                     "mnuCsvExport=CSVファイルへ書き出し(&E)...",
                                     "mnuRestoreBackup=バックアップから復元(&R)...", "=",
                                     "mnuKonyuSyogo=購入数字の照合(&T)..."}));
    }

    // The draws of before an import come back through the menu, after a question, and the
    // program shows them at once, the open data entry included.
    void restoreFromABackupBringsBackTheDrawsOfBefore() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        const std::vector<DrawRecord> before = stored(db);
        const QString csv = db.dir.filePath("in.csv");
        writeFile(csv, "3,,1,1,1,1\n");
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"新しい回：1 件"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"追加：1 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QCOMPARE(main.history()->latestDrawNo, 3);

        DataEntryWindow* w = openEntry(main);
        QVERIFY(w);
        QCOMPARE(w->model()->storedCount(), 3);

        Prompt::setNextChoice(0);
        Prompt::setNextAnswer(QMessageBox::Yes, test::questionWith({"戻しますか"}));
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"復元しました", "backups"}));
        main.findChild<QAction*>("mnuRestoreBackup")->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), before);
        QCOMPARE(main.history()->latestDrawNo, 2);
        // The open data entry shows the restored draws and writes to the restored file.
        QCOMPARE(w->model()->storedCount(), 2);
        typeInto(w->grid(), 1, 2, "0");
        QCOMPARE(stored(db), test::draws({"1234", "0678"}));
    }

    void csvImportIsAllOrNothingAndReportsWhatItDid() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        startMain(main, db);
        const std::vector<DrawRecord> before = stored(db);
        const QString csv = db.dir.filePath("in.csv");

        // One bad line among thousands: named, and nothing changes.
        QByteArray big = "draw,date,d1,d2,d3,d4\n";
        for (int no = 3; no <= 5002; ++no)
            big += QByteArray::number(no) + (no == 4000 ? ",,1,2,3,12\n" : ",,1,2,3,4\n");
        writeFile(csv, big);
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(
            QMessageBox::Ok,
            test::refusalWith({QDir::toNativeSeparators(csv) + ":3999: ", "何も変更していません"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), before);

        // A good file: first what it holds, then the counts added, skipped, replaced.
        writeFile(csv, "1,,1,2,3,4\n2,,9,9,9,9\n3,2001-02-03,3,3,3,3\n");
        const Prompt::Expected preview =
            test::noticeWith({"当選データ：3 回分", "新しい回：1 件", "登録済みと同じ回：1 件",
                              "登録済みと異なる回：1 件（第2回）"});
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Cancel, preview);
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), before);

        const Prompt::Expected replace = test::questionWith({"第2回", "置き換えますか"});
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok, preview);
        // Other digits for draw 2: keep them, and the new draw goes in all the same.
        Prompt::setNextAnswer(QMessageBox::No, replace);
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::noticeWith({"追加：1 件", "置き換え：0 件",
                                                "登録済みの内容のまま残した回：1 件（第2回）"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
        std::vector<DrawRecord> kept = test::draws({"1234", "5678", "3333"});
        kept[2].date = "2001-02-03";
        QCOMPARE(stored(db), kept);

        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::noticeWith({"新しい回：0 件", "登録済みと異なる回：1 件"}));
        Prompt::setNextAnswer(QMessageBox::Yes, replace);
        Prompt::setNextAnswer(
            QMessageBox::Ok, test::noticeWith({"追加：0 件", "スキップ（同じ内容で登録済み）：2 件",
                                               "置き換え：1 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
        std::vector<DrawRecord> after = test::draws({"1234", "9999", "3333"});
        after[2].date = "2001-02-03";
        QCOMPARE(stored(db), after);

        // The same file again adds nothing.
        Prompt::setNextFileName(csv);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"登録済みと同じ回：3 件"}));
        Prompt::setNextAnswer(
            QMessageBox::Ok,
            test::noticeWith({"追加：0 件", "スキップ（同じ内容で登録済み）：3 件"}));
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(stored(db), after);

        // A cancelled dialog does nothing.
        Prompt::setNextFileName(QString());
        main.findChild<QAction*>("mnuCsvImport")->trigger();
        QVERIFY(test::promptsUsedUp());
    }

    void csvExportWritesWhatTheToolWritesAndKeepsAnOldFileOnFailure() {
        std::vector<DrawRecord> draws = test::draws({"1234", "5_7_"});
        draws[0].date = "1994-10-07";
        test::TempDatabase db(draws);
        MainFrm main;
        startMain(main, db);
        const QString out = db.dir.filePath("out.csv");
        Prompt::setNextFileName(out);
        Prompt::setNextAnswer(QMessageBox::Ok, test::noticeWith({"2 回分"}));
        main.findChild<QAction*>("mnuCsvExport")->trigger();
        QVERIFY(test::promptsUsedUp());

        QProcess cli;
        cli.start(PIRUMOA_CLI, {"export", "--db", db.connect.file});
        QVERIFY(cli.waitForFinished(30000));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), cli.readAllStandardOutput());

        // Into a folder that does not exist: said so.
        Prompt::setNextFileName(db.dir.filePath("none/out.csv"));
        Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"書き出せませんでした"}));
        main.findChild<QAction*>("mnuCsvExport")->trigger();
        QVERIFY(test::promptsUsedUp());
    }

    void killingTheProgramRightAfterTheFourthDigitLosesNothing() {
        std::vector<DrawRecord> draws = test::draws({"1234", "5678"});
        draws[0].date = "2026-08-20";
        draws[1].date = "2026-08-21";
        test::TempDatabase db(draws);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(m_cwd.path());
        child.start(QCoreApplication::applicationFilePath(), {"--edit-and-wait", db.dir.path()});
        QByteArray said;
        while (!said.contains("typed\n")) {
            QVERIFY2(child.waitForReadyRead(30000), child.readAllStandardError().constData());
            said += child.readAllStandardOutput();
        }
        QTest::qWait(200);
        child.kill();  // SIGKILL
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        // The next draw day after Friday the 21st is Monday the 24th.
        draws.push_back(test::draws({"1234"}, 3)[0]);
        draws[2].date = "2026-08-24";
        QCOMPARE(stored(db), draws);
    }

    void bigHistoryOpensQuickly() {
        std::vector<DrawRecord> many;
        for (int no = 1; no <= kMaxDrawNo; ++no) many.push_back(test::draws({"1234"}, no)[0]);
        test::TempDatabase db(many);
        MainFrm main;
        startMain(main, db);
        QElapsedTimer t;
        t.start();
        DataEntryWindow* w = openEntry(main);
        QCoreApplication::processEvents();
        const qint64 openMs = t.elapsed();
        QCOMPARE(w->model()->storedCount(), kMaxDrawNo);
        QCOMPARE(w->grid()->currentIndex().row(), kMaxDrawNo - 1);
        // The newest rows in view, five-digit draw numbers whole, without a sideways scroll.
        QVERIFY(w->grid()->columnWidth(0) >
                w->grid()->fontMetrics().horizontalAdvance(QString::number(kMaxDrawNo)));
        QVERIFY(!w->grid()->horizontalScrollBar()->isVisible());
        shoot(&main, "dataentry-full");
        t.restart();
        QTest::mouseClick(w->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QTRY_COMPARE(main.mdiArea()->subWindowList().size(), 0);
        qInfo("32,767 draws: opened in %lld ms, checked and closed in %lld ms", openMs,
              qint64(t.elapsed()));
    }

private:
    QTemporaryDir m_cwd;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--edit-and-wait") {
        MainFrm::installFonts();
        return runEditingChild(QString::fromLocal8Bit(argv[2]));
    }
    DataEntryTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_dataentry.moc"
