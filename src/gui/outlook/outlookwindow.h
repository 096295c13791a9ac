#pragma once

#include "core/stats/outlook.h"
#include "gui/shell/childwindow.h"

class QLabel;
class QLineEdit;
class QTableWidget;

namespace pirumoa {

// 番号の見込み払戻率: type a number, see what it would pay as a straight, a box and a set if it
// won, learned from the stored prizes, with the features that moved it and the reminder that
// every number has the same chance.
class OutlookWindow : public ChildWindow {
    Q_OBJECT
public:
    OutlookWindow(ChildHost& host, const WindowDesign& design);

    void load() override;
    // Shows the outlook of the number, as typing it does.
    void setNumber(const QString& digits);
    const OutlookModel& model() const { return m_model; }

private:
    void showOutlook();

    QLineEdit* m_number;
    QTableWidget* m_table;
    QLabel* m_features;
    OutlookModel m_model;
};

}  // namespace pirumoa
