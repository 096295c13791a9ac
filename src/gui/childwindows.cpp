// The one place that knows every kind of working window.
#include "gui/maintenance/dataentrywindow.h"
#include "gui/outlook/outlookwindow.h"
#include "gui/prediction/backtestwindow.h"
#include "gui/prediction/predictionwindow.h"
#include "gui/shell/childwindow.h"
#include "gui/tickets/ticketswindow.h"

namespace pirumoa {

ChildWindow* createChildWindow(const WindowDesign& design, ChildHost& host) {
    switch (design.info->kind) {
        case WindowKind::Analysis:
            return new AnalysisWindow(host, design);
        case WindowKind::Prediction:
            return new PredictionWindow(host, design);
        case WindowKind::DataEntry:
            return new DataEntryWindow(host, design);
        case WindowKind::Backtest:
            return new BacktestWindow(host, design);
        case WindowKind::Tickets:
            return new TicketsWindow(host, design);
        case WindowKind::Outlook:
            return new OutlookWindow(host, design);
    }
    return nullptr;
}

}  // namespace pirumoa
