#include "gui/shell/prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>

namespace pirumoa {

const QString Prompt::kAppTitle = QStringLiteral("ナンバーズ4ピルモアLite");
const QString Prompt::kMessageTitle = QStringLiteral("メッセ－ジ");

namespace {
std::vector<Prompt::Shown>& shownLog() {
    static std::vector<Prompt::Shown> log;
    return log;
}
std::deque<QMessageBox::StandardButton>& answers() {
    static std::deque<QMessageBox::StandardButton> queue;
    return queue;
}
}  // namespace

QMessageBox::StandardButton Prompt::show(QWidget* parent, QMessageBox::Icon icon,
                                         const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) {
    shownLog().push_back({icon, title, text});
    if (!answers().empty()) {
        const auto answer = answers().front();
        answers().pop_front();
        return answer;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return defaultButton;

    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    // The buttons in Japanese whether or not Qt's own translations are installed.
    if (QAbstractButton* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("はい(&Y)"));
    if (QAbstractButton* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("いいえ(&N)"));
    // The hourglass may be up while a window loads; the question needs the arrow.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = box.exec();
    QGuiApplication::restoreOverrideCursor();
    return QMessageBox::StandardButton(result);
}

void Prompt::refuse(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Critical, kMessageTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool Prompt::ask(QWidget* parent, const QString& text) {
    return show(parent, QMessageBox::Warning, kAppTitle, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void Prompt::inform(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Information, kAppTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

const std::vector<Prompt::Shown>& Prompt::shown() { return shownLog(); }
void Prompt::clearShown() { shownLog().clear(); }
void Prompt::setNextAnswer(QMessageBox::StandardButton answer) { answers().push_back(answer); }

WaitCursor::WaitCursor() {
    // No round of pending events: handling them here would re-enter the opening of a window
    // or the closing of the main window half way through.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace pirumoa
