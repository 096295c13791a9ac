#include "gui/tickets/ticketdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/shell/prompt.h"

namespace pirumoa {

namespace {

QLineEdit* numberField(QWidget* parent, const char* name, int digits) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromUtf8(name));
    field->setInputMethodHints(Qt::ImhDigitsOnly);
    // Wide enough for the digits, full-width ones included; longer input is read and refused.
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QString(digits + 2, u'０')));
    return field;
}

}  // namespace

TicketDialog::TicketDialog(QWidget* parent, const Ticket& start)
    : QDialog(parent), m_ticket(start) {
    setObjectName(QStringLiteral("購入数字"));
    setWindowTitle(start.id ? QStringLiteral("購入数字の編集") : QStringLiteral("購入数字の追加"));
    m_number = numberField(this, "Text1", 4);
    m_number->setText(numberText(start.digits));
    // Typed over, not after: the form opens on the number, all of it chosen.
    m_number->setFocus();
    m_number->selectAll();
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("Combo1"));
    for (TicketType t : {TicketType::Straight, TicketType::Box, TicketType::Set})
        m_type->addItem(typeLabel(t));
    m_type->setCurrentIndex(int(start.type));
    m_units = numberField(this, "Text3", 2);
    m_units->setText(QString::number(start.units));
    m_first = numberField(this, "Text4", 5);
    m_first->setText(QString::number(start.firstDraw));
    m_note = new QLineEdit(start.note, this);
    m_note->setObjectName(QStringLiteral("Text2"));

    // The run: one of three ways, each with its own field.
    auto* run = new QGroupBox(QStringLiteral("買う回"), this);
    run->setObjectName(QStringLiteral("Frame1"));
    m_byCount = new QRadioButton(QStringLiteral("継続回数(&C)"), run);
    m_byCount->setObjectName(QStringLiteral("Option1"));
    m_count = numberField(run, "Text5", 5);
    m_byLast = new QRadioButton(QStringLiteral("最後の回(&L)"), run);
    m_byLast->setObjectName(QStringLiteral("Option2"));
    m_last = numberField(run, "Text6", 5);
    m_ongoing = new QRadioButton(ongoingLabel() + QStringLiteral("(&O)"), run);
    m_ongoing->setObjectName(QStringLiteral("Option3"));
    auto* grid = new QGridLayout(run);
    grid->addWidget(m_byCount, 0, 0);
    grid->addWidget(m_count, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("回（1～%L1）").arg(kMaxDrawNo), run), 0, 2);
    grid->addWidget(m_byLast, 1, 0);
    grid->addWidget(m_last, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("回まで"), run), 1, 2);
    grid->addWidget(m_ongoing, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("最新の回まで。回が増えると続けて数えます"), run), 2,
                    2);
    grid->setColumnStretch(2, 1);
    if (start.draws == kOngoing) {
        m_ongoing->setChecked(true);
        m_count->setText(QStringLiteral("1"));
    } else {
        m_byCount->setChecked(true);
        m_count->setText(QString::number(start.draws));
    }
    m_last->setText(QString::number(lastDrawOf(start, start.firstDraw)));
    showRun();
    for (QRadioButton* choice : {m_byCount, m_byLast, m_ongoing}) {
        connect(choice, &QRadioButton::toggled, this, [this] { showRun(); });
        // Chosen by its key or a click, the way goes straight on to its field.
        connect(choice, &QRadioButton::clicked, this, [this, choice] {
            QLineEdit* field = choice == m_byCount  ? m_count
                               : choice == m_byLast ? m_last
                                                    : nullptr;
            if (!field) return;
            field->setFocus();
            field->selectAll();
        });
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("数字(&N)"), m_number);
    form->addRow(QStringLiteral("種類(&T)"), m_type);
    form->addRow(QStringLiteral("口数(&U)（1～%1、1口200円）").arg(kMaxUnits), m_units);
    form->addRow(QStringLiteral("開始回(&F)"), m_first);
    form->addRow(run);
    form->addRow(QStringLiteral("メモ(&M)"), m_note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TicketDialog::tryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void TicketDialog::showRun() {
    m_count->setEnabled(m_byCount->isChecked());
    m_last->setEnabled(m_byLast->isChecked());
}

void TicketDialog::focusProblem(const TicketInput& in) {
    // The fields in the order they are read: the first one that does not read on its own.
    QString ignored;
    const auto count = [&](const QString& text, int max) {
        return parseTicketCount(text, 1, max, {}, ignored);
    };
    QWidget* field = nullptr;
    QLineEdit* run = m_byCount->isChecked() ? m_count : m_byLast->isChecked() ? m_last : nullptr;
    if (!parseTicketNumber(in.number)) {
        field = m_number;
    } else if (!count(in.units, kMaxUnits)) {
        field = m_units;
    } else if (!count(in.firstDraw, kMaxDrawNo)) {
        field = m_first;
    } else if (run && !count(run->text(), kMaxDrawNo)) {
        field = run;
    } else {
        // A number that this type cannot buy, or a run that does not fit its first draw.
        Ticket kind;
        kind.digits = *parseTicketNumber(in.number);
        kind.type = TicketType(m_type->currentIndex());
        field = !ticketProblem(kind).isEmpty() ? static_cast<QWidget*>(m_type)
                : run                          ? run
                                               : m_first;
    }
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
}

void TicketDialog::tryAccept() {
    TicketInput in;
    in.number = m_number->text();
    in.type = m_type->currentText();
    in.units = m_units->text();
    in.firstDraw = m_first->text();
    if (m_byCount->isChecked()) in.draws = m_count->text();
    if (m_byLast->isChecked()) in.lastDraw = m_last->text();
    if (m_ongoing->isChecked()) in.draws = ongoingLabel();
    in.note = m_note->text();
    QString problem;
    std::optional<Ticket> read;
    // An empty last draw would read as an empty count: it is named for what it is.
    if (m_byLast->isChecked() && in.lastDraw.trimmed().isEmpty())
        parseTicketCount(in.lastDraw, 1, kMaxDrawNo, QStringLiteral("最後の回"), problem);
    else
        read = parseTicketInput(in, problem);
    if (!read) {
        Prompt::refuse(this, problem);
        focusProblem(in);
        return;
    }
    Ticket t = *read;
    t.id = m_ticket.id;
    m_ticket = t;
    accept();
}

}  // namespace pirumoa
