#include "gui/shell/prompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMetaEnum>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <deque>
#include <optional>
#include <utility>

namespace pirumoa {

const QString Prompt::kAppTitle = QStringLiteral("ナンバーズ4ピルモアLite");
const QString Prompt::kMessageTitle = QStringLiteral("メッセ－ジ");

namespace {

struct Answer {
    QMessageBox::StandardButton button;
    Prompt::Expected expected;
};

// What tests queued, and their guard; all empty in the program.
struct Seam {
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    std::deque<int> choices;
    std::deque<std::function<int(QDialog&)>> dialogs;
    std::function<void(const QString&)> guard;
};

Seam& seam() {
    static Seam s;
    return s;
}

// "Critical", "Yes": the names in QMessageBox's own enumerations.
QString keyOf(const char* enumeration, int value) {
    const QMetaObject& meta = QMessageBox::staticMetaObject;
    const QMetaEnum e = meta.enumerator(meta.indexOfEnumerator(enumeration));
    return QString::fromLatin1(e.valueToKey(value));
}
QString keyOf(QMessageBox::Icon icon) { return keyOf("Icon", icon); }
QString keyOf(QMessageBox::StandardButton button) { return keyOf("StandardButtons", button); }

QString quoted(const QString& text) { return QStringLiteral("\"%1\"").arg(text); }

QString describe(QMessageBox::Icon icon, const QString& title, const QString& text) {
    return QStringLiteral("%1 (title %2, icon %3)").arg(quoted(text), quoted(title), keyOf(icon));
}

QString describe(const Answer& a) {
    const Prompt::Expected& e = a.expected;
    QStringList what;
    if (e.icon) what << QStringLiteral("icon ") + keyOf(*e.icon);
    if (!e.title.isEmpty()) what << QStringLiteral("title ") + quoted(e.title);
    if (!e.text.isEmpty()) what << QStringLiteral("text ") + quoted(e.text);
    for (const QString& part : e.parts) what << QStringLiteral("text with ") + quoted(part);
    return QStringLiteral("answer %1 to a message").arg(keyOf(a.button)) +
           (what.isEmpty() ? QString() : QStringLiteral(" of ") + what.join(QStringLiteral(", ")));
}

// What the answer expects that the message has not.
QStringList differences(const Answer& a, QMessageBox::Icon icon, const QString& title,
                        const QString& text, QMessageBox::StandardButtons buttons) {
    const Prompt::Expected& e = a.expected;
    QStringList out;
    if (e.icon && *e.icon != icon) out << QStringLiteral("icon ") + keyOf(*e.icon);
    if (!e.title.isEmpty() && e.title != title) out << QStringLiteral("title ") + quoted(e.title);
    if (!e.text.isEmpty() && e.text != text) out << QStringLiteral("text ") + quoted(e.text);
    for (const QString& part : e.parts)
        if (!text.contains(part)) out << QStringLiteral("text with ") + quoted(part);
    if (!buttons.testFlag(a.button)) out << QStringLiteral("a button ") + keyOf(a.button);
    return out;
}

void report(const QString& problem) {
    if (seam().guard)
        seam().guard(problem);
    else
        qWarning("pirumoa: %s", qUtf8Printable(problem));
}

// The queued name for a dialog; none when the dialog is to be shown.
std::optional<QString> queuedFileName(const QString& caption) {
    if (!seam().fileNames.empty()) {
        QString name = std::move(seam().fileNames.front());
        seam().fileNames.pop_front();
        return name;
    }
    if (seam().guard) {
        seam().guard(QStringLiteral("file dialog %1 without a queued file name; cancelled")
                         .arg(quoted(caption)));
        return QString();
    }
    return std::nullopt;
}

}  // namespace

QMessageBox::StandardButton Prompt::show(QWidget* parent, QMessageBox::Icon icon,
                                         const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton,
                                         const QString& okText, const QString& cancelText) {
    if (!seam().answers.empty()) {
        const Answer answer = std::move(seam().answers.front());
        seam().answers.pop_front();
        const QStringList differ = differences(answer, icon, title, text, buttons);
        if (!differ.isEmpty())
            report(QStringLiteral("message %1 took the queued answer %2, which expected %3")
                       .arg(describe(icon, title, text), keyOf(answer.button),
                            differ.join(QStringLiteral(", "))));
        return answer.button;
    }
    if (seam().guard) {
        seam().guard(QStringLiteral("message %1 without a queued answer; answered %2")
                         .arg(describe(icon, title, text), keyOf(defaultButton)));
        return defaultButton;
    }

    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    // The buttons in Japanese whether or not Qt's own translations are installed.
    if (QAbstractButton* b = box.button(QMessageBox::Yes)) b->setText(QStringLiteral("はい(&Y)"));
    if (QAbstractButton* b = box.button(QMessageBox::No)) b->setText(QStringLiteral("いいえ(&N)"));
    if (QAbstractButton* b = box.button(QMessageBox::Ok); b && !okText.isEmpty())
        b->setText(okText);
    if (QAbstractButton* b = box.button(QMessageBox::Cancel); b && !cancelText.isEmpty())
        b->setText(cancelText);
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

bool Prompt::askDefaultYes(QWidget* parent, const QString& text) {
    return show(parent, QMessageBox::Warning, kAppTitle, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

void Prompt::inform(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Information, kAppTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool Prompt::confirm(QWidget* parent, const QString& text, const QString& acceptText,
                     const QString& rejectText) {
    return show(parent, QMessageBox::Information, kAppTitle, text,
                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, acceptText,
                rejectText) == QMessageBox::Ok;
}

QString Prompt::openFileName(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) {
    if (std::optional<QString> queued = queuedFileName(caption)) return *queued;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString Prompt::saveFileName(QWidget* parent, const QString& caption, const QString& file,
                             const QString& filter) {
    if (std::optional<QString> queued = queuedFileName(caption)) return *queued;
    return QFileDialog::getSaveFileName(parent, caption, file, filter);
}

int Prompt::choose(QWidget* parent, const QString& caption, const QString& text,
                   const QStringList& headers, const std::vector<QStringList>& rows,
                   const QString& acceptText) {
    if (!seam().choices.empty()) {
        const int row = seam().choices.front();
        seam().choices.pop_front();
        if (row >= int(rows.size()))
            report(QStringLiteral("choice %1 queued for %2, which has %3 rows")
                       .arg(row)
                       .arg(quoted(caption))
                       .arg(rows.size()));
        return row < int(rows.size()) ? row : -1;
    }
    if (seam().guard) {
        seam().guard(
            QStringLiteral("choice %1 without a queued answer; cancelled").arg(quoted(caption)));
        return -1;
    }

    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgChoose"));
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* table = new QTableWidget(int(rows.size()), int(headers.size()), &dialog);
    table->setObjectName(QStringLiteral("tblChoices"));
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(headers.size()) && c < rows[r].size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    if (!rows.empty()) table->selectRow(0);
    layout->addWidget(table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(acceptText);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!rows.empty());
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(table, &QTableWidget::cellDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(620, 360);
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog.exec();
    QGuiApplication::restoreOverrideCursor();
    if (result != QDialog::Accepted) return -1;
    return table->currentRow();
}

int Prompt::exec(QDialog& dialog) {
    if (!seam().dialogs.empty()) {
        const auto answer = std::move(seam().dialogs.front());
        seam().dialogs.pop_front();
        return answer(dialog);
    }
    if (seam().guard) {
        seam().guard(QStringLiteral("dialog %1 without a queued answer; cancelled")
                         .arg(quoted(dialog.objectName())));
        return QDialog::Rejected;
    }
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog.exec();
    QGuiApplication::restoreOverrideCursor();
    return result;
}

void Prompt::setNextDialog(std::function<int(QDialog&)> answer) {
    seam().dialogs.push_back(std::move(answer));
}

void Prompt::setNextChoice(int row) { seam().choices.push_back(row); }

void Prompt::setNextAnswer(QMessageBox::StandardButton answer, const Expected& expected) {
    seam().answers.push_back({answer, expected});
}

void Prompt::setNextFileName(const QString& path) { seam().fileNames.push_back(path); }

QStringList Prompt::takeUnused() {
    QStringList out;
    for (const Answer& a : std::exchange(seam().answers, {}))
        out << QStringLiteral("unused: ") + describe(a);
    for (const QString& name : std::exchange(seam().fileNames, {}))
        out << QStringLiteral("unused: file name ") + quoted(name);
    for (int row : std::exchange(seam().choices, {}))
        out << QStringLiteral("unused: choice %1").arg(row);
    for (std::size_t i = 0, n = std::exchange(seam().dialogs, {}).size(); i < n; ++i)
        out << QStringLiteral("unused: dialog answer");
    return out;
}

void Prompt::setGuard(std::function<void(const QString& problem)> guard) {
    seam().guard = std::move(guard);
}

WaitCursor::WaitCursor() {
    // No round of pending events: handling them here would re-enter the opening of a window
    // or the closing of the main window half way through.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace pirumoa
