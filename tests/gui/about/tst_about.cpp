// The version window and the help, driven through the real main window offscreen: the help
// viewer is a stand-in script that records what it is started with and what it is sent, and
// once the real Qt Assistant, seen answering by the pages it lays out.
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

#include "gui/about/aboutwindow.h"
#include "gui/about/helpcommands.h"
#include "gui/shell/gridview.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

const QString kPrediction = QStringLiteral("一発ピルモア");

QList<QWidget*> versionWindows() {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("バージョン情報") && w->isVisible()) out << w;
    return out;
}

void choose(MainFrm& main, const char* action) { main.findChild<QAction*>(action)->trigger(); }

// A viewer that writes down its arguments, its locale and each line it is sent, in its folder.
class FakeViewer {
public:
    FakeViewer() {
        QFile script(m_dir.filePath(QStringLiteral("viewer")));
        script.open(QIODevice::WriteOnly);
        script.write(
            "#!/bin/sh\n"
            "dir=$(dirname \"$0\")\n"
            "printf '%s\\n' \"$@\" > \"$dir/args\"\n"
            "printf '%s|%s|%s\\n' \"$LANG\" \"$LC_ALL\" \"$LANGUAGE\" > \"$dir/locale\"\n"
            "echo $$ >> \"$dir/pids\"\n"
            "exec cat >> \"$dir/sent\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString program() const { return m_dir.filePath(QStringLiteral("viewer")); }
    QByteArray file(const char* name) const { return test::readFile(m_dir.filePath(name)); }

private:
    QTemporaryDir m_dir;
};

QByteArray shows(const QString& keyword) {
    return QStringLiteral("show index;activateKeyword %1;activateIdentifier %1\n")
        .arg(keyword)
        .toUtf8();
}

bool processGone(qint64 pid) { return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH; }

}  // namespace

class AboutHelpTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_cwd;  // the options file is written to the current directory at exit

private slots:
    void initTestCase() { QVERIFY(test::setUpWindowTests(m_cwd)); }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    void versionWindowAsDesigned() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        choose(main, "mnuAbout");
        QCOMPARE(versionWindows().size(), 1);
        QWidget* about = versionWindows()[0];
        QCOMPARE(about->windowTitle(), QString("バージョン情報"));

        // A window of its own, without minimise or maximise button, outside the working windows.
        QVERIFY(about->isWindow());
        QVERIFY(!about->parentWidget());
        QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(main.mdiArea()->subWindowList().isEmpty());
        QVERIFY(main.propEnd());

        auto label = [&](const char* name) { return about->findChild<QLabel*>(name); };
        QCOMPARE(label("Label1")->text(), QString("ナンバーズ４ピルモア"));
        QCOMPARE(label("Label6")->text(), QString("Lite"));
        QCOMPARE(label("Label3")->text(), QString(" Ver1.10"));
        QCOMPARE(
            label("Label4")->text(),
            QString("　　　　　一発ピルモアと高額当選を狙う！！　　　　　　　　　　「ナンバーズ４次"
                    "世代攻略ソフト」"));
        QCOMPARE(about->findChild<QPushButton*>("Command1")->text(), QString("閉じる"));
        // The Windows fonts asked for, drawn with the installed ones.
        for (const char* name : {"Label1", "Label6"}) {
            QCOMPARE(label(name)->font().family(), QString("HGS明朝E"));
            QCOMPARE(QFontInfo(label(name)->font()).family(), QString("IPAPMincho"));
        }
        for (const char* name : {"Label3", "Label4"}) {
            QCOMPARE(label(name)->font().family(), QString("ＭＳ Ｐゴシック"));
            QCOMPARE(QFontInfo(label(name)->font()).family(), QString("IPAPGothic"));
        }
        test::shoot(about, "about");

        // Chosen again, the one window comes to the front.
        QTRY_VERIFY(about->isActiveWindow());
        main.activateWindow();
        QTRY_VERIFY(main.isActiveWindow());
        choose(main, "mnuAbout");
        QCOMPARE(versionWindows(), QList<QWidget*>{about});
        QTRY_VERIFY(about->isActiveWindow());

        // Closing it unloads it.
        about->findChild<QPushButton*>("Command1")->click();
        QTRY_VERIFY(versionWindows().isEmpty());
        QTRY_VERIFY(!main.findChild<HelpCommands*>()->aboutWindow());

