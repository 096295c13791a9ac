#pragma once

#include <QPointer>
#include <array>

#include "core/prediction/predictionsheets.h"
#include "core/stats/outlook.h"
#include "gui/shell/childwindow.h"

class QLabel;
class QRadioButton;
class QScrollArea;

namespace pirumoa {

// 一発ピルモア: the four predictions and the option pairs that steer them. The options belong
// to the host and outlive this window; the window computes the prediction from the history it
// holds and the options, after every option click and whenever the history changes.
class PredictionWindow : public ChildWindow {
    Q_OBJECT
public:
    // Option pairs on the window; pairs 10 and 11 have no option behind them.
    static constexpr int kPairCount = 12;

    PredictionWindow(ChildHost& host, const WindowDesign& design);
    ~PredictionWindow() override;

    void load() override;
    // New draws: the prediction is computed again; the buttons stay as they are.
    void reload() override;
    // The history the prediction is computed from.
    const HistorySnapshot& history() const { return m_history; }
    // Which draw the prediction is for, "第7055回（2026-08-24）の予想": in the host's status bar
    // while this window is the active one, and on the grids' copies and prints.
    QString predictedDrawTitle() const { return m_drawTitle; }

    // Grid 0 … 3 (fpSpread1_0 … fpSpread1_3).
    GridView* grid(int index) const { return m_grids.at(index); }
    // The "反映する" (reflect) or "反映しない" button of pair 0 … 11.
    QRadioButton* optionButton(int pair, bool reflect) const {
        return reflect ? m_reflect.at(pair) : m_noReflect.at(pair);
    }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void optionClicked(int pair, bool reflect);
    // Every pair shows the option in use.
    void showOptions();
    // Computes the prediction from the history and the options and shows it.
    void showPrediction();
    // Names the draw the history's prediction is for, with its date where one is stored.
    void nameThePredictedDraw();
    // The predicted draw in the status bar while this window is the active one.
    void showDrawInStatusBar();

    QScrollArea* m_scroll;
    std::array<GridView*, kPredictionGridCount> m_grids{};
    std::array<QRadioButton*, kPairCount> m_reflect{};
    std::array<QRadioButton*, kPairCount> m_noReflect{};
    QLabel* m_label4 = nullptr;  // moves down when the rapid-fire grid needs another row
    HistorySnapshot m_history;
    // The expected prize of the numbers the cycle grid proposes, fitted on the same history.
    OutlookModel m_outlook;
    QString m_drawTitle;
    // Lives in the host's status bar, which outlives this window.
    QPointer<QLabel> m_drawLabel;
};

}  // namespace pirumoa
