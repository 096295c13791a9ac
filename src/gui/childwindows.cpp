// The one place that knows every kind of working window.
#include "gui/maintenance/dataentrywindow.h"
#include "gui/prediction/backtestwindow.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/tickets/ticketswindow.h"
#include "gui/shell/childwindow.h"

namespace pirumoa {

ChildWindow* createChildWindow(const WindowInfo& info, ChildHost& host) {
    if (!isBuilt(info)) return nullptr;
    switch (info.kind) {
        case WindowKind::Analysis:
            return new AnalysisWindow(host, info);
        case WindowKind::Prediction:
            return new PredictionWindow(host, info);
        case WindowKind::DataEntry:
            return new DataEntryWindow(host, info);
        case WindowKind::Backtest:
            return new BacktestWindow(host, info);
        case WindowKind::Tickets:
            return new TicketsWindow(host, info);
    }
    return nullptr;
}

}  // namespace pirumoa
