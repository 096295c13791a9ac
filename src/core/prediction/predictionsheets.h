#pragma once

#include <array>

#include "core/prediction/methods.h"
#include "core/sheet/sheet.h"
#include "core/store/drawhistory.h"

namespace pirumoa {

// The prediction window's four grids: 0 cycle method, 1 elimination method, 2 rapid-fire
// prediction, 3 one-shot prediction.
inline constexpr int kPredictionGridCount = 4;
using PredictionSheets = std::array<Sheet, kPredictionGridCount>;

// Rows of each grid as laid out; grid 2 gets one more while it shows nine or ten digits.
inline constexpr std::array<int, kPredictionGridCount> kPredictionGridRows{5, 4, 3, 2};

// Lays grid 0 … 3 out from scratch (size, widths, heights, cell type, lines, labels,
// heading), with no digits and no active cell.
void layoutPredictionGrid(int grid, Sheet& sheet);
void layoutPredictionGrids(PredictionSheets& sheets);

// The four grids showing a prediction: laid out, the cycle digits in grid 0, the elimination,
// rapid-fire and one-shot digits in grids 1 to 3.
PredictionSheets predictionSheets(const PredictionResult& prediction);

}  // namespace pirumoa
