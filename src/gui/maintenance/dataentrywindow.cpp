#include "gui/maintenance/dataentrywindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <utility>

#include "core/sheet/colours.h"
#include "core/store/drawstore.h"
#include "gui/maintenance/drawtablemodel.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const QString kAddLineQuestion =
    QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？");
const QString kDelLineQuestion = QStringLiteral("選択された行を削除します。よろしいですか？");

// Draws the grid's cell lines in the colour the sheets use for them, and keeps the texts'
// side margins to one pixel: the texts are centred, and a four-digit draw number then fits
// the narrow first column.
class CellStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Table_GridLineColor) return int(toColor(colour::LightBlue).rgba());
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_FocusFrameHMargin) return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// The text margin the item views add on each side: the focus frame's margin and one pixel.
constexpr int kTextMargin = 1;

}  // namespace

// The grid of draws. Tab and Shift+Tab stop at the last and the first cell instead of going
// round to the other end, and typing never searches: a key either edits the current cell or
// does nothing, so whatever is typed stays in the draw that has the focus.
class DrawGrid : public QTableView {
public:
    using QTableView::QTableView;

    void keyboardSearch(const QString&) override {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        if (current.isValid() && (action == MoveNext || action == MovePrevious)) {
            const bool atEnd = action == MoveNext
                                   ? current.row() == model()->rowCount() - 1 &&
                                         current.column() == model()->columnCount() - 1
                                   : current.row() == 0 && current.column() == 0;
            if (atEnd) return current;
        }
        return QTableView::moveCursor(action, modifiers);
    }

    // Tab on the grid itself (no editor open) moves through the cells too; at the ends it
    // stays on the cell rather than handing the focus to the next control.
    bool focusNextPrevChild(bool next) override {
        const QModelIndex current = currentIndex();
        if (tabKeyNavigation() && current.isValid() &&
            moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier) == current)
            return true;
        return QTableView::focusNextPrevChild(next);
    }
};

// Lets into a digit cell's editor only what the cell can hold: nothing, or one digit (half-
// or full-width). A key or a paste that would make anything else does nothing. The text the
// editor opened with passes as it stands: a wrong value that came into the cell by other
// means then goes on to the model, which refuses it and says so, instead of holding the
// editor open without a word.
class DigitValidator : public QValidator {
public:
    using QValidator::QValidator;

    void setOpeningText(const QString& text) { m_opening = text; }

    State validate(QString& input, int&) const override {
        int digit = -1;
        if (input == m_opening || (input.size() <= 1 && DrawTableModel::parseDigit(input, &digit)))
            return Acceptable;
        return Invalid;
    }

private:
    QString m_opening;
};

// The editor of a digit cell: centred, refusing what the cell cannot hold.
class DigitEdit : public QLineEdit {
public:
    explicit DigitEdit(QWidget* parent) : QLineEdit(parent), m_validator(new DigitValidator(this)) {
        setAlignment(Qt::AlignCenter);
        setFrame(false);
        setContextMenuPolicy(Qt::PreventContextMenu);
        setValidator(m_validator);
    }

    void setCellText(const QString& text) {
        m_validator->setOpeningText(text);
        setText(text);
    }

private:
    DigitValidator* m_validator;
};

// One editor per digit cell. The value goes to the model when the cell is left or Enter is
// pressed; the model checks and stores it.
class DigitDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* edit = new DigitEdit(parent);
        m_editor = edit;
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<DigitEdit*>(editor)->setCellText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (editor == m_editor) m_editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    // Hands the open editor's text to the model and closes it, as leaving the cell does.
    void commitOpenEditor() {
        if (QWidget* editor = m_editor.data()) {
            m_editor = nullptr;
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
        }
    }

private:
    mutable QPointer<QWidget> m_editor;
};

