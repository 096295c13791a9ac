#pragma once

#include <QList>
#include <QPointer>

#include "gui/shell/childwindow.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class QTableView;

namespace pirumoa {

class DigitDelegate;
class DrawTableModel;

// The window where past draws are entered, corrected, added and deleted. Its grid works on
// a writable connection of its own; every change is stored as soon as it is made.
class DataEntryWindow : public ChildWindow {
    Q_OBJECT
public:
    DataEntryWindow(ChildHost& host, const WindowDesign& design);
    ~DataEntryWindow() override;

    void load() override;
    // The window writes the history itself: it keeps its rows and what is being typed.
    void reload() override {}

    QTableView* grid() const { return m_grid; }
    DrawTableModel* model() const { return m_model; }
    QMenu* editMenu() const { return m_menu; }

    // "行追加": a draw without digits below the active row, numbered one more than it.
    void addLine();
    // "行削除": the draw of the active row.
    void deleteLine();
    // "閉じる": the digit being typed is checked first; a wrong one keeps the window open.
    void closeChecked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpGrid();
    void fitNumberColumn();
    // Stores what is being typed, as leaving the cell does. False when it was refused; the
    // message has then been shown.
    bool commitEdit();
    void queueRefusal(const QString& message);
    void showRefusal();
    void rowHeaderMenu(const QPoint& pos);
    bool selectionIsOnlyRow(int row) const;
    void setCurrent(int row, int column);
    // While this window is the active child, the main menu bar shows only its own menu.
    void subWindowActivated(QMdiSubWindow* active);
    void showOwnMenu(bool shown);

    QTableView* m_grid;
    DigitDelegate* m_delegate;
    DrawTableModel* m_model = nullptr;
    QMenu* m_menu;
    QAction* m_addLine;
    QAction* m_delLine;
    QPointer<QMdiArea> m_mdi;
    QPointer<QMenuBar> m_bar;
    QString m_pendingRefusal;
    bool m_closing = false;
    bool m_menuShown = false;
    QList<QPointer<QAction>> m_hiddenMainMenus;
};

}  // namespace pirumoa
