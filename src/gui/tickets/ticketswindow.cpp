#include "gui/tickets/ticketswindow.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include "core/store/drawstore.h"
#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/tickets/ticketcsv.h"
#include "core/tickets/ticketsheet.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const QString kCsvFilter = QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)");

QString drawsText(const Ticket& t) {
    return t.draws == kOngoing ? QStringLiteral("今日まで") : QStringLiteral("%1回").arg(t.draws);
}

QString totalsText(const TicketTotals& s) {
    QString text = QStringLiteral("合計：購入額 %1　当せん金 %2　収支 %3　回収率 %4")
                       .arg(yenText(s.spent), yenText(s.won), yenText(s.balance()), returnText(s));
    QStringList notes;
    if (s.unknownWins > 0)
        notes << QStringLiteral("金額不明の当せん %1回は当せん金に含みません").arg(s.unknownWins);
    if (s.pendingDraws > 0)
        notes << QStringLiteral("抽せん前の %1回（%2）は購入額に含みません")
                     .arg(s.pendingDraws)
                     .arg(yenText(s.pendingCost));
    if (!notes.isEmpty())
        text += QStringLiteral("\n（") + notes.join(QStringLiteral("。")) + QStringLiteral("）");
    return text;
}

// The form of one ticket; OK only closes it once the ticket can be bought.
class TicketDialog : public QDialog {
public:
    TicketDialog(QWidget* parent, const Ticket& start) : QDialog(parent), m_ticket(start) {
        setObjectName(QStringLiteral("購入数字"));
        setWindowTitle(start.id ? QStringLiteral("購入数字の編集")
                                : QStringLiteral("購入数字の追加"));
        auto* form = new QFormLayout;
        m_number = new QLineEdit(numberText(start.digits), this);
        m_number->setObjectName(QStringLiteral("Text1"));
        m_number->setMaxLength(4);
        m_number->setInputMethodHints(Qt::ImhDigitsOnly);
        m_type = new QComboBox(this);
        m_type->setObjectName(QStringLiteral("Combo1"));
        for (TicketType t : {TicketType::Straight, TicketType::Box, TicketType::Set})
            m_type->addItem(typeLabel(t));
        m_type->setCurrentIndex(int(start.type));
        m_units = new QSpinBox(this);
        m_units->setObjectName(QStringLiteral("Spin1"));
        m_units->setRange(1, kMaxUnits);
        m_units->setSuffix(QStringLiteral(" 口"));
        m_units->setValue(start.units);
        m_first = new QSpinBox(this);
        m_first->setObjectName(QStringLiteral("Spin2"));
        m_first->setRange(1, kMaxDrawNo);
        m_first->setPrefix(QStringLiteral("第"));
        m_first->setSuffix(QStringLiteral("回"));
        m_first->setValue(start.firstDraw);
        m_draws = new QSpinBox(this);
        m_draws->setObjectName(QStringLiteral("Spin3"));
        m_draws->setRange(kOngoing, kMaxDrawNo);
        m_draws->setSpecialValueText(QStringLiteral("今日まで"));
        m_draws->setSuffix(QStringLiteral(" 回"));
        m_draws->setValue(start.draws);
        m_note = new QLineEdit(start.note, this);
        m_note->setObjectName(QStringLiteral("Text2"));
        form->addRow(QStringLiteral("数字(&N)"), m_number);
        form->addRow(QStringLiteral("種類(&T)"), m_type);
        form->addRow(QStringLiteral("口数(&U)（1口200円）"), m_units);
        form->addRow(QStringLiteral("開始回(&F)"), m_first);
        form->addRow(QStringLiteral("継続回数(&C)"), m_draws);
        form->addRow(QStringLiteral("メモ(&M)"), m_note);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
        connect(buttons, &QDialogButtonBox::accepted, this, &TicketDialog::tryAccept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(buttons);
    }
    const Ticket& ticket() const { return m_ticket; }

private:
    void tryAccept() {
        const auto digits = parseTicketNumber(m_number->text());
        if (!digits) {
            Prompt::refuse(this, QStringLiteral("数字は4桁（各桁 0～9）で入力してください。"));
            m_number->setFocus();
            return;
        }
        Ticket t = m_ticket;
        t.digits = *digits;
        t.type = TicketType(m_type->currentIndex());
        t.units = m_units->value();
        t.firstDraw = m_first->value();
        t.draws = m_draws->value();
        t.note = m_note->text();
        const QString problem = ticketProblem(t);
        if (!problem.isEmpty()) {
            Prompt::refuse(this, problem);
            return;
        }
        m_ticket = t;
        accept();
    }

    Ticket m_ticket;
    QLineEdit* m_number;
    QComboBox* m_type;
    QSpinBox* m_units;
    QSpinBox* m_first;
    QSpinBox* m_draws;
    QLineEdit* m_note;
};

// The expected return per 200 yen of the ticket's number and type if it wins; empty where the
// prizes are too few or the number cannot be bought so.
QString outlookText(const OutlookModel& model, const Ticket& t) {
    if (!model.ready()) return QString();
    const NumberOutlook o =
        model.outlook(t.digits[0] * 1000 + t.digits[1] * 100 + t.digits[2] * 10 + t.digits[3]);
    switch (t.type) {
        case TicketType::Straight:
            return o.straight.available ? outlookPercent(o.straight.rate) : QString();
        case TicketType::Box:
            return o.box.available ? outlookPercent(o.box.rate) : QString();
        case TicketType::Set:
            return o.box.available ? outlookPercent(o.setRate) : QString();
    }
    return QString();
}

QString outlookTip(const OutlookModel& model, const Ticket& t) {
    if (!model.ready()) return outlookTooFew(model.drawsUsed());
    const NumberOutlook o =
        model.outlook(t.digits[0] * 1000 + t.digits[1] * 100 + t.digits[2] * 10 + t.digits[3]);
    const OutlookLine& line = t.type == TicketType::Straight ? o.straight : o.box;
    QStringList lines{
        QStringLiteral("当たったときの見込みから計算した 200 円あたりの払い戻し"
                       "（番号の見込み払戻率）")};
    if (line.available) {
        lines << QStringLiteral("ふつうの幅：%1").arg(outlookRateText(line));
        for (const OutlookFeature& f : line.moved) lines << outlookFeatureText(f);
    }
    lines << outlookSameChance();
    return lines.join(QLatin1Char('\n'));
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

}  // namespace

TicketsWindow::TicketsWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_list(new QTableWidget(this)),
      m_total(new QLabel(this)),
      m_grid(new GridView(this)),
      m_chart(new QChartView(this)),
      m_edit(button(this, "Command3", QStringLiteral("編集(&E)..."))),
      m_delete(button(this, "Command4", QStringLiteral("削除(&D)"))) {
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setColumnCount(11);
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("数字"), QStringLiteral("種類"), QStringLiteral("口数"),
         QStringLiteral("開始回"), QStringLiteral("継続回数"), QStringLiteral("メモ"),
         QStringLiteral("購入額"), QStringLiteral("当せん金"), QStringLiteral("収支"),
         QStringLiteral("回収率"), QStringLiteral("見込み払戻率")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setMinimumHeight(120);
    connect(m_list, &QTableWidget::currentCellChanged, this, [this] { showDraws(); });
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (row >= 0 && row < int(m_tickets.size())) openDialog(&m_tickets[std::size_t(row)]);
    });
    m_total->setObjectName(QStringLiteral("Label2"));
    m_total->setWordWrap(true);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(170);

    auto* description = new QLabel(design.description, this);
    description->setObjectName(QStringLiteral("Label1"));
    description->setWordWrap(true);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(m_list, 2);
    column->addWidget(m_total);
    column->addWidget(m_grid, 3);
    column->addWidget(m_chart, 2);

    auto* add = button(this, "Command2", QStringLiteral("追加(&A)..."));
    auto* import = button(this, "Command5", QStringLiteral("CSVから取り込み(&I)..."));
    auto* exportButton = button(this, "Command6", QStringLiteral("CSVへ書き出し(&X)..."));
    auto* close = button(this, "Command1", QStringLiteral("閉じる"));
    connect(add, &QPushButton::clicked, this, [this] { openDialog(nullptr); });
    connect(m_edit, &QPushButton::clicked, this, [this] {
        const int i = currentTicket();
        if (i >= 0) openDialog(&m_tickets[std::size_t(i)]);
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        const int i = currentTicket();
        if (i >= 0) deleteTicket(m_tickets[std::size_t(i)].id);
    });
    connect(import, &QPushButton::clicked, this, [this] {
        const QString path = Prompt::openFileName(this, QStringLiteral("購入数字をCSVから取り込み"),
                                                  QDir::homePath(), kCsvFilter);
        if (!path.isEmpty()) importTickets(path);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path =
            Prompt::saveFileName(this, QStringLiteral("購入数字をCSVへ書き出し"),
                                 QDir::home().filePath(QStringLiteral("tickets.csv")), kCsvFilter);
        if (!path.isEmpty()) exportTickets(path);
    });
    connect(close, &QPushButton::clicked, this, &ChildWindow::unload);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {add, m_edit, m_delete, import, exportButton}) bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(close);
    layOut(description, body, bottom);
}