DataEntryWindow::DataEntryWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_grid(new DrawGrid(this)),
      m_delegate(new DigitDelegate(this)),
      m_menu(new QMenu(QStringLiteral("編集(&E)"), this)) {
    auto* label = new QLabel(design.description, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));

    m_menu->setObjectName(QStringLiteral("mnuEdit"));
    m_menu->menuAction()->setObjectName(QStringLiteral("mnuEdit"));
    m_addLine = m_menu->addAction(QStringLiteral("行追加"));
    m_addLine->setObjectName(QStringLiteral("mnuAddLine"));
    m_addLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_delLine = m_menu->addAction(QStringLiteral("行削除"));
    m_delLine->setObjectName(QStringLiteral("mnuDelLine"));
    m_delLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    for (QAction* a : {m_addLine, m_delLine}) {
        // The shortcuts belong to this window only: Ctrl+A elsewhere keeps its own meaning.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(m_addLine, &QAction::triggered, this, &DataEntryWindow::addLine);
    connect(m_delLine, &QAction::triggered, this, &DataEntryWindow::deleteLine);

    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    connect(close, &QPushButton::clicked, this, &DataEntryWindow::closeChecked);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    layOut(label, m_grid, bottom);
}

DataEntryWindow::~DataEntryWindow() { showOwnMenu(false); }

void DataEntryWindow::load() {
    try {
        m_model = new DrawTableModel(DrawStore::open(host().databaseFile()), this);
    } catch (const StoreError& e) {
        // The file went away or was locked after start-up: say so, and the window goes again.
        Prompt::refuse(this, e.message());
        QTimer::singleShot(0, this, &ChildWindow::unload);
        return;
    }
    connect(m_model, &DrawTableModel::refused, this, &DataEntryWindow::queueRefusal);
    // What is stored reaches every other window at once.
    connect(m_model, &DrawTableModel::stored, this, [this] { host().historyWritten(); });
    m_grid->setModel(m_model);
    setUpGrid();

    m_mdi = host().mdiArea();
    m_bar = host().hostMenuBar();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &DataEntryWindow::subWindowActivated);
    subWindowActivated(m_mdi->activeSubWindow());
    // The newest draw is where entering goes on.
    if (m_model->rowCount() > 0) setCurrent(m_model->rowCount() - 1, 1);
}

void DataEntryWindow::setUpGrid() {
    auto* style = new CellStyle;
    style->setParent(m_grid);
    m_grid->setStyle(style);
    m_grid->setItemDelegate(m_delegate);
    m_grid->setShowGrid(true);
    m_grid->setGridStyle(Qt::SolidLine);
    m_grid->setWordWrap(false);
    m_grid->setCornerButtonEnabled(false);
    m_grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_grid->setContextMenuPolicy(Qt::PreventContextMenu);

    QHeaderView* columns = m_grid->horizontalHeader();
    columns->setContextMenuPolicy(Qt::PreventContextMenu);
    columns->setHighlightSections(false);
    columns->setMinimumSectionSize(GridView::columnPixels(1));
    columns->setSectionResizeMode(QHeaderView::Fixed);
    fitNumberColumn();
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DataEntryWindow::fitNumberColumn);
    for (int c = 1; c < DrawTableModel::kColumns; ++c)
        columns->resizeSection(c, GridView::columnPixels(7));

    // The row headers are record selectors without numbers: narrow, a click selects the row
    // and a right-click offers the menu. Fixed row heights keep a history of 32,767 draws as
    // quick as a short one.
    QHeaderView* rows = m_grid->verticalHeader();
    rows->setHighlightSections(false);
    rows->setFixedWidth(GridView::columnPixels(2));
    rows->setMinimumSectionSize(GridView::rowPixels(1));
    rows->setDefaultSectionSize(GridView::rowPixels(10));
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rows, &QWidget::customContextMenuRequested, this, &DataEntryWindow::rowHeaderMenu);
}

void DataEntryWindow::fitNumberColumn() {
    // Width 5 holds four digits; a five-digit draw number gets the room it needs rather
    // than being cut short.
    const int rows = m_model->rowCount();
    int widest = 0;
    if (rows > 0) {
        const QString last = QString::number(m_model->record(rows - 1).no);
        widest = m_grid->fontMetrics().horizontalAdvance(last) + 2 * kTextMargin + 1;
    }
    m_grid->horizontalHeader()->resizeSection(0, std::max(GridView::columnPixels(5), widest));
}

