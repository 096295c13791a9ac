#pragma once

#include <array>

#include "core/prediction/predictionsheets.h"
#include "gui/shell/childwindow.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace pirumoa {

class Prediction;

// 一発ピルモア: the four predictions and the option pairs that steer them. The options and
// the tables behind the predictions belong to the main window's Prediction, which outlives
// this window; the window only shows them and recomputes after every option click.
class PredictionWindow : public ChildWindow {
    Q_OBJECT
public:
    // Option pairs on the window; pairs 10 and 11 have no option behind them.
    static constexpr int kPairCount = 12;

    PredictionWindow(ChildHost& host, const WindowDesign& design);

    void load() override;

    // Grid 0 … 3 (fpSpread1_0 … fpSpread1_3).
    GridView* grid(int index) const { return m_grids.at(index); }
    // The "反映する" (reflect) or "反映しない" button of pair 0 … 11.
    QRadioButton* optionButton(int pair, bool reflect) const {
        return reflect ? m_reflect.at(pair) : m_noReflect.at(pair);
    }

private:
    void optionClicked(int pair, bool reflect);
    // Puts the prediction's current results into the grids and fits the grids to them.
    void showResult();
    Prediction& prediction() const;

    std::array<GridView*, kPredictionGridCount> m_grids{};
    std::array<QRadioButton*, kPairCount> m_reflect{};
    std::array<QRadioButton*, kPairCount> m_noReflect{};
    QLabel* m_label4 = nullptr;  // moves down when the rapid-fire grid needs another row
    PredictionSheets m_sheets;
};

}  // namespace pirumoa
