#pragma once

// Helpers for the widget tests (header only: the core tests have no widgets).
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <utility>

#include "gui/shell/childwindow.h"
#include "gui/shell/mainwindow.h"
#include "gui/shell/prompt.h"

namespace pirumoa::test {

// Saves a picture of a widget when PIRUMOA_SHOTS names a folder, to look at by eye.
inline void shoot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("PIRUMOA_SHOTS");
    if (!dir.isEmpty()) w->grab().save(dir + "/" + name + ".png");
}

// Shows the main window and closes the prediction window that its first activation opens.
inline bool showWithoutPrediction(MainFrm& main) {
    main.show();
    if (!QTest::qWaitFor([&] { return main.findWindow("一発ピルモア") != nullptr; }, 5000))
        return false;
    main.findWindow("一発ピルモア")->unload();
    return QTest::qWaitFor([&] { return main.mdiArea()->subWindowList().isEmpty(); }, 5000);
}

// Whether the process has its own handler for sig yet: the program is then far enough into
// its start to be asked to end.
inline bool catchesSignal(qint64 pid, int sig) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

// Messages and file dialogs. Every widget test guards the prompt service in initTestCase and
// checks QVERIFY(test::promptsUsedUp()) in cleanup; the answers are queued with
// Prompt::setNextAnswer and Prompt::setNextFileName before the action that needs them.

inline QStringList& promptProblems() {
    static QStringList problems;
    return problems;
}

// A message or dialog that no test answered is a failure, not a wait for nobody. The
// program's remembered settings (window size, CSV folder) go to a test location, never the
// user's own.
inline void guardPrompts() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    Prompt::setGuard([](const QString& problem) {
        qWarning("%s", qUtf8Printable(problem));
        promptProblems() << problem;
    });
}

// Whether every message and dialog since the last call was answered as expected and every
// queued answer was used. Says what was not, and starts the next check afresh.
inline bool promptsUsedUp() {
    const QStringList unused = Prompt::takeUnused();
    for (const QString& u : unused) qWarning("%s", qUtf8Printable(u));
    return std::exchange(promptProblems(), {}).isEmpty() && unused.isEmpty();
}

// The program's messages: a refusal has the title "メッセ－ジ" and the critical-stop icon, a
// question the program's title and the exclamation icon, a notice the program's title.
// "With" checks parts of the text, else the whole text is checked.
inline const QString kRefusalTitle = QStringLiteral("メッセ－ジ");
inline const QString kProgramTitle = QStringLiteral("ナンバーズ4ピルモアLite");

inline Prompt::Expected refusal(const QString& text) {
    return {QMessageBox::Critical, kRefusalTitle, text, {}};
}
inline Prompt::Expected refusalWith(const QStringList& parts) {
    return {QMessageBox::Critical, kRefusalTitle, {}, parts};
}
inline Prompt::Expected question(const QString& text) {
    return {QMessageBox::Warning, kProgramTitle, text, {}};
}
inline Prompt::Expected questionWith(const QStringList& parts) {
    return {QMessageBox::Warning, kProgramTitle, {}, parts};
}
inline Prompt::Expected noticeWith(const QStringList& parts) {
    return {QMessageBox::Information, kProgramTitle, {}, parts};
}

// What every test of the program's windows sets up first: the windows' fonts, the guard of
// the prompt service, and a current folder of the test's own (the options file is written
// there at exit). False when that folder cannot be used.
inline bool setUpWindowTests(const QTemporaryDir& cwd) {
    MainFrm::installFonts();
    guardPrompts();
    return cwd.isValid() && QDir::setCurrent(cwd.path());
}

}  // namespace pirumoa::test
