// Drives the real prediction window inside the real main window. The program runs in a
// temporary current directory, where the options file lives.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <random>

#include "core/prediction/methods.h"
#include "core/prediction/predictionsheets.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;
using test::shoot;

namespace {

const QString kWindow = QStringLiteral("一発ピルモア");
const QString kIni = QStringLiteral("ナンバーズ4ピルモア.ini");

// Draws 1, 8, 9, 18 and the incomplete draw 10: the cycle method finds 1234 (7 draws) and
// 5678 (9 draws), and the elimination rows read zeros for the missing draws, so every
// option moves the elimination to other digits.
std::vector<DrawRecord> gappedDraws() {
    std::vector<DrawRecord> rows = test::draws({"1234"}, 1);
    for (const DrawRecord& r : test::draws({"1234", "5678", "5_78"}, 8)) rows.push_back(r);
    rows.push_back(test::draws({"5678"}, 18).front());
    return rows;
}

// 1234, 5678 and 9999 recur after 7, 9 and 11 draws: nine rapid-fire digits.
std::vector<DrawRecord> nineRapidFireDigits() {
    return test::draws({"1234", "0000", "0000", "0000", "0000", "0000", "0000", "1234",
                        "5678", "0000", "0000", "0000", "0000", "0000", "0000", "0000",
                        "0000", "5678", "9999", "0000", "0000", "0000", "0000", "0000",
                        "0000", "0000", "0000", "0000", "0000", "9999"});
}

// The digit cells of the four grids as shown: "." for an empty cell, rows joined by "/",
// grids by " | ".
QString shownDigits(const PredictionWindow* w) {
    std::vector<const Sheet*> grids;
    for (int k = 0; k < kPredictionGridCount; ++k) grids.push_back(&w->grid(k)->sheet());
    return test::predictionDigits(grids);
}

// Which pairs show "反映する", as a string of 0 and 1.
QString selectedPairs(const PredictionWindow* w) {
    QString out;
    for (int i = 0; i < PredictionWindow::kPairCount; ++i) {
        const bool on = w->optionButton(i, true)->isChecked();
        if (on == w->optionButton(i, false)->isChecked()) return QStringLiteral("both or none");
        out += on ? QLatin1Char('1') : QLatin1Char('0');
    }
    return out;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray iniText(const QList<bool>& on) {
    static const char* const keys[] = {
        "頻度分析Opt",      "間隔分析Opt",       "出現回数分析Opt", "バラツキ分析Opt",
        "引っ張り分析Opt",  "連番飛び石分析Opt", "数字合計分析Opt", "組合せパターン分析Opt",
        "5分割傾向分析Opt", "分割データ分析Opt"};
    QByteArray out;
    for (int i = 0; i < 10; ++i)
        out += QByteArray(keys[i]) + "=" + (on.value(i) ? "True" : "False") + "\r\n";
    return out;
}

QColor rgbOf(Rgb c) { return QColor::fromRgb(QRgb(0xFF000000u | c)); }

// The child half of the read-only exit test: start as an unprivileged user (root writes
// anywhere), open the window, switch option 2 on, exit. The exit must say why the options
// were not written; prints whether it did.
int exitInReadOnlyFolder(int argc, char** argv, const QString& folder) {
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) return 3;
    }
    if (!QDir::setCurrent(folder)) return 4;
    QApplication app(argc, argv);
    MainFrm::installFonts();
    test::guardPrompts();
    MainFrm main;
    if (!main.start(folder)) return 5;
    main.show();
    auto* window = qobject_cast<PredictionWindow*>(main.openWindow(kWindow));
    if (!window) return 6;
    // Said at the click, which cannot be saved, and again at the exit.
    Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({kIni, "権限"}));
    window->optionButton(2, true)->click();
    window->optionButton(3, true)->click();  // said once, not at every click
    Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({kIni, "権限"}));
    main.close();
    const bool released = main.history()->rows.empty() && !main.isVisible();
    std::printf("said why=%d\n", test::promptsUsedUp() ? 1 : 0);
    std::printf("released=%d\n", released ? 1 : 0);
    return 0;
}

