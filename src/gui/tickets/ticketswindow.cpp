#include "gui/tickets/ticketswindow.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "core/store/fileerror.h"
#include "core/store/labels.h"
#include "core/tickets/ticketcsv.h"
#include "core/tickets/ticketimport.h"
#include "core/tickets/ticketsheet.h"
#include "gui/maintenance/csvcommands.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"
#include "gui/tickets/ticketdialog.h"
#include "gui/tickets/ticketlistmodel.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const QString kCsvFilter = QStringLiteral("CSVファイル (*.csv);;すべてのファイル (*)");

// The latest draw there was when the window was last opened: the line of recent wins counts
// from the draw after it.
const QString kLatestSeenKey = QStringLiteral("tickets/latestSeenDraw");
// The line counts at least this many of the latest draws.
constexpr int kRecentDraws = 5;

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

QString describe(const Ticket& t) {
    return QStringLiteral("%1（%2、%3口、第%4回から%5）")
        .arg(numberText(t.digits), typeLabel(t.type))
        .arg(t.units)
        .arg(t.firstDraw)
        .arg(runText(t));
}

// The axis from low to high in round steps (1, 2 or 5 times a power of ten), with few enough
// ticks that every label has room in a low chart: with more, the chart leaves them out.
void setRoundRange(QValueAxis* axis, double low, double high) {
    constexpr int kMostSteps = 3;
    const double span = std::max(high - low, 1e-9);
    const double power = std::pow(10.0, std::floor(std::log10(span / kMostSteps)));
    double from = low, to = high;
    int steps = kMostSteps;
    for (double step : {power, 2 * power, 5 * power, 10 * power, 20 * power, 50 * power}) {
        from = std::floor(low / step) * step;
        to = std::ceil(high / step) * step;
        steps = int(std::lround((to - from) / step));
        if (steps <= kMostSteps) break;
    }
    axis->setRange(from, to);
    axis->setTickCount(steps + 1);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

}  // namespace

TicketsWindow::TicketsWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_recent(new QLabel(this)),
      m_list(new QTableView(this)),
      m_model(new TicketListModel(this)),
      m_total(new QLabel(this)),
      m_grid(new GridView(this)),
      m_chart(new QChartView(this)),
      m_edit(button(this, "Command3", QStringLiteral("編集(&E)..."))),
      m_delete(button(this, "Command4", QStringLiteral("削除(&D)"))),
      m_tickets(std::make_shared<const std::vector<Ticket>>()) {
    m_recent->setObjectName(QStringLiteral("Label3"));
    m_recent->setWordWrap(true);
    QFont bold = windowFont();
    bold.setBold(true);
    m_recent->setFont(bold);
    m_recent->setToolTip(
        QStringLiteral("前回この画面を開いたときより後の回（少なくとも最新の %1 回）で、"
                       "すべての購入数字が当せんした件数と当せん金です。")
            .arg(kRecentDraws));

    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    // Rows of one height: the view then never measures the rows it does not show.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setResizeContentsPrecision(200);
    m_list->setMinimumHeight(120);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_filling) showDraws();
    });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_delete->setEnabled(m_list->selectionModel()->hasSelection()); });
    connect(m_list, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.row() < int(tickets().size())) openDialog(&tickets()[std::size_t(index.row())]);
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
    column->addWidget(m_recent);
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
        if (i >= 0) openDialog(&tickets()[std::size_t(i)]);
    });
    connect(m_delete, &QPushButton::clicked, this, [this] {
        const std::vector<long long> ids = selectedIds();
        if (!ids.empty()) deleteTickets(ids);
    });
    // The Delete key in the list does what the button does.
    auto* remove = new QAction(m_list);
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, m_delete, &QPushButton::click);
    m_list->addAction(remove);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString path = Prompt::openFileName(this, QStringLiteral("購入数字をCSVから取り込み"),
                                                  CsvCommands::startFolder(), kCsvFilter);
        if (path.isEmpty()) return;
        CsvCommands::rememberFolder(path);
        importTickets(path);
    });
    connect(exportButton, &QPushButton::clicked, this, [this] {
        const QString path = Prompt::saveFileName(
            this, QStringLiteral("購入数字をCSVへ書き出し"),
            QDir(CsvCommands::startFolder()).filePath(QStringLiteral("tickets.csv")), kCsvFilter);
        if (path.isEmpty()) return;
        CsvCommands::rememberFolder(path);
        exportTickets(path);
    });
    connect(close, &QPushButton::clicked, this, &ChildWindow::unload);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {add, m_edit, m_delete, import, exportButton}) bottom->addWidget(b);
    bottom->addStretch(1);
    bottom->addWidget(close);
    layOut(description, body, bottom);
}

