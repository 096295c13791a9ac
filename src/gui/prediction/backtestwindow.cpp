#include "gui/prediction/backtestwindow.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "core/prediction/methods.h"
#include "core/store/drawstore.h"
#include "gui/shell/gridview.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

// One slice of the replay between two looks at the event loop: short enough that the window
// answers at once, long enough that the sample history needs only a few.
constexpr int kSliceMs = 40;
constexpr std::size_t kRecordsPerCheck = 64;
// The progress bar appears only when the replay takes longer than this.
constexpr int kQuietMs = 300;
// Points a line of the chart is thinned to; a window is a few hundred pixels wide.
constexpr std::size_t kChartPoints = 600;

const Rgb kSetColours[3] = {rgb(0, 90, 220), rgb(220, 40, 40), rgb(0, 150, 60)};

QString optionsText(const ReflectOptions& options) {
    QStringList on;
    for (int i = 0; i < kReflectOptionCount; ++i)
        if (options[std::size_t(i)]) on << reflectOptionCaption(i);
    if (on.isEmpty())
        return QStringLiteral(
            "一発ピルモア予想のオプション：すべて「反映しない」（消去法は最新の回から数えます）");
    return QStringLiteral(
               "一発ピルモア予想のオプション：「反映する」＝%1（%2件：消去法はその回数だけ"
               "前の回から数えます）")
        .arg(on.join(QStringLiteral("、")))
        .arg(on.size());
}

const QString kOdds = QStringLiteral(
    "ナンバーズ4の当せん確率（どの番号も同じ確率）：ストレート 1/10,000　ボックス "
    "4つとも異なる数字 24/10,000（約1/417）、2つが同じ 12/10,000（約1/833）、"
    "2つずつ同じ 6/10,000（約1/1,667）、3つが同じ 4/10,000（1/2,500）");

const QString kNote = QStringLiteral(
    "予想数は予想のあった回の数、的中率は1回の判定ごとの割合です（「位置ごとの数字」と"
    "「含まれた数字」は1桁ごと）。偶然の95%範囲は、無作為に選んだ予想の的中数が95%の確率で"
    "入る範囲、p値は偶然で的中数が実際の数かそれより期待値から離れた数になる確率です（両側："
    "多い側と少ない側の小さいほうの確率の2倍）。期待値が5未満の行は的中÷期待値を「－」とし、"
    "p値で見てください。18行あるので、予想に力がなくても1行ほどは範囲の外に出るのがふつうです。"
    "表の最後の行は、18行をまとめて（Holm法で）補正した判定です。"
    "オプションを変えて何度も検証し、いちばん良い結果を選ぶのも同じ落とし穴です。");

// The grid shows the whole table: the frame opens the window at least as large as its layout
// needs, so every column and the verdict in the last row are in view.
void showWhole(GridView* grid) {
    grid->setMinimumSize(grid->contentSize());
    grid->setMaximumHeight(grid->contentSize().height());
}

QLabel* wrappedLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setWordWrap(true);
    return l;
}

}  // namespace

