// The real program from start to end: it answers on every start, and every way of ending it
// from outside ends it as "終了" does, writing the options file or keeping the old one whole.
#include <sched.h>
#include <signal.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "core/prediction/options.h"
#include "gui/maintenance/dataentrywindow.h"
#include "gui/maintenance/drawtablemodel.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/program.h"
#include "gui/shell/prompt.h"
#include "testsupport.h"
#include "widgetsupport.h"

using namespace pirumoa;

namespace {

const QByteArray kOddOptions = "頻度分析Opt=true\r\nバラツキ分析Opt=-1\r\n";
const QByteArray kWrittenOptions =
    "頻度分析Opt=True\r\n間隔分析Opt=False\r\n出現回数分析Opt=False\r\n"
    "バラツキ分析Opt=True\r\n引っ張り分析Opt=False\r\n連番飛び石分析Opt=False\r\n"
    "数字合計分析Opt=False\r\n組合せパターン分析Opt=False\r\n5分割傾向分析Opt=False\r\n"
    "分割データ分析Opt=False\r\n";

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The program copied beside a copy of the sample database, started in cwd on one CPU.
class RunningProgram {
public:
    RunningProgram(const QString& folder, const QString& cwd,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        m_process.setWorkingDirectory(cwd);
        m_process.setProcessEnvironment(env);
        m_process.setChildProcessModifier([] {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(0, &one);
            sched_setaffinity(0, sizeof one, &one);
        });
        m_process.start(folder + "/pirumoa", {});
    }
    bool waitUntilCatching(int sig) {
        return m_process.waitForStarted(10000) &&
               QTest::qWaitFor([&] { return test::catchesSignal(m_process.processId(), sig); },
                               20000);
    }
    void send(int sig) { ::kill(pid_t(m_process.processId()), sig); }
    // The exit status, or -1 when it did not end by itself.
    int wait() {
        if (!m_process.waitForFinished(20000)) {
            m_process.kill();
            m_process.waitForFinished();
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    QProcess m_process;
};

}  // namespace

class StartExitTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_program;

private slots:
    void initTestCase() {
        MainFrm::installFonts();
        QVERIFY(QFile::copy(PIRUMOA_APP, m_program.filePath("pirumoa")));
        QFile::setPermissions(m_program.filePath("pirumoa"), QFile::permissions(PIRUMOA_APP));
        test::TempDatabase db(test::draws({"1234", "5678", "9012"}));
        QVERIFY(QFile::copy(db.connect.file, m_program.filePath("Numbers4Pirumoa.mdb")));
        test::guardPrompts();
    }
    void cleanup() { QVERIFY(test::promptsUsedUp()); }

    // Each start is ended by a signal at another moment of its start-up; every one must be
    // heard and end with the options written. A start whose main thread Qt mistook would
    // ignore it (and print Qt's warning).
    void everyStartOnOneCpuAnswers() {
        QTemporaryDir cwd;
        const QString options = cwd.filePath(initFileName());
        const int signals_[] = {SIGTERM, SIGINT, SIGHUP};
        for (int i = 0; i < 100; ++i) {
            put(options, kOddOptions);
            RunningProgram program(m_program.path(), cwd.path());
            const int sig = signals_[i % 3];
            QVERIFY2(program.waitUntilCatching(sig), qPrintable(QString::number(i)));
            QTest::qSleep(i % 10 * 15);
            program.send(sig);
            const int code = program.wait();
            const QString errors = program.errors();
            // Ended in order, with the status a signal gives, as shells expect.
            QVERIFY2(code == 128 + sig,
                     qPrintable(QStringLiteral("start %1: %2 %3").arg(i).arg(code).arg(errors)));
            QVERIFY2(!errors.contains("main() thread"), qPrintable(errors));
            QCOMPARE(test::readFile(options), kWrittenOptions);
        }
    }

    // Ended from outside on a full disk: the old file stays whole and standard error says why.
    void fullDiskAtAnEndFromOutsideKeepsTheOptions() {
        test::FullDisk disk;
        if (!disk.ok()) QSKIP("mounting a small file system needs root");
        const QString options = disk.path() + "/" + initFileName();
        put(options, kOddOptions);
        disk.fill();
        RunningProgram program(m_program.path(), disk.path());
        QVERIFY(program.waitUntilCatching(SIGTERM));
        QTest::qSleep(200);
        program.send(SIGTERM);
        QCOMPARE(program.wait(), 128 + SIGTERM);
        const QString errors = program.errors();
        QVERIFY2(errors.contains(initFileName()) && errors.contains("空き容量"),
                 qPrintable(errors));
        QCOMPARE(test::readFile(options), kOddOptions);
    }