void TicketsWindow::load() {
    if (!std::exchange(m_following, true))
        connect(&host().document(), &HistoryDocument::ticketsChanged, this, [this] { refresh(0); });
    refresh(0);
}

int TicketsWindow::currentTicket() const {
    const int row = m_list->currentRow();
    return row >= 0 && row < int(m_tickets.size()) ? row : -1;
}

void TicketsWindow::setCurrentTicket(int index) { m_list->setCurrentCell(index, 0); }

void TicketsWindow::refresh(long long keepId) {
    if (keepId == 0 && currentTicket() >= 0) keepId = m_tickets[std::size_t(currentTicket())].id;
    m_history = host().history();
    m_outlook = OutlookModel::fit(*m_history);
    try {
        WaitCursor wait;
        m_tickets = *host().document().tickets();
    } catch (const StoreError& e) {
        // The window shows what it had; the reason is said once.
        Prompt::refuse(this, e.message());
    }
    m_checks.clear();
    m_totals = TicketTotals();
    for (const Ticket& t : m_tickets) {
        m_checks.push_back(checkTicket(t, *m_history, m_history->prizes));
        m_totals += m_checks.back().totals;
    }
    showTickets();
    int row = m_tickets.empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_tickets.size(); ++i)
        if (m_tickets[i].id == keepId) row = int(i);
    m_list->setCurrentCell(row, 0);
    showDraws();
    showChart();
}