BacktestWindow::BacktestWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_grid(new GridView(this)),
      m_yenGrid(new GridView(this)),
      m_yenNote(wrappedLabel(this, "Label5", QString())),
      m_chart(new QChartView(this)),
      m_options(wrappedLabel(this, "Label2", QString())),
      m_progress(new QProgressBar(this)),
      m_timer(new QTimer(this)) {
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_yenGrid->setObjectName(QStringLiteral("fpSpread2"));
    m_chart->setObjectName(QStringLiteral("Chart1"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(150);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->hide();
    connect(m_timer, &QTimer::timeout, this, &BacktestWindow::advance);

    auto* head = new QWidget(this);
    auto* top = new QVBoxLayout(head);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(2);
    top->addWidget(wrappedLabel(this, "Label1", design.description));
    top->addWidget(m_options);
    top->addWidget(m_progress);
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(m_grid);
    // The bets in yen and the chart share the room below the table, one at a time.
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("Tab1"));
    auto* money = new QWidget(tabs);
    auto* moneyColumn = new QVBoxLayout(money);
    moneyColumn->setContentsMargins(2, 2, 2, 2);
    moneyColumn->addWidget(m_yenGrid);
    moneyColumn->addWidget(m_yenNote);
    moneyColumn->addStretch(1);
    tabs->addTab(money, QStringLiteral("周期法を買っていたら（金額）"));
    tabs->addTab(m_chart, QStringLiteral("グラフ"));
    column->addWidget(tabs, 1);
    column->addWidget(wrappedLabel(this, "Label3", kOdds));
    column->addWidget(wrappedLabel(this, "Label4", kNote));

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    bottom->addWidget(close);
    connect(close, &QPushButton::clicked, this, &ChildWindow::unload);
    layOut(head, body, bottom);
}

BacktestWindow::~BacktestWindow() = default;

void BacktestWindow::load() {
    // The options as they stand now; a later click in the prediction window does not reach a
    // replay already made. New draws do: the replay starts again on them.
    const ReflectOptions options = host().reflectOptions();
    m_options->setText(optionsText(options));
    m_backtest = std::make_unique<Backtest>(host().history(), options);
    m_prizes = host().history()->prizes;
    // Until the replay is done the table has its headings and labels but no numbers: counts of
    // a part of the history, with verdicts, would read as the answer.
    Sheet pending;
    fillBacktestSheet(*m_backtest, pending);
    pending.clearText({3, 3, pending.columnCount(), pending.rowCount()});
    m_grid->setSheet(std::move(pending));
    showWhole(m_grid);
    Sheet yenPending;
    fillBacktestYenSheet(backtestYen(*m_backtest, PrizeTable()), yenPending);
    yenPending.clearText({3, 2, yenPending.columnCount(), yenPending.rowCount()});
    m_yenGrid->setSheet(std::move(yenPending));
    showWhole(m_yenGrid);
    m_yenNote->clear();
    m_clock.start();
    // The first slice under the frame's hourglass: a short history is done before the window
    // shows; a longer one goes on from the event loop.
    advance();
    if (!finished()) {
        setCursor(Qt::BusyCursor);
        m_timer->start(0);
    }
}

void BacktestWindow::advance() {
    if (!m_backtest) return;
    QElapsedTimer slice;
    slice.start();
    while (!m_backtest->step(kRecordsPerCheck) && slice.elapsed() < kSliceMs) {
    }
    if (finished()) {
        m_timer->stop();
        m_progress->hide();
        unsetCursor();
        showResult();
        emit replayFinished();
        return;
    }
    const std::size_t total = std::max<std::size_t>(1, m_backtest->recordCount());
    m_progress->setValue(int(m_backtest->recordsDone() * 1000 / total));
    if (m_clock.elapsed() >= kQuietMs) m_progress->show();
}

void BacktestWindow::closeEvent(QCloseEvent* event) {
    m_timer->stop();  // nothing more is replayed for a window that is going
    ChildWindow::closeEvent(event);
}

void BacktestWindow::showResult() {
    Sheet sheet;
    fillBacktestSheet(*m_backtest, sheet);
    m_grid->setSheet(std::move(sheet));
    showWhole(m_grid);
    m_yen = backtestYen(*m_backtest, m_prizes);
    Sheet yen;
    fillBacktestYenSheet(m_yen, yen);
    m_yenGrid->setSheet(std::move(yen));
    showWhole(m_yenGrid);
    QStringList leftOut;
    long long noPrize = 0;
    for (const YenTally& y : m_yen) {
        if (y.leftOut > 0)
            leftOut << QStringLiteral("%1 %2回").arg(methodLabel(y.method)).arg(y.leftOut);
        noPrize = std::max(noPrize, y.noPrize);
    }
    QString note = QStringLiteral(
        "周期法の予想を毎回1口（200円）ずつストレートとボックスで買っていたら：当せん金はその回の"
        "記録にある当せん金です。偶然の期待額と95%範囲は、同じ形の番号を無作為に選んで買ったとき"
        "のもので、ストレートはその回の当せん金の1/10,000、ボックスはその形の番号が当たる確率に、"
        "その形の番号が出た回のボックス当せん金の平均を掛けて足したものです。"
        "4つとも同じ数字が出た回のボックスは、はずれとして数えています。");
    if (!leftOut.isEmpty())
        note +=
            QStringLiteral("4つとも同じ数字の予想はボックスでは買えないので数えていません（%1）。")
                .arg(leftOut.join(QStringLiteral("、")));
    if (m_prizes.empty())
        note += QStringLiteral(
            "このデータベースには当せん金が記録されていないため、金額は計算できません。");
    else if (noPrize > 0)
        note +=
            QStringLiteral("当せん金の記録がない回は金額から除き、「金額不明」に数えています。");
    m_yenNote->setText(note);
    showChart();
    fitFrame();
}

void BacktestWindow::showEvent(QShowEvent* event) {
    ChildWindow::showEvent(event);
    fitFrame();
}

void BacktestWindow::fitFrame() {
    // The frame sizes a window before it is shown, when what its layout needs is not known
    // yet, and a replay that ends later may need wider columns than the table had while it
    // ran: the window grows to show both tables whole, every column and the verdict.
    QWidget* frame = parentWidget();
    if (!frame || !frame->isVisible() || frame->isMinimized() || frame->isMaximized()) return;
    QSize need = frame->minimumSizeHint();
    // The notes wrap: at the width the window gets they take the height they need, which
    // the minimum leaves out.
    const QSize decoration = frame->size() - size();
    const int height = heightForWidth(std::max(width(), need.width() - decoration.width()));
    need.setHeight(std::max(need.height(), height + decoration.height()));
    frame->resize(frame->size().expandedTo(need));
}

void BacktestWindow::showChart() {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("含まれた数字の的中率（累積）と偶然の率"));
    chart->setFont(windowFont());
    chart->setTitleFont(windowFont());
    chart->legend()->setFont(windowFont());
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);  // solid against dashed
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);

    const std::vector<BacktestPoint>& curve = m_backtest->curve();
    const std::size_t stride = std::max<std::size_t>(1, curve.size() / kChartPoints);
    double first = 0, last = 1;
    for (int s = 0; s < 3; ++s) {
        const QString name = methodLabel(BacktestMethod(int(BacktestMethod::Elimination) + s));
        auto* hits = new QLineSeries;
        auto* chance = new QLineSeries;
        hits->setName(name);
        chance->setName(name + QStringLiteral("（偶然）"));
        auto add = [&](const BacktestPoint& p) {
            if (p.trials[s] == 0) return;
            const double x = p.drawNo, trials = double(p.trials[s]);
            hits->append(x, 100.0 * double(p.hits[s]) / trials);
            chance->append(x, 100.0 * double(p.expected[s]) / kChanceUnit / trials);
        };
        for (std::size_t i = 0; i < curve.size(); i += stride) add(curve[i]);
        // The last draw always, so that the lines end where the table's numbers stand.
        if (!curve.empty() && (curve.size() - 1) % stride != 0) add(curve.back());
        QPen pen(toColor(kSetColours[s]));
        pen.setWidthF(1.5);
        hits->setPen(pen);
        pen.setStyle(Qt::DashLine);
        pen.setWidthF(1.2);
        chance->setPen(pen);
        chart->addSeries(hits);
        chart->addSeries(chance);
    }
    if (!curve.empty()) {
        first = curve.front().drawNo;
        last = std::max(first + 1, double(curve.back().drawNo));
    }

    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("回数"));
    x->setLabelFormat(QStringLiteral("%d"));
    x->setRange(first, last);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("的中率（%）"));
    y->setLabelFormat(QStringLiteral("%d"));
    y->setRange(0, 100);
    y->setTickCount(6);
    for (QValueAxis* axis : {x, y}) {
        axis->setLabelsFont(windowFont());
        axis->setTitleFont(windowFont());
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

}  // namespace pirumoa
