#pragma once

#include <QElapsedTimer>
#include <memory>

#include "core/prediction/backtest.h"
#include "core/prediction/backtestsheets.h"
#include "gui/shell/childwindow.h"

class QChartView;
class QLabel;
class QProgressBar;
class QTimer;

namespace pirumoa {

class GridView;

// 予想の検証: the prediction replayed over the whole history with the options chosen in the
// prediction window, each method's hits set beside chance, as a table and a chart. The replay
// runs in slices on the event loop, so a long history shows its progress and the window can
// be closed before it ends.
class BacktestWindow : public ChildWindow {
    Q_OBJECT
public:
    BacktestWindow(ChildHost& host, const WindowDesign& design);
    ~BacktestWindow() override;

    void load() override;

    bool finished() const { return m_backtest && m_backtest->done(); }
    const Backtest* backtest() const { return m_backtest.get(); }
    GridView* grid() const { return m_grid; }
    // The cycle rows bet in yen, once the replay is done.
    GridView* yenGrid() const { return m_yenGrid; }
    const std::vector<YenTally>& yen() const { return m_yen; }
    QChartView* chartView() const { return m_chart; }

signals:
    void replayFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void advance();
    void showResult();
    void showChart();
    void fitFrame();

    GridView* m_grid;
    GridView* m_yenGrid;
    QLabel* m_yenNote;
    QChartView* m_chart;
    QLabel* m_options;
    QProgressBar* m_progress;
    QTimer* m_timer;
    QElapsedTimer m_clock;
    std::unique_ptr<Backtest> m_backtest;
    PrizeTable m_prizes;
    std::vector<YenTally> m_yen;
};

}  // namespace pirumoa