void DataEntryWindow::setCurrent(int row, int column) {
    const QModelIndex index = m_model->index(row, column);
    m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_grid->scrollTo(index);
}

bool DataEntryWindow::commitEdit() {
    m_delegate->commitOpenEditor();
    if (m_pendingRefusal.isEmpty()) return true;
    showRefusal();
    return false;
}

// A refusal is shown once the editor is gone: a message box opened while the view is still
// handing the editor's value over would take the focus from that editor in the middle.
void DataEntryWindow::queueRefusal(const QString& message) {
    m_pendingRefusal = message;
    QTimer::singleShot(0, this, &DataEntryWindow::showRefusal);
}

void DataEntryWindow::showRefusal() {
    if (m_pendingRefusal.isEmpty()) return;
    Prompt::refuse(this, std::exchange(m_pendingRefusal, QString()));
}

void DataEntryWindow::addLine() {
    if (!m_model || !commitEdit()) return;
    if (!Prompt::ask(this, kAddLineQuestion)) return;
    const QModelIndex current = m_grid->currentIndex();
    const int column = current.isValid() ? current.column() : 1;
    // Without an active row (an empty table) the new draw goes to the end.
    const int row = current.isValid() ? current.row() : m_model->rowCount() - 1;
    QString why;
    const int added = m_model->addDrawAfter(row, &why);
    if (added < 0) {
        Prompt::refuse(this, why);
        return;
    }
    setCurrent(added, column);
}

void DataEntryWindow::deleteLine() {
    if (!m_model || !commitEdit()) return;
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) return;
    if (!Prompt::ask(this, kDelLineQuestion)) return;
    QString why;
    if (!m_model->removeDraw(current.row(), &why)) Prompt::refuse(this, why);
}

void DataEntryWindow::closeChecked() {
    // A digit is checked as it is entered, so what is stored is always right; what is still
    // being typed is checked now, and a wrong one keeps the window open.
    if (m_model && !commitEdit()) return;
    unload();
}

void DataEntryWindow::closeEvent(QCloseEvent* event) {
    // Closed other than by "閉じる" (the title bar, the program's exit): what is being typed
    // is stored all the same, without the check.
    if (m_model) commitEdit();
    m_closing = true;
    showOwnMenu(false);
    ChildWindow::closeEvent(event);
}

bool DataEntryWindow::selectionIsOnlyRow(int row) const {
    if (m_grid->currentIndex().row() != row) return false;
    for (const QItemSelectionRange& range : m_grid->selectionModel()->selection())
        if (range.top() != row || range.bottom() != row) return false;
    return true;
}

void DataEntryWindow::rowHeaderMenu(const QPoint& pos) {
    QHeaderView* rows = m_grid->verticalHeader();
    const int row = rows->logicalIndexAt(pos);
    if (row < 0 || row >= m_model->rowCount() || !selectionIsOnlyRow(row)) return;
    m_menu->popup(rows->viewport()->mapToGlobal(pos));
}

void DataEntryWindow::subWindowActivated(QMdiSubWindow* active) {
    // Another application taking the focus leaves no active child, but this one is still
    // the current one and keeps its menu.
    if (!active && m_mdi) active = m_mdi->currentSubWindow();
    showOwnMenu(!m_closing && active && active->widget() == this);
}

void DataEntryWindow::showOwnMenu(bool shown) {
    // The main window may be on its way out: only what is still there is touched.
    QMenuBar* bar = m_bar.data();
    if (shown == m_menuShown || !bar) return;
    m_menuShown = shown;
    if (shown) {
        for (QAction* a : bar->actions()) {
            if (!a->isVisible()) continue;
            a->setVisible(false);
            m_hiddenMainMenus << a;
        }
        bar->addMenu(m_menu);
    } else {
        bar->removeAction(m_menu->menuAction());
        for (const QPointer<QAction>& a : std::as_const(m_hiddenMainMenus))
            if (a) a->setVisible(true);
        m_hiddenMainMenus.clear();
    }
}

}  // namespace pirumoa