void TicketsWindow::showTickets() {
    const QSignalBlocker quiet(m_list);
    m_list->setRowCount(int(m_tickets.size()));
    for (std::size_t i = 0; i < m_tickets.size(); ++i) {
        const Ticket& t = m_tickets[i];
        const TicketTotals& s = m_checks[i].totals;
        const QString cells[] = {
            numberText(t.digits),
            typeLabel(t.type),
            QString::number(t.units),
            drawLabel(t.firstDraw),
            drawsText(t),
            t.note,
            yenText(s.spent),
            yenText(s.won) + (s.unknownWins ? QStringLiteral("＋不明") : QString()),
            yenText(s.balance()),
            returnText(s),
            outlookText(m_outlook, t)};
        for (int c = 0; c < 11; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 5 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            if (c == 8 && s.balance() < 0) item->setForeground(QColor(200, 0, 0));
            if (c == 10) item->setToolTip(outlookTip(m_outlook, t));
            m_list->setItem(int(i), c, item);
        }
    }
    m_list->resizeColumnsToContents();
    m_total->setText(m_tickets.empty()
                         ? QStringLiteral("購入数字はまだありません。「追加」で登録してください。")
                         : totalsText(m_totals));
}

void TicketsWindow::showDraws() {
    const int i = currentTicket();
    m_edit->setEnabled(i >= 0);
    m_delete->setEnabled(i >= 0);
    Sheet sheet;
    fillTicketSheet(i >= 0 ? m_checks[std::size_t(i)] : TicketCheck{}, sheet);
    m_grid->setSheet(std::move(sheet));
}