// The child half of the crash test: opens the window in folder, switches option 4 on by the
// mouse and is killed at once, with no exit of any kind.
int killAfterClick(int argc, char** argv, const QString& folder) {
    if (!QDir::setCurrent(folder)) return 4;
    QApplication app(argc, argv);
    test::guardPrompts();
    MainFrm main;
    if (!main.start(folder)) return 5;
    main.show();
    if (!QTest::qWaitFor([&] { return main.findWindow(kWindow) != nullptr; }, 5000)) return 6;
    auto* window = qobject_cast<PredictionWindow*>(main.findWindow(kWindow));
    QTest::mouseClick(window->optionButton(4, true), Qt::LeftButton);
    ::kill(::getpid(), SIGKILL);
    return 7;
}

}  // namespace

class PredictionWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;

    // Start-up as the program does it; activation opens the prediction window.
    static PredictionWindow* startAndShow(MainFrm& main, const test::TempDatabase& db) {
        if (!main.start(db.dir.path())) return nullptr;
        main.show();
        if (!QTest::qWaitFor([&] { return main.findWindow(kWindow) != nullptr; }, 5000))
            return nullptr;
        return qobject_cast<PredictionWindow*>(main.findWindow(kWindow));
    }

    static void closeWindow(MainFrm& main, PredictionWindow* w) {
        QTest::mouseClick(w->findChild<QPushButton*>("Cmd閉じる"), Qt::LeftButton);
        QTRY_VERIFY(main.findWindow(kWindow) == nullptr);
    }

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }

    void init() { QFile::remove(kIni); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void startUpShowsTheWindowAsDesigned() {
        test::TempDatabase db(gappedDraws());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        QVERIFY(!main.propEnd());
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
        QMdiSubWindow* sub = main.mdiArea()->subWindowList().front();
        QCOMPARE(sub->windowTitle(), QString("一発ピルモア予想"));
        QCOMPARE(sub->geometry(), QRect(0, 0, 9360 / 15, 8244 / 15));
        QVERIFY(main.findChild<QAction*>("mnuYoso")->isEnabled());
        QApplication::processEvents();
        shoot(&main, "prediction");
        shoot(w, "prediction-window");

        // Every control at its designed place (twips / 15), inside its frame where it has one.
        struct Placed {
            const char* name;
            const char* text;
            int x, y, w, h;
        };
        const Placed placed[] = {
            {"Cmd閉じる", "閉じる", 8160, 60, 855, 375},
            {"Frame3", "データ分析オプション", 120, 480, 3855, 7272},
            {"Label15", "各データ分析の分析結果を当選予想へ反映するかを設定します。", 120, 240,
             3615, 615},
            {"Frame2", "当選予想", 4080, 480, 5055, 7272},
            {"Label19",
             "各データ分析の結果を元に周期法、消去法、連発ピルモア、一発ピルモアの各手法を用いて"
             "当選数字を予想します。",
             240, 240, 4575, 375},
            {"Label1", "●周期法による予想(この予想数字を組合わせて購入します)", 120, 840, 4812,
             372},
            {"Label2", "●消去法による予想(この予想数字を組合わせて購入します)", 120, 2640, 4812,
             252},
            {"Label3", "●連発ピルモア予想(この予想数字を組む合わせて購入します)", 120, 4200, 4812,
             252},
            {"Label4", "●一発ピルモア予想", 120, 5520, 4452, 252},
        };
        for (const Placed& p : placed) {
            QWidget* c = w->findChild<QWidget*>(QString::fromUtf8(p.name));
            QVERIFY2(c, p.name);
            QString text;
            if (auto* l = qobject_cast<QLabel*>(c)) text = l->text();
            if (auto* b = qobject_cast<QPushButton*>(c)) text = b->text();
            if (auto* g = qobject_cast<QGroupBox*>(c)) text = g->title();
            QCOMPARE(text, QString::fromUtf8(p.text));
            const QRect r = c->geometry();
            QCOMPARE(r.topLeft(), QPoint(p.x / 15, p.y / 15));
            QCOMPARE(r.width(), p.w / 15);
            // A label may grow downwards to show its whole text, never upwards.
            QVERIFY2(r.height() >= p.h / 15, p.name);
            if (auto* l = qobject_cast<QLabel*>(c))
                QVERIFY2(r.height() >= l->heightForWidth(r.width()), p.name);
        }

        const char* const captions[] = {"■頻度分析（出現頻度分析）",
                                        "■間隔分析（出現間隔分析）",
                                        "■出現回数分析",
                                        "■バラツキ分析",
                                        "■引っ張り分析",
                                        "■連番・飛び石分析",
                                        "■数字合計分析",
                                        "■組合せパターン分析",
                                        "■4分割傾向分析",
                                        "■分割データ分析",
                                        "■下一桁出現傾向分析",
                                        "■下一桁連続出現回数分析"};
        for (int i = 0; i < PredictionWindow::kPairCount; ++i) {
            auto* frame = w->findChild<QGroupBox*>(QStringLiteral("Frame%1").arg(4 + i));
            QVERIFY(frame);
            QCOMPARE(frame->title(), QString::fromUtf8(captions[i]));
            QCOMPARE(frame->geometry(), QRect(120 / 15, (720 + 540 * i) / 15, 3615 / 15, 495 / 15));
            QRadioButton* on = w->optionButton(i, true);
            QRadioButton* off = w->optionButton(i, false);
            QCOMPARE(on->objectName(), QStringLiteral("Opt反映する_%1").arg(i));
            QCOMPARE(off->objectName(), QStringLiteral("Opt反映しない_%1").arg(i));
            QCOMPARE(on->text(), QString("反映する"));
            QCOMPARE(off->text(), QString("反映しない"));
            QCOMPARE(on->x(), 480 / 15);
            QCOMPARE(off->x(), 1920 / 15);
            QVERIFY(on->geometry().right() < off->x());
            QVERIFY(off->geometry().right() < frame->width());
            QVERIFY(on->y() > 495 / 15 / 4 && on->geometry().bottom() < 495 / 15 - 2);
            QVERIFY(on->width() >= on->sizeHint().width());
            QVERIFY(off->width() >= off->sizeHint().width());
        }
        QCOMPARE(selectedPairs(w), QString("000000000000"));

        // Colours as painted, not only as set: the frames' backgrounds, the red labels, the
        // button.
        const QImage shot = w->grab().toImage();
        auto pixelIn = [&](const char* name, QPoint offset) {
            QWidget* c = w->findChild<QWidget*>(name);
            return QColor(shot.pixel(c->mapTo(w, offset)));
        };
        QCOMPARE(pixelIn("Frame3", QPoint(3855 / 15 - 6, 7272 / 15 - 6)),
                 rgbOf(rgb(192, 255, 255)));
        QCOMPARE(pixelIn("Frame2", QPoint(5055 / 15 - 6, 7272 / 15 - 6)),
                 rgbOf(rgb(192, 255, 255)));
        QCOMPARE(pixelIn("Frame4", QPoint(3615 / 15 - 6, 495 / 15 - 5)), rgbOf(rgb(255, 192, 255)));
        QCOMPARE(pixelIn("Label1", QPoint(4812 / 15 - 2, 2)), rgbOf(rgb(192, 255, 255)));
        QCOMPARE(pixelIn("Opt反映しない_0", QPoint(70, 1)), rgbOf(rgb(255, 192, 255)));
        for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
            auto* l = w->findChild<QLabel*>(name);
            bool red = false;
            for (int y = 0; y < l->height() && !red; ++y)
                for (int x = 0; x < l->width() && !red; ++x) {
                    const QColor c = pixelIn(name, QPoint(x, y));
                    red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
                }
            QVERIFY2(red, name);
        }
        auto* close = w->findChild<QPushButton*>("Cmd閉じる");
        const QColor face = pixelIn("Cmd閉じる", QPoint(6, close->height() / 2));
        // The style shades the face; it stays the light yellow.
        QVERIFY2(face.red() > 230 && face.green() > 230 && face.blue() < face.red() - 15,
                 qPrintable(face.name()));

        // The four grids: at their places in the window, showing every cell without scrolling.
        const int gridY[] = {1680, 3480, 5040, 6360};
        for (int k = 0; k < kPredictionGridCount; ++k) {
            GridView* g = w->grid(k);
            QCOMPARE(g->objectName(), QStringLiteral("fpSpread1_%1").arg(k));
            QCOMPARE(g->mapTo(w, QPoint(0, 0)), QPoint(4320 / 15, gridY[k] / 15));
            QCOMPARE(g->size(), g->contentSize());
            // As wide as designed, give or take the rounding of the columns.
            QVERIFY2(g->width() <= 4680 / 15 && g->width() >= 4680 / 15 - 4,
                     qPrintable(QString::number(g->width())));
            // The labels fit their column rather than running over or being cut.
            for (int r = 2; r <= g->sheet().rowCount(); ++r)
                QCOMPARE(g->textSpan(1, r), std::make_pair(1, 1));
            QCOMPARE(g->sheet().rowCount(), 5 - k);
            QCOMPARE(g->verticalScrollBar()->maximum(), 0);
            QCOMPARE(g->horizontalScrollBar()->maximum(), 0);
            QCOMPARE(g->currentColumn(), 0);
            QCOMPARE(g->currentRow(), 0);
            QCOMPARE(g->sheet().text(2, 1), QString("             予 想 数 字                   "));
            QCOMPARE(g->font().family(), QString("ＭＳ Ｐゴシック"));
            // Each grid ends above the next label and inside its frame.
            QVERIFY(g->geometry().bottom() < g->parentWidget()->height());
        }
        QVERIFY(w->grid(0)->geometry().bottom() < w->findChild<QWidget*>("Label2")->y());
        QVERIFY(w->grid(1)->geometry().bottom() < w->findChild<QWidget*>("Label3")->y());
        QVERIFY(w->grid(2)->geometry().bottom() < w->findChild<QWidget*>("Label4")->y());
        QCOMPARE(shownDigits(w),
                 QString("1234/5678/..../.... | 6592/8431/70.. | 3456/7821 | 4567"));

        // Everything is inside the window's client area: at its design size nothing scrolls.
        for (QWidget* c : {w->findChild<QWidget*>("Frame2"), w->findChild<QWidget*>("Frame3"),
                           w->findChild<QWidget*>("Cmd閉じる")})
            QVERIFY2(w->rect().contains(c->geometry()), qPrintable(c->objectName()));
        auto* scroll = w->findChild<QScrollArea*>();
        QVERIFY(scroll);
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
    }

    void optionClicksRecomputeAndUndoExactly() {
        test::TempDatabase db(gappedDraws());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        const QString before = shownDigits(w);
        QCOMPARE(before, QString("1234/5678/..../.... | 6592/8431/70.. | 3456/7821 | 4567"));

        // On: the elimination reads one draw further back (draw 17, missing: zeros).
        QTest::mouseClick(w->optionButton(0, true), Qt::LeftButton);
        QVERIFY(main.reflectOptions()[0]);
        QCOMPARE(shownDigits(w),
                 QString("1234/5678/..../.... | 1892/4376/0... | 1234/5678 | 1236"));
        QCOMPARE(selectedPairs(w), QString("100000000000"));

        // Clicking the selected button again computes the same.
        QTest::mouseClick(w->optionButton(0, true), Qt::LeftButton);
        QCOMPARE(shownDigits(w),
                 QString("1234/5678/..../.... | 1892/4376/0... | 1234/5678 | 1236"));

        // Off again: exactly the first result, nothing left over from the second.
        QTest::mouseClick(w->optionButton(0, false), Qt::LeftButton);
        QVERIFY(!main.reflectOptions()[0]);
        QCOMPARE(shownDigits(w), before);

        // Pairs 10 and 11 have no option behind them: nothing stored, nothing changes.
        const ReflectOptions options = main.reflectOptions();
        for (int pair : {10, 11}) {
            QTest::mouseClick(w->optionButton(pair, true), Qt::LeftButton);
            QVERIFY(w->optionButton(pair, true)->isChecked());
            QVERIFY(main.reflectOptions() == options);
            QCOMPARE(shownDigits(w), before);
        }

        // The pairs are independent; within a pair the keyboard moves the choice.
        QTest::mouseClick(w->optionButton(3, true), Qt::LeftButton);
        w->optionButton(5, false)->setFocus();
        QTest::keyClick(w->optionButton(5, false), Qt::Key_Left);
        QVERIFY(w->optionButton(5, true)->isChecked());
        QVERIFY(main.reflectOptions()[5]);
        QCOMPARE(selectedPairs(w), QString("000101000011"));
        QCOMPARE(reflectCount(main.reflectOptions()), 2);
        QTest::keyClick(w->optionButton(5, true), Qt::Key_Right);
        QVERIFY(!main.reflectOptions()[5]);
        QCOMPARE(shownDigits(w),
                 QString("1234/5678/..../.... | 1892/4376/0... | 1234/5678 | 1236"));
    }

    void choicesSurviveCloseAndReopenAndExitWritesThem() {
        test::TempDatabase db(gappedDraws());
        {
            MainFrm main;
            PredictionWindow* w = startAndShow(main, db);
            QVERIFY(w);
            // While it is open, the data entry is refused.
            Prompt::setNextAnswer(QMessageBox::Ok,
                                  test::refusal("表示中のウィンドウを閉じないと実行できません。"));
            main.findChild<QAction*>("mnuMasterInput")->trigger();
            QVERIFY(test::promptsUsedUp());
            QCOMPARE(main.mdiArea()->subWindowList().size(), 1);

            for (int i : {0, 3, 5, 10}) w->optionButton(i, true)->click();
            const QString three = shownDigits(w);
            QCOMPARE(three, QString("1234/5678/..../.... | 1892/4376/0... | 1234/5678 | 1236"));
            // Saved at each click.
            QCOMPARE(test::readFile(kIni), iniText({true, false, false, true, false, true}));
            closeWindow(main, w);
            QVERIFY(main.propEnd());

            main.findChild<QAction*>("mnuYoso")->trigger();
            w = qobject_cast<PredictionWindow*>(main.findWindow(kWindow));
            QVERIFY(w);
            QVERIFY(!main.propEnd());
            // Pairs 10 and 11 are not remembered.
            QCOMPARE(selectedPairs(w), QString("100101000000"));
            QCOMPARE(shownDigits(w), three);
            // Chosen again while open, it is only brought to the front.
            main.findChild<QAction*>("mnuYoso")->trigger();
            QCOMPARE(main.findWindow(kWindow), w);
            QCOMPARE(main.mdiArea()->subWindowList().size(), 1);

            main.findChild<QAction*>("mnuEnd")->trigger();
            QVERIFY(!main.isVisible());
            QVERIFY(test::promptsUsedUp());
        }
        QCOMPARE(test::readFile(kIni), iniText({true, false, false, true, false, true}));

        // The next start reads them before anything is shown.
        {
            MainFrm main;
            QVERIFY(main.start(db.dir.path()));
            QVERIFY(main.reflectOptions()[5]);
            QCOMPARE(reflectCount(main.reflectOptions()), 3);
            main.show();
            QTRY_VERIFY(main.findWindow(kWindow));
            auto* w = qobject_cast<PredictionWindow*>(main.findWindow(kWindow));
            QCOMPARE(selectedPairs(w), QString("100101000000"));
        }
    }

    // Clicks by the mouse and the keyboard, alone or several within one turn of the event loop,
    // with pauses of every length between: after each, every pair shows the option in use, and
    // the prediction and the options file use the same.
    void everyClickLeavesButtonsPredictionAndFileAgreeing() {
        test::TempDatabase db(gappedDraws());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        std::mt19937 random(19);
        ReflectOptions expected{};
        for (int click = 0; click < 200;) {
            const int burst = random() % 4 == 0 ? 2 + int(random() % 3) : 1;
            for (int b = 0; b < burst && click < 200; ++b, ++click) {
                const int pair = int(random() % PredictionWindow::kPairCount);
                const bool on = random() % 2 == 0;
                QRadioButton* button = w->optionButton(pair, on);
                QRadioButton* other = w->optionButton(pair, !on);
                bool chosen = true;
                switch (random() % 3) {
                    case 0:
                        QTest::mouseClick(button, Qt::LeftButton);
                        break;
                    case 1:
                        button->setFocus();
                        QTest::keyClick(button, Qt::Key_Space);
                        break;
                    default:
                        // An arrow key moves the choice only from the selected button.
                        chosen = other->isChecked();
                        other->setFocus();
                        QTest::keyClick(other, on ? Qt::Key_Left : Qt::Key_Right);
                        break;
                }
                if (chosen && pair < kReflectOptionCount) expected[std::size_t(pair)] = on;
                const QByteArray at = "click " + QByteArray::number(click);
                QVERIFY2(main.reflectOptions() == expected, at);
                for (int i = 0; i < kReflectOptionCount; ++i)
                    QVERIFY2(w->optionButton(i, expected[std::size_t(i)])->isChecked() &&
                                 !w->optionButton(i, !expected[std::size_t(i)])->isChecked(),
                             at + " pair " + QByteArray::number(i));
                ReflectOptions saved{};
                readInitFile(saved, kIni);  // none yet while nothing was chosen
                QVERIFY2(saved == expected, at);
                const PredictionSheets fresh = predictionSheets(predict(*main.history(), expected));
                QCOMPARE(shownDigits(w),
                         test::predictionDigits({&fresh[0], &fresh[1], &fresh[2], &fresh[3]}));
            }
            if (const int pause = int(random() % 6)) QTest::qWait(pause * 15);
        }
    }

    // The data entry opens only while no other window is open: closing one of two is not enough.
    void dataEntryWaitsForEveryWindowToClose() {
        test::TempDatabase db(gappedDraws());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        ChildWindow* frequency = main.openWindow("出現頻度分析");
        QVERIFY(frequency);
        frequency->unload();
        QTRY_VERIFY(!main.findWindow("出現頻度分析"));
        Prompt::setNextAnswer(QMessageBox::Ok,
                              test::refusal("表示中のウィンドウを閉じないと実行できません。"));
        main.findChild<QAction*>("mnuMasterInput")->trigger();
        QVERIFY(test::promptsUsedUp());
        QVERIFY(!main.findWindow("当選データ入力"));

        closeWindow(main, w);
        main.findChild<QAction*>("mnuMasterInput")->trigger();
        QVERIFY(main.findWindow("当選データ入力"));
    }

    // Killed right after a click, the program has already saved it: the next start shows it.
    void anOptionSurvivesAKillRightAfterItsClick() {
        QTemporaryDir folder;
        {
            test::TempDatabase db(gappedDraws());
            QVERIFY(QFile::copy(db.connect.file, folder.filePath("Numbers4Pirumoa.mdb")));
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--kill-after-click", folder.path()});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        QVERIFY(QDir::setCurrent(folder.path()));
        {
            MainFrm main;
            QVERIFY(main.start(folder.path()));
            main.show();
            QTRY_VERIFY(main.findWindow(kWindow));
            auto* w = qobject_cast<PredictionWindow*>(main.findWindow(kWindow));
            QCOMPARE(selectedPairs(w), QString("000010000000"));
        }
        QVERIFY(QDir::setCurrent(m_cwd.path()));
    }

    void emptyHistoryOpensWithEmptyDigits() {
        test::TempDatabase db;
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        w->optionButton(4, true)->click();
        QCOMPARE(shownDigits(w),
                 QString("..../..../..../.... | ..../..../.... | ..../.... | ...."));
        QCOMPARE(w->grid(0)->sheet().text(1, 2), QString(" 7回周期法"));
        QCOMPARE(w->grid(3)->sheet().text(1, 2), QString("１発予想"));
    }

    // The window names the draw it predicts where it leaves its own caption and layout alone:
    // in the status bar while it is the active window, and on its grids' copies and prints.
    void theDrawPredictedIsNamedInTheStatusBarAndOnCopies() {
        std::vector<DrawRecord> rows = test::draws({"1234", "5678", "9012", "34__"});
        rows[2].date = "2026-08-21";  // a Friday
        test::TempDatabase db(rows);
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        const QString title = "第4回（2026-08-24）の予想";
        QCOMPARE(w->predictedDrawTitle(), title);
        auto shown = [&] {
            auto* label = main.statusBar()->findChild<QLabel*>("predictedDraw");
            return label && label->isVisible() ? label->text() : QString();
        };
        QTRY_COMPARE(shown(), title);
        QCOMPARE(main.mdiArea()->subWindowList().front()->windowTitle(),
                 QString("一発ピルモア予想"));

        GridView* grid = w->grid(3);
        grid->selectAll();
        grid->copy();
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied->text().startsWith(title + "\n\t"));
        QVERIFY(copied->html().contains(title));
        QCOMPARE(grid->printTitle(), "一発ピルモア予想　" + title);

        // Another window in front: the status bar no longer speaks for the prediction.
        QVERIFY(main.openWindow("出現頻度分析"));
        QTRY_COMPARE(shown(), QString());
        QCOMPARE(main.openWindow(kWindow), w);
        QTRY_COMPARE(shown(), title);
        closeWindow(main, w);
        QTRY_VERIFY(!main.statusBar()->findChild<QLabel*>("predictedDraw"));
    }

    void aThirdRapidFireRowPushesTheOneShotDown() {
        test::TempDatabase db(nineRapidFireDigits());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        QCOMPARE(w->grid(2)->sheet().rowCount(), 4);
        QCOMPARE(w->grid(2)->size(), w->grid(2)->contentSize());
        QCOMPARE(shownDigits(w).section(" | ", 2, 2), QString("1234/5678/9..."));
        auto* label4 = w->findChild<QWidget*>("Label4");
        QVERIFY(w->grid(2)->geometry().bottom() < label4->y());
        QVERIFY(label4->geometry().bottom() < w->grid(3)->y());
        QVERIFY(w->grid(3)->geometry().bottom() < w->grid(3)->parentWidget()->height());
        shoot(w, "prediction-nine");
    }

    // Another window of the program takes the focus and goes; then the window manager hands
    // the focus back to the main window (nothing else does that here).
    static void visitAndComeBack(MainFrm& main, QWidget* other) {
        other->show();
        other->activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), other->windowHandle());
        other->close();
        main.activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), main.windowHandle());
    }

    void activationReopensTheWindowOnlyAfterAnotherWindowOfTheProgram() {
        test::TempDatabase db(gappedDraws());
        MainFrm main;
        PredictionWindow* w = startAndShow(main, db);
        QVERIFY(w);
        closeWindow(main, w);
        QTRY_VERIFY(main.isActiveWindow());

        // Dialogs never count: a message box, a question of a working window, a file dialog.
        ChildWindow* asking = main.openWindow("出現頻度分析");
        QVERIFY(asking);
        {
            QMessageBox box(QMessageBox::Information, "x", "x", QMessageBox::Ok, &main);
            visitAndComeBack(main, &box);
            QMessageBox question(QMessageBox::Warning, "x", "x", QMessageBox::Yes | QMessageBox::No,
                                 asking);
            visitAndComeBack(main, &question);
            QFileDialog files(&main);
            files.setOption(QFileDialog::DontUseNativeDialog);
            visitAndComeBack(main, &files);
            QTest::qWait(50);
            QVERIFY(main.findWindow(kWindow) == nullptr);
        }
        asking->unload();

        // A menu of the main window is part of it: closing the menu reopens nothing.
        QMenu* menu = main.findChild<QMenu*>("mnuMain");
        menu->popup(main.mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(menu->isVisible());
        menu->windowHandle()->requestActivate();  // as an X server does for a menu
        QTRY_COMPARE(QGuiApplication::focusWindow(), menu->windowHandle());
        menu->close();
        main.activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), main.windowHandle());
        QTest::qWait(50);
        QVERIFY(main.findWindow(kWindow) == nullptr);

        // A separate window of the program that is no dialog (as the About window is): back
        // in the main window, the prediction window is there again.
        QWidget separate(nullptr, Qt::Window);
        separate.resize(200, 100);
        visitAndComeBack(main, &separate);
        QTRY_VERIFY(main.findWindow(kWindow) != nullptr);
        QVERIFY(!main.propEnd());
    }

    void unwritableFolderAtExitIsReportedAndTheExitGoesOn() {
        // A folder of its own that only the test may write; the child gives up root.
        QTemporaryDir dir;
        const QString folder = dir.filePath("ro");
        QVERIFY(QDir().mkdir(folder));
        {
            test::TempDatabase db(gappedDraws());
            QVERIFY(QFile::copy(db.connect.file, folder + "/Numbers4Pirumoa.mdb"));
        }
        const QByteArray old = iniText({true});
        writeBytes(folder + "/" + kIni, old);
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder + "/Numbers4Pirumoa.mdb").constData(), 0644) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder + "/" + kIni).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--exit-in-read-only-folder", folder});
        QVERIFY(child.waitForFinished(60000));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        const QString errors = QString::fromUtf8(child.readAllStandardError());
        QVERIFY2(child.exitCode() == 0, qPrintable(out + errors));

        // What the child's message lacked, if anything, is on its standard error.
        QVERIFY2(out == "said why=1\nreleased=1\n", qPrintable(out + errors));
        QCOMPARE(test::readFile(folder + "/" + kIni), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--kill-after-click") == 0) {
        int childArgc = 1;
        return killAfterClick(childArgc, argv, QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 3 && qstrcmp(argv[1], "--exit-in-read-only-folder") == 0) {
        int childArgc = 1;
        return exitInReadOnlyFolder(childArgc, argv, QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    PredictionWindowTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_predictionwindow.moc"
