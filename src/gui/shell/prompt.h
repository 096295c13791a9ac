#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace pirumoa {

// Every modal question, refusal, notice and file dialog of the program goes through here, so
// that tests can answer them.
class Prompt {
public:
    static const QString kAppTitle;      // "ナンバーズ4ピルモアLite"
    static const QString kMessageTitle;  // "メッセ－ジ"

    // A refusal or a failure: title "メッセ－ジ", critical icon, OK.
    static void refuse(QWidget* parent, const QString& text);
    // A question: Yes and No, exclamation icon, No the default, the program's title.
    static bool ask(QWidget* parent, const QString& text);
    // The same question with Yes the default: for a question of the program's own whose Yes
    // only adds something (a question whose Yes replaces or deletes keeps ask()).
    static bool askDefaultYes(QWidget* parent, const QString& text);
    // A plain notice with the program's title.
    static void inform(QWidget* parent, const QString& text);
    // A confirmation before a change: OK and Cancel captioned acceptText and rejectText
    // ("取り込む(&I)", "キャンセル"), information icon, OK the default; true for OK.
    static bool confirm(QWidget* parent, const QString& text, const QString& acceptText,
                        const QString& rejectText);

    // The file dialogs: the name chosen, empty when the dialog was cancelled.
    static QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& file,
                                const QString& filter);

    // A choice of one row of a table (a backup to restore, say): the row chosen, or -1 when
    // the dialog was cancelled. The first row is chosen at the start.
    static int choose(QWidget* parent, const QString& caption, const QString& text,
                      const QStringList& headers, const std::vector<QStringList>& rows,
                      const QString& acceptText);

    // A dialog of the program's own (a preview, a settings dialog), built by the caller and
    // run modally: its result (QDialog::Accepted or Rejected).
    static int exec(QDialog& dialog);

    // The test seam, after KeePassXC's MessageBox::setNextAnswer. A test queues the answers
    // before the action that brings the messages and dialogs up; a message or dialog with an
    // answer queued is not shown and takes the first one.

    // What a test expects of the message it answers; empty parts are not checked.
    struct Expected {
        std::optional<QMessageBox::Icon> icon;
        QString title;
        QString text;       // the whole text
        QStringList parts;  // each somewhere in the text
    };
    // A message that differs from what its answer expects, or that has no such button, is
    // reported to the guard; it takes the answer all the same.
    static void setNextAnswer(QMessageBox::StandardButton answer, const Expected& expected = {});
    // The name the next file dialog answers; an empty name is a cancelled dialog.
    static void setNextFileName(const QString& path);
    // The row the next choice answers; -1 is a cancelled dialog.
    static void setNextChoice(int row);
    // What the next dialog run by exec() does: the test sees the dialog as built, may change
    // its controls, and returns its result instead of a user.
    static void setNextDialog(std::function<int(QDialog& dialog)> answer);
    // What was queued and not used, one line each; the queues are empty afterwards.
    static QStringList takeUnused();

    // Set by tests, so that nothing waits for a user who is not there: while a guard is set,
    // a message or dialog without a queued answer is never shown. The guard is told, and the
    // message takes its default button, the dialog is cancelled. An empty guard unsets it.
    static void setGuard(std::function<void(const QString& problem)> guard);

private:
    static QMessageBox::StandardButton show(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton,
                                            const QString& okText = {},
                                            const QString& cancelText = {});
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