    // "終了" on a full disk: the box says why, the old file stays, the program still ends.
    void fullDiskAtTheExitSaysWhy() {
        test::FullDisk disk;
        if (!disk.ok()) QSKIP("mounting a small file system needs root");
        const QString options = disk.path() + "/" + initFileName();
        put(options, kOddOptions);
        disk.fill();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(disk.path()));
        test::TempDatabase db;
        {
            MainFrm main;
            QVERIFY(main.start(db.dir.path()));
            main.show();
            Prompt::setNextAnswer(QMessageBox::Ok, test::refusalWith({"空き容量"}));
            main.findChild<QAction*>("mnuEnd")->trigger();
            QTRY_VERIFY(!main.isVisible());
        }
        QDir::setCurrent(before);
        QVERIFY(test::promptsUsedUp());
        QCOMPARE(test::readFile(options), kOddOptions);
    }

    // Installed, on a first start whose user has no data folder to put the draws in: the
    // message names the folder, and the program ends when it is closed.
    void firstStartThatCannotCopyTheSampleSaysWhere() {
        QTemporaryDir root;
        QVERIFY(QDir().mkpath(root.filePath("usr/bin")));
        QVERIFY(QDir().mkpath(root.filePath("usr/share/pirumoa")));
        QVERIFY(QDir().mkpath(root.filePath("home")));
        QVERIFY(QFile::copy(m_program.filePath("pirumoa"), root.filePath("usr/bin/pirumoa")));
        QFile::setPermissions(root.filePath("usr/bin/pirumoa"), QFile::permissions(PIRUMOA_APP));
        QVERIFY(QFile::copy(m_program.filePath("Numbers4Pirumoa.mdb"),
                            root.filePath("usr/share/pirumoa/Numbers4Pirumoa.mdb")));
        put(root.filePath("home/.local"), "a file where the data folder must go");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", root.filePath("home"));
        env.remove("XDG_DATA_HOME");

        RunningProgram program(root.filePath("usr/bin"), root.filePath("home"), env);
        // The message box is up once the event loop runs; the signal closes it as Escape does.
        QVERIFY(program.waitUntilCatching(SIGTERM));
        program.send(SIGTERM);
        QCOMPARE(program.wait(), 1);
        const QString errors = program.errors();
        QVERIFY2(errors.contains(root.filePath("home/.local/share/pirumoa")) &&
                     errors.contains("作れません"),
                 qPrintable(errors));
        QVERIFY(!QFile::exists(root.filePath("usr/bin/Numbers4Pirumoa.mdb")));
    }

    // The pictures are built into a library: the icon must reach the program all the same,
    // from the title bar's size to the task switcher's.
    void programIconIsBuiltIn() {
        const QIcon icon = programIcon();
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(64, 64)));  // the largest a window asks for
    }

    // After start-up the main window takes keys: Alt+X is "終了(&X)".
    void mainWindowAnswersTheKeyboardAfterStartUp() {
        test::TempDatabase db;
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTRY_VERIFY(main.findWindow("一発ピルモア"));
        QTest::keyClick(&main, Qt::Key_X, Qt::AltModifier);
        QTRY_VERIFY(!main.isVisible());
        QDir::setCurrent(before);
        QVERIFY(QFile::exists(cwd.filePath(initFileName())));
    }

    // Ended from outside while a digit is being typed and a question is open: the digit is
    // stored, the question is answered No, and the options are written.
    void endFromOutsideStoresTheCellBeingTyped() {
        test::TempDatabase db(test::draws({"1234", "5678"}));
        QTemporaryDir cwd;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(cwd.path()));
        MainFrm main;
        QVERIFY(main.start(db.dir.path()));
        QVERIFY(test::showWithoutPrediction(main));
        main.findChild<QAction*>("mnuMasterInput")->trigger();
        auto* entry = qobject_cast<DataEntryWindow*>(main.findWindow("当選データ入力"));
        QVERIFY(entry);
        const QModelIndex cell = entry->model()->index(1, 3);
        entry->grid()->setCurrentIndex(cell);
        entry->grid()->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(entry->grid()->indexWidget(cell));
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "0");
        main.endFromOutside();
        QTRY_VERIFY(!main.isVisible());
        QDir::setCurrent(before);
        QCOMPARE(DrawStore::open(db.connect)->readAll(), test::draws({"1234", "5078"}));
        QVERIFY(QFile::exists(cwd.filePath(initFileName())));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    StartExitTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_startexit.moc"
