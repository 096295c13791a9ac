#pragma once

#include <QApplication>
#include <QIcon>
#include <QTranslator>
#include <memory>
#include <thread>

namespace pirumoa {

class MainFrm;

// The desktop program: Qt, the fonts, the main window on the draw database (beside the
// program, or the user's own: chooseDatabaseFolder), and the ways the program is asked to end
// from outside (SIGTERM, SIGINT, SIGHUP, the desktop session's quit), each of which ends it
// as "終了" does.
class Program {
public:
    // Call first thing in main(), on the main thread.
    Program(int& argc, char** argv);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Reads the options and the draw history and shows the main window. False, after the
    // user has been told why, when the database cannot be read or made.
    bool start();
    MainFrm& mainWindow() { return *m_window; }
    // The event loop; the exit status of the process.
    int exec();

private:
    // What runs before QApplication exists: plain POSIX and C calls only, since Qt takes
    // the first thread that touches it for its main thread.
    struct BeforeQt {
        BeforeQt();
        ~BeforeQt();
        void join();
        std::thread fonts;
    };
    BeforeQt m_beforeQt;
    QApplication m_app;
    QTranslator m_qtTexts;
    std::unique_ptr<MainFrm> m_window;
};

// The program's icon, the one the desktop's menu shows, at every size built into the program;
// each window and the task list pick the size they show.
QIcon programIcon();

// The whole program: the exit status of the process.
int runProgram(int argc, char** argv);

}  // namespace pirumoa