        // It opens over the middle of the main window, wherever that is, and Escape closes it.
        main.move(60, 40);
        choose(main, "mnuAbout");
        about = versionWindows()[0];
        QTRY_VERIFY(about->isActiveWindow());
        // Its own frame is unknown before it is first shown: a few pixels off.
        QVERIFY(
            (about->frameGeometry().center() - main.frameGeometry().center()).manhattanLength() <=
            8);
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(versionWindows().isEmpty());
    }

    // Coming back to the main window from the version window is an activation, which shows
    // the prediction window again.
    void returningFromTheVersionWindowShowsThePrediction() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        QTRY_VERIFY(main.isActiveWindow());

        choose(main, "mnuAbout");
        QWidget* about = versionWindows().value(0);
        QVERIFY(about);
        QTRY_COMPARE(QGuiApplication::focusWindow(), about->windowHandle());
        QVERIFY(!main.findWindow(kPrediction));
        main.activateWindow();  // the user clicks the main window
        QTRY_VERIFY(main.findWindow(kPrediction));
        QVERIFY(!main.propEnd());
        QCOMPARE(main.mdiArea()->subWindowList().size(), 1);
    }

    // The help command and F1 send the viewer the index and the topic, to one viewer that is
    // started once, in Japanese, and ends with the program.
    void helpCommandsDriveOneViewer() {
        FakeViewer viewer;
        qint64 pid = 0;
        {
            test::TempDatabase db(test::draws({"1234"}));
            MainFrm main;
            QVERIFY(main.start(db.dir.path()));
            QVERIFY(test::showWithoutPrediction(main));
            main.findChild<HelpCommands*>()->viewer().setProgram(viewer.program());
            QTRY_VERIFY(main.isActiveWindow());

            choose(main, "mnuHelpFile");
            choose(main, "mnuHelpFile");
            const QByteArray program = shows("ピルモア４Liteについて");
            QTRY_COMPARE(viewer.file("sent"), program + program);
            QCOMPARE(viewer.file("pids").count('\n'), 1);
            const QString collection = HelpViewer::collectionFile();
            QVERIFY(collection.endsWith("/share/pirumoa/help/ナンバーズ4ピルモアL.qhc"));
            QVERIFY(QFile::exists(collection));
            QCOMPARE(viewer.file("args"),
                     "-collectionFile\n" + collection.toUtf8() + "\n-enableRemoteControl\n");
            QCOMPARE(viewer.file("locale"), QByteArray("ja_JP.UTF-8|ja_JP.UTF-8|ja\n"));

            // F1: the topic of the window in use.
            QByteArray sent = viewer.file("sent");
            QTest::keyClick(&main, Qt::Key_F1);
            sent += shows("ナンバーズ4ピルモアLite");
            QTRY_COMPARE(viewer.file("sent"), sent);

            ChildWindow* frequency = main.openWindow("出現頻度分析");
            QVERIFY(frequency);
            auto* grid = frequency->findChild<GridView*>();
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_F1);
            sent += shows("出現頻度分析");
            QTRY_COMPARE(viewer.file("sent"), sent);

            choose(main, "mnuAbout");
            QWidget* about = versionWindows().value(0);
            QVERIFY(about);
            QTRY_VERIFY(about->isActiveWindow());
            QTest::keyClick(about, Qt::Key_F1);
            sent += shows("バージョン情報");
            QTRY_COMPARE(viewer.file("sent"), sent);
            QCOMPARE(viewer.file("pids").count('\n'), 1);

            pid = viewer.file("pids").trimmed().toLongLong();
            QVERIFY(pid > 0);
            QVERIFY(!processGone(pid));
            main.close();
        }
        QTRY_VERIFY(processGone(pid));
    }

    // A program folder copied without its help: the user is told where the help belongs, and
    // no viewer is started only to complain on standard error.
    void missingHelpCollectionSaysWhereItBelongs() {
        FakeViewer viewer;
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        HelpViewer& help = main.findChild<HelpCommands*>()->viewer();
        help.setProgram(viewer.program());
        help.setCollection(db.dir.filePath("help/ナンバーズ4ピルモアL.qhc"));
        Prompt::setNextAnswer(
            QMessageBox::Ok, test::refusalWith({db.dir.filePath("help/ナンバーズ4ピルモアL.qhc")}));
        choose(main, "mnuHelpFile");
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(viewer.file("pids"), QByteArray());
    }

    // A viewer that cannot be started is reported.
    void missingViewerIsReported() {
        test::TempDatabase db(test::draws({"1234"}));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        for (const QString& program : {QString("/nonexistent/assistant"), QString()}) {
            main.findChild<HelpCommands*>()->viewer().setProgram(program);
            Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"Qt Assistant"}));
            choose(main, "mnuHelpFile");
            QVERIFY(test::promptsUsedUp());
        }
    }

    // The real Qt Assistant on the built collection, offscreen: it lays out the topic it was
    // sent to (its page viewer logs each picture it loads), in Japanese, and ends with us.
    void realViewerShowsTheTopics() {
        const QString program = HelpViewer::installedProgram();
        if (program.isEmpty()) QSKIP("Qt Assistant is not installed (Debian: assistant-qt6)");
        QVERIFY(QFile::exists(HelpViewer::collectionFile()));
        QTemporaryDir data;  // the viewer's own copy of the collection goes here
        const QString log = data.filePath("stderr");
        qint64 pid = 0;
        {
            HelpViewer viewer;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_DATA_HOME", data.path());
            env.insert("QT_QPA_PLATFORM", "offscreen");
            env.insert("QT_LOGGING_RULES", "qlitehtml.debug=true");
            viewer.process().setProcessEnvironment(env);
            viewer.process().setProcessChannelMode(QProcess::SeparateChannels);
            viewer.process().setStandardErrorFile(log);

            // The program's topic is the page with the version window's picture; the start
            // page has none.
            QVERIFY(viewer.show(HelpCommands::kProgramKeyword));
            pid = viewer.process().processId();
            QTRY_VERIFY_WITH_TIMEOUT(
                test::readFile(log).contains("load_image: src = \"images/mnuAbout.png\""), 15000);
            QVERIFY(!test::readFile(log).contains("mnuSyutugenHindo.png"));

            // Its menus in Japanese.
            const QByteArray maps = test::readFile(QStringLiteral("/proc/%1/maps").arg(pid));
            QVERIFY(maps.contains("/assistant_ja.qm"));
            QVERIFY(maps.contains("/qt_help_ja.qm"));

            // The same viewer takes the next keyword.
            QVERIFY(viewer.show(QStringLiteral("出現頻度分析")));
            QTRY_VERIFY_WITH_TIMEOUT(
                test::readFile(log).contains("load_image: src = \"images/mnuSyutugenHindo.png\""),
                15000);
            QCOMPARE(viewer.process().processId(), pid);
        }
        QVERIFY(processGone(pid));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    AboutHelpTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_about.moc"
