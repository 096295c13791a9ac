#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

class QWidget;

namespace pirumoa {

// Every modal question and refusal of the program goes through here, so that tests can
// answer them and nothing blocks a run without a screen.
class Prompt {
public:
    static const QString kAppTitle;      // "ナンバーズ4ピルモアLite"
    static const QString kMessageTitle;  // "メッセ－ジ"

    // A refusal or a failure: title "メッセ－ジ", critical icon, OK.
    static void refuse(QWidget* parent, const QString& text);
    // A question: Yes and No, exclamation icon, No the default, the program's title.
    static bool ask(QWidget* parent, const QString& text);
    // A plain notice with the program's title.
    static void inform(QWidget* parent, const QString& text);

    // What was shown, for tests.
    struct Shown {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };
    static const std::vector<Shown>& shown();
    static void clearShown();

    // Tests queue the answers to the next questions. Without a queued answer, and on the
    // offscreen platform, no box is shown: a question is answered No, a notice just logged.
    static void setNextAnswer(QMessageBox::StandardButton answer);

private:
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
};

// The hourglass for the span of a scope. Setting it handles no pending events, so it is safe
// while a window is being opened or the main window closes; the platform sends the change to
// the display itself (xcb flushes it at once).
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace pirumoa