TicketsWindow::~TicketsWindow() = default;

void TicketsWindow::load() {
    if (!std::exchange(m_following, true)) {
        // A write of this window's own is shown by the command that made it.
        connect(&host().document(), &HistoryDocument::ticketsChanged, this, [this] {
            if (!m_writing) refresh(0);
        });
        // The wins since the window was last opened, and at least those of the latest draws.
        const int latest = host().history()->latestDrawNo;
        // The first time ever, the latest draws only.
        QSettings settings;
        const int seen = settings.value(kLatestSeenKey, latest).toInt();
        m_recentFrom = std::max(1, std::min(seen + 1, latest - kRecentDraws + 1));
        settings.setValue(kLatestSeenKey, latest);
    }
    refresh(0);
}

const std::vector<Ticket>& TicketsWindow::tickets() const { return m_model->tickets(); }

const std::vector<TicketTotals>& TicketsWindow::ticketTotals() const { return m_model->totals(); }

int TicketsWindow::currentTicket() const {
    const int row = m_list->selectionModel()->currentIndex().row();
    return row >= 0 && row < int(tickets().size()) ? row : -1;
}

void TicketsWindow::setCurrentTicket(int index) {
    if (index < 0 || index >= m_model->rowCount()) {
        m_list->selectionModel()->clear();
        return;
    }
    m_list->selectionModel()->setCurrentIndex(
        m_model->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<long long> TicketsWindow::selectedIds() const {
    std::vector<long long> ids;
    for (const QModelIndex& row : m_list->selectionModel()->selectedRows())
        if (row.row() < int(tickets().size())) ids.push_back(tickets()[std::size_t(row.row())].id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

void TicketsWindow::refresh(long long keepId) {
    if (keepId == 0 && currentTicket() >= 0) keepId = tickets()[std::size_t(currentTicket())].id;
    WaitCursor wait;
    const HistorySnapshot history = host().history();
    if (!m_book || m_book->history() != history) {
        m_book = std::make_shared<const TicketBook>(history);
        m_outlook = std::make_shared<const OutlookModel>(OutlookModel::fit(*history));
    }
    try {
        m_tickets = host().document().tickets();
    } catch (const StoreError& e) {
        // The window shows what it had; the reason is said once.
        Prompt::refuse(this, e.message());
    }
    std::vector<TicketTotals> totals;
    totals.reserve(m_tickets->size());
    m_totals = TicketTotals();
    for (const Ticket& t : *m_tickets) {
        totals.push_back(m_book->totals(t));
        m_totals += totals.back();
    }
    // The draws are shown once, for the ticket chosen at the end.
    m_filling = true;
    m_model->setTickets(m_tickets, std::move(totals), m_outlook);
    m_list->resizeColumnsToContents();
    int row = m_tickets->empty() ? -1 : 0;
    for (std::size_t i = 0; i < m_tickets->size(); ++i)
        if ((*m_tickets)[i].id == keepId) row = int(i);
    setCurrentTicket(row);
    if (row >= 0) m_list->scrollTo(m_model->index(row, 0));
    m_filling = false;
    m_delete->setEnabled(m_list->selectionModel()->hasSelection());
    showTotals();
    showDraws();
    showChart();
}

void TicketsWindow::showTotals() {
    m_recent->setVisible(!m_tickets->empty());
    m_recent->setText(QStringLiteral("最近の抽せん　") +
                      recentWinsText(m_book->recentWins(*m_tickets, m_recentFrom)));
    m_total->setText(m_tickets->empty()
                         ? QStringLiteral("購入数字はまだありません。「追加」で登録してください。")
                         : totalsText(m_totals));
}

void TicketsWindow::showDraws() {
    const int i = currentTicket();
    m_edit->setEnabled(i >= 0);
    TicketCheck check;
    if (i >= 0) {
        const Ticket& t = tickets()[std::size_t(i)];
        check = TicketCheck{m_book->lines(t), ticketTotals()[std::size_t(i)]};
    }
    Sheet sheet;
    fillTicketSheet(check, sheet);
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
    const std::vector<BalancePoint> curve = m_book->balance(*m_tickets);
    // Large sums in 万円 or 億円, so that the labels of the axis keep to a few digits.
    double most = 0;
    for (const BalancePoint& p : curve) most = std::max(most, std::abs(double(p.balance)));
    const double unit = most < 1e6 ? 1 : most < 1e9 ? 1e4 : 1e8;
    const QString unitText = unit == 1     ? QStringLiteral("円")
                             : unit == 1e4 ? QStringLiteral("万円")
                                           : QStringLiteral("億円");
    double low = 0, high = 0;
    QList<QPointF> points;
    points.reserve(qsizetype(curve.size()) * 2);
    for (const BalancePoint& p : curve) {
        const double value = double(p.balance) / unit;
        // A step: the balance holds until the next draw changes it.
        if (!points.isEmpty()) points.append(QPointF(p.drawNo, points.back().y()));
        points.append(QPointF(p.drawNo, value));
        low = std::min(low, value);
        high = std::max(high, value);
    }
    line->replace(points);
    chart->addSeries(line);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("回数"));
    x->setLabelFormat(QStringLiteral("%d"));
    if (!curve.empty())
        x->setRange(curve.front().drawNo, std::max(curve.front().drawNo + 1, curve.back().drawNo));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("収支（%1）").arg(unitText));
    y->setLabelFormat(unit == 1 ? QStringLiteral("%.0f") : QStringLiteral("%g"));
    const double pad = std::max(1000.0 / unit, (high - low) * 0.05);
    setRoundRange(y, low - pad, high + pad);
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
    if (Prompt::exec(dialog) != QDialog::Accepted) return;
    if (editing)
        editTicket(dialog.ticket());
    else
        addTicket(dialog.ticket());
}

bool TicketsWindow::write(const std::function<void(HistoryDocument&)>& change) {
    try {
        WaitCursor wait;
        const QScopedValueRollback<bool> writing(m_writing, true);
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

bool TicketsWindow::deleteTickets(const std::vector<long long>& ids) {
    std::vector<long long> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    std::vector<const Ticket*> chosen;
    for (const Ticket& t : tickets())
        if (std::binary_search(sorted.begin(), sorted.end(), t.id)) chosen.push_back(&t);
    if (chosen.empty()) return false;
    const QString question =
        chosen.size() == 1
            ? QStringLiteral("購入数字 %1 を削除しますか？").arg(describe(*chosen[0]))
            : QStringLiteral("選んだ %1 件の購入数字を削除しますか？").arg(chosen.size());
    if (!Prompt::ask(this, question)) return false;
    std::vector<long long> gone;
    for (const Ticket* t : chosen) gone.push_back(t->id);
    if (!write([&](HistoryDocument& d) { d.removeTickets(gone); })) return false;
    refresh(0);
    return true;
}

bool TicketsWindow::importTickets(const QString& csvPath) {
    const QString failed =
        QStringLiteral("購入数字を取り込めませんでした。何も変更していません。\n\n");
    std::vector<Ticket> read;
    try {
        WaitCursor wait;
        read = readTicketFile(csvPath);
    } catch (const StoreError& e) {
        Prompt::refuse(this, failed + e.message());
        return false;
    }
    if (read.empty()) {
        Prompt::inform(this, QStringLiteral("取り込む購入数字がありませんでした。"));
        return true;
    }
    const QString source = QDir::toNativeSeparators(csvPath);
    const TicketImportPlan plan = planTicketImport(tickets(), read);
    if (plan.toAdd.empty()) {
        Prompt::inform(this, QStringLiteral("%1\n\n%2\nこのファイルの購入数字はすべて登録済みです。"
                                            "何も取り込みませんでした。")
                                 .arg(source, ticketImportSummary(plan)));
        return true;
    }
    if (!Prompt::confirm(this, QStringLiteral("%1\n\n%2").arg(source, ticketImportSummary(plan)),
                         QStringLiteral("取り込む(&I)"), QStringLiteral("キャンセル")))
        return false;
    TicketImportPlan done;
    if (!write([&](HistoryDocument& d) { done = d.importTickets(read); })) return false;
    refresh(done.toAdd.empty() ? 0 : done.toAdd.back().id);
    QString summary = QStringLiteral("購入数字を %1 件取り込みました。").arg(done.toAdd.size());
    if (!done.identical.empty())
        summary += QStringLiteral("\n登録済みと同じ %1 件は取り込んでいません。")
                       .arg(done.identical.size());
    Prompt::inform(this, summary);
    return true;
}

bool TicketsWindow::exportTickets(const QString& csvPath) {
    const QString error = writeFileAtomically(csvPath, writeTicketCsv(tickets()));
    if (error.isEmpty()) return true;
    Prompt::refuse(
        this,
        QStringLiteral("ファイル「%1」に書き込めませんでした。%2").arg(shownName(csvPath), error));
    return false;
}

}  // namespace pirumoa