void TicketsWindow::showChart() {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("収支の累計（すべての購入数字）"));
    chart->setFont(windowFont());
    chart->setTitleFont(windowFont());
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    auto* line = new QLineSeries;
    QPen pen(QColor(0, 90, 220));
    pen.setWidthF(1.5);
    line->setPen(pen);
    const std::vector<BalancePoint> curve = cumulativeBalance(m_checks);
    double low = 0, high = 0;
    long long previous = 0;
    for (const BalancePoint& p : curve) {
        // A step: the balance holds until the next draw changes it.
        if (!line->points().isEmpty()) line->append(p.drawNo, double(previous));
        line->append(p.drawNo, double(p.balance));
        previous = p.balance;
        low = std::min(low, double(p.balance));
        high = std::max(high, double(p.balance));
    }
    chart->addSeries(line);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("回数"));
    x->setLabelFormat(QStringLiteral("%d"));
    if (!curve.empty())
        x->setRange(curve.front().drawNo, std::max(curve.front().drawNo + 1, curve.back().drawNo));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("収支（円）"));
    y->setLabelFormat(QStringLiteral("%d"));
    const double pad = std::max(1000.0, (high - low) * 0.05);
    y->setRange(low - pad, high + pad);
    y->applyNiceNumbers();
    for (QValueAxis* axis : {x, y}) {
        axis->setLabelsFont(windowFont());
        axis->setTitleFont(windowFont());
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

void TicketsWindow::openDialog(const Ticket* editing) {
    Ticket start;
    if (editing) {
        start = *editing;
    } else {
        // A new slip is most often for the next draw.
        start.firstDraw = std::min(kMaxDrawNo, host().history()->latestDrawNo + 1);
    }
    TicketDialog dialog(this, start);
    if (dialog.exec() != QDialog::Accepted) return;
    if (editing)
        editTicket(dialog.ticket());
    else
        addTicket(dialog.ticket());
}

bool TicketsWindow::write(const std::function<void(HistoryDocument&)>& change) {
    try {
        WaitCursor wait;
        change(host().document());
        return true;
    } catch (const StoreError& e) {
        Prompt::refuse(this, e.message());
        return false;
    }
}

bool TicketsWindow::addTicket(const Ticket& ticket) {
    std::vector<Ticket> one{ticket};
    const QString problem = ticketProblem(ticket);
    if (!problem.isEmpty()) {
        Prompt::refuse(this, problem);
        return false;
    }
    if (!write([&](HistoryDocument& d) { d.addTickets(one); })) return false;
    refresh(one[0].id);
    return true;
}

bool TicketsWindow::editTicket(const Ticket& ticket) {
    const QString problem = ticketProblem(ticket);
    if (!problem.isEmpty()) {
        Prompt::refuse(this, problem);
        return false;
    }
    if (!write([&](HistoryDocument& d) { d.updateTicket(ticket); })) return false;
    refresh(ticket.id);
    return true;
}

bool TicketsWindow::deleteTicket(long long id) {
    const auto it = std::find_if(m_tickets.begin(), m_tickets.end(),
                                 [&](const Ticket& t) { return t.id == id; });
    if (it == m_tickets.end()) return false;
    if (!Prompt::ask(this, QStringLiteral("購入数字 %1（%2、%3口、第%4回から%5）を削除しますか？")
                               .arg(numberText(it->digits), typeLabel(it->type))
                               .arg(it->units)
                               .arg(it->firstDraw)
                               .arg(drawsText(*it))))
        return false;
    if (!write([&](HistoryDocument& d) { d.removeTicket(id); })) return false;
    refresh(0);
    return true;
}

bool TicketsWindow::importTickets(const QString& csvPath) {
    std::vector<Ticket> read;
    try {
        QFile f(csvPath);
        if (!f.open(QIODevice::ReadOnly))
            throw StoreError(QStringLiteral("ファイル「%1」を読み込めません。%2")
                                 .arg(shownName(csvPath), readFailureReason(csvPath)));
        read = parseTicketCsv(f.readAll(), csvPath);
    } catch (const StoreError& e) {
        Prompt::refuse(
            this, QStringLiteral("購入数字を取り込めませんでした。何も変更していません。\n\n") +
                      e.message());
        return false;
    }
    if (read.empty()) {
        Prompt::inform(this, QStringLiteral("取り込む購入数字がありませんでした。"));
        return true;
    }
    if (!write([&](HistoryDocument& d) { d.addTickets(read); })) return false;
    refresh(read.back().id);
    Prompt::inform(this, QStringLiteral("購入数字を %1 件取り込みました。").arg(read.size()));
    return true;
}

bool TicketsWindow::exportTickets(const QString& csvPath) {
    const QString error = writeFileAtomically(csvPath, writeTicketCsv(m_tickets));
    if (error.isEmpty()) return true;
    Prompt::refuse(
        this,
        QStringLiteral("ファイル「%1」に書き込めませんでした。%2").arg(shownName(csvPath), error));
    return false;
}

}  // namespace pirumoa
