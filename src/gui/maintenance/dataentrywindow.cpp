#include "gui/maintenance/dataentrywindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
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
#include "core/sheet/sheet.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawdate.h"
#include "core/store/drawstore.h"
#include "core/store/historydocument.h"
#include "core/store/pasteddraws.h"
#include "gui/maintenance/drawtablemodel.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const QString kAddLineQuestion =
    QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？");
const QString kDelLineQuestion = QStringLiteral("選択された行を削除します。よろしいですか？");
const QString kDigitHint = QStringLiteral("当選数字は 0～9 の数字を1つ入力してください。");

using Model = DrawTableModel;

// What is typed is stored at the latest this long after the last keystroke.
constexpr int kSaveDelayMs = 1000;

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

// Lets into a digit cell's editor only what the cell can hold: nothing, or one digit (half-
// or full-width). The text the editor opened with passes as it stands: a wrong value that
// came into the cell by other means then goes on to the model, which refuses it and says so.
class DigitValidator : public QValidator {
public:
    using QValidator::QValidator;
    void setOpeningText(const QString& text) { m_opening = text; }
    State validate(QString& input, int&) const override {
        int digit = -1;
        if (input == m_opening || (input.size() <= 1 && Model::parseDigit(input, &digit)))
            return Acceptable;
        return Invalid;
    }

private:
    QString m_opening;
};

// A date takes only what a date is written with; it is acceptable once it is a date a draw
// can have, or empty.
class DateValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.trimmed().isEmpty()) return Acceptable;
        if (input.size() > 20) return Invalid;
        for (const QChar c : input)
            if (!c.isDigit() && !QStringLiteral("-/. ()（）／－月火水木金土日").contains(c))
                return Invalid;
        return drawDateProblem(parseDrawDate(input)).isEmpty() ? Acceptable : Intermediate;
    }
};

// The new row's draw number: digits only, 1 to 32,767.
class NumberValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Intermediate;
        if (input.size() > 5) return Invalid;
        for (const QChar c : input)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return Invalid;
        const int no = input.toInt();
        return no >= 1 && no <= kMaxDrawNo ? Acceptable : Intermediate;
    }
};

// The editor of a cell: centred, framed so that the cell being typed is plain to see, and
// refusing what the cell cannot hold.
class CellEdit : public QLineEdit {
public:
    CellEdit(QWidget* parent, int column) : QLineEdit(parent), m_column(column) {
        setAlignment(Qt::AlignCenter);
        setContextMenuPolicy(Qt::PreventContextMenu);
        setStyleSheet(
            QStringLiteral("QLineEdit { border: 2px solid #1f5fbf; padding: 0px; "
                           "background: white; }"));
        if (Model::isDigitColumn(column))
            setValidator(m_digits = new DigitValidator(this));
        else if (column == Model::kDateColumn)
            setValidator(new DateValidator(this));
        else
            setValidator(new NumberValidator(this));
        m_save.setSingleShot(true);
        m_save.setInterval(kSaveDelayMs);
    }
    int column() const { return m_column; }
    void setCellText(const QString& text) {
        if (m_digits) m_digits->setOpeningText(text);
        setText(text);
    }
    QTimer& saveTimer() { return m_save; }

private:
    int m_column;
    DigitValidator* m_digits = nullptr;
    QTimer m_save;
};

bool isDigitKey(const QString& text, int* digit) {
    return text.size() == 1 && Model::parseDigit(text, digit) && *digit >= 0;
}

}  // namespace

// The grid of draws. Tab and Shift+Tab go through the dates and digits (never the draw
// numbers) and stop at the last and the first cell; Enter goes down, as in a spreadsheet; a
// digit typed on a digit cell is stored at once and the cursor goes on; typing never
// searches.
class DrawGrid : public QTableView {
public:
    explicit DrawGrid(DataEntryWindow* window) : QTableView(window), m_window(window) {}

    void keyboardSearch(const QString&) override {}

    // Moves the cursor as key does, as after leaving an editor with it.
    void moveByKey(int key, Qt::KeyboardModifiers modifiers) {
        CursorAction action;
        switch (key) {
            case Qt::Key_Tab:
                action = MoveNext;
                break;
            case Qt::Key_Backtab:
                action = MovePrevious;
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                action = modifiers & Qt::ShiftModifier ? MoveUp : MoveDown;
                break;
            case Qt::Key_Up:
                action = MoveUp;
                break;
            case Qt::Key_Down:
                action = MoveDown;
                break;
            case Qt::Key_Left:
                action = MoveLeft;
                break;
            case Qt::Key_Right:
                action = MoveRight;
                break;
            case Qt::Key_PageUp:
                action = MovePageUp;
                break;
            case Qt::Key_PageDown:
                action = MovePageDown;
                break;
            case Qt::Key_Home:
                action = MoveHome;
                break;
            case Qt::Key_End:
                action = MoveEnd;
                break;
            default:
                return;
        }
        const QModelIndex to = moveCursor(action, modifiers);
        if (!to.isValid()) return;
        selectionModel()->setCurrentIndex(to, QItemSelectionModel::ClearAndSelect);
        scrollTo(to);
    }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = currentIndex();
        if (current.isValid() && (action == MoveNext || action == MovePrevious)) {
            int row = current.row();
            int column = current.column() + (action == MoveNext ? 1 : -1);
            if (column >= Model::kColumns) {
                ++row;
                column = Model::kDateColumn;
            } else if (column < Model::kDateColumn) {
                --row;
                column = Model::kColumns - 1;
            }
            if (row < 0 || row >= model()->rowCount()) return current;
            return model()->index(row, column);
        }
        return QTableView::moveCursor(action, modifiers);
    }

    // Tab on the grid itself (no editor open) moves through the cells too; at the ends it
    // stays on the cell rather than handing the focus to the next control.
    bool focusNextPrevChild(bool next) override {
        if (tabKeyNavigation() && currentIndex().isValid()) {
            moveByKey(next ? Qt::Key_Tab : Qt::Key_Backtab, Qt::NoModifier);
            return true;
        }
        return QTableView::focusNextPrevChild(next);
    }

    void keyPressEvent(QKeyEvent* event) override {
        if (state() == EditingState) return QTableView::keyPressEvent(event);
        const QModelIndex current = currentIndex();
        if (event->matches(QKeySequence::Copy)) return m_window->copy();
        if (event->matches(QKeySequence::Paste)) return m_window->paste();
        const int key = event->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace)
            return m_window->clearSelectedDigits();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return moveByKey(key, event->modifiers());
        if (current.isValid() && Model::isDigitColumn(current.column()) &&
            !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            !event->text().isEmpty() && event->text()[0].isPrint()) {
            int digit = -1;
            if (isDigitKey(event->text(), &digit))
                m_window->typeDigit(current.row(), current.column(), event->text());
            else
                m_window->statusLine()->setText(kDigitHint);
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    DataEntryWindow* m_window;
};

// One editor per cell. Its value goes to the model when the cell is left by any key or by
// the focus, and at the latest a second after the last keystroke; a digit typed into a digit
// cell's editor is stored at once and the cursor goes on.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(DataEntryWindow* window, DrawGrid* grid)
        : QStyledItemDelegate(window), m_window(window), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* edit = new CellEdit(parent, index.column());
        m_editor = edit;
        const QPersistentModelIndex at(index);
        connect(edit, &QLineEdit::textEdited, edit, [this, edit, at](const QString& text) {
            int digit = -1;
            if (Model::isDigitColumn(edit->column()) && isDigitKey(text, &digit)) {
                // After the key has been handled by the editor: it must not go in its own
                // key handler.
                QTimer::singleShot(0, m_window, [this, at, text, edit] {
                    if (m_editor != edit || !at.isValid()) return;
                    const QPersistentModelIndex where = at;
                    abandon(edit);
                    m_window->typeDigit(where.row(), where.column(), text);
                });
                return;
            }
            edit->saveTimer().start();
        });
        connect(&edit->saveTimer(), &QTimer::timeout, edit, [edit, at] {
            if (!at.isValid() || !edit->hasAcceptableInput()) return;
            auto* model = const_cast<QAbstractItemModel*>(at.model());
            if (edit->text() != at.data(Qt::EditRole).toString())
                model->setData(at, edit->text(), Model::QuietEditRole);
        });
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<CellEdit*>(editor)->setCellText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* edit = static_cast<CellEdit*>(editor);
        edit->saveTimer().stop();
        model->setData(index, edit->text(), Qt::EditRole);
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
    bool editorOpen() const { return m_editor; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* edit = dynamic_cast<CellEdit*>(object);
        if (edit && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (leaves(edit, key)) {
                if (!edit->hasAcceptableInput()) {
                    // Refused as typed: the editor stays, and the user reads why.
                    if (edit->column() == Model::kDateColumn)
                        m_window->statusLine()->setText(
                            drawDateProblem(parseDrawDate(edit->text())));
                    else
                        m_window->statusLine()->setText(
                            QStringLiteral("回数は 1～%1 の数で入力してください。")
                                .arg(kMaxDrawNo));
                    return true;
                }
                m_editor = nullptr;
                emit commitData(edit);
                emit closeEditor(edit, NoHint);
                m_grid->moveByKey(key->key(), key->modifiers());
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // Whether key leaves the cell. In a date the caret moves over the text, and leaves it
    // only past either end.
    static bool leaves(const CellEdit* edit, const QKeyEvent* key) {
        switch (key->key()) {
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                return true;
            case Qt::Key_Home:
            case Qt::Key_End:
                return edit->column() != Model::kDateColumn ||
                       (key->modifiers() & Qt::ControlModifier);
            case Qt::Key_Left:
                return edit->column() != Model::kDateColumn ||
                       (edit->cursorPosition() == 0 && !edit->hasSelectedText());
            case Qt::Key_Right:
                return edit->column() != Model::kDateColumn ||
                       (edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText());
            default:
                return false;
        }
    }
    // Closes an editor whose value is stored by other means.
    void abandon(QWidget* editor) const {
        m_editor = nullptr;
        emit const_cast<CellDelegate*>(this)->closeEditor(editor, NoHint);
    }

    DataEntryWindow* m_window;
    DrawGrid* m_grid;
    mutable QPointer<CellEdit> m_editor;
};

DataEntryWindow::DataEntryWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_grid(new DrawGrid(this)),
      m_delegate(new CellDelegate(this, m_grid)),
      m_menu(new QMenu(QStringLiteral("編集(&E)"), this)),
      m_status(new QLabel(this)) {
    auto* label = new QLabel(design.description, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));
    m_status->setObjectName(QStringLiteral("Label2"));
    m_status->setWordWrap(true);

    m_menu->setObjectName(QStringLiteral("mnuEdit"));
    m_menu->menuAction()->setObjectName(QStringLiteral("mnuEdit"));
    m_addLine = m_menu->addAction(QStringLiteral("行追加"));
    m_addLine->setObjectName(QStringLiteral("mnuAddLine"));
    m_addLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_delLine = m_menu->addAction(QStringLiteral("行削除"));
    m_delLine->setObjectName(QStringLiteral("mnuDelLine"));
    m_delLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    m_menu->addSeparator();
    m_undo = m_menu->addAction(QStringLiteral("元に戻す"));
    m_undo->setObjectName(QStringLiteral("mnuUndo"));
    m_undo->setShortcuts(QKeySequence::Undo);
    m_redo = m_menu->addAction(QStringLiteral("やり直し"));
    m_redo->setObjectName(QStringLiteral("mnuRedo"));
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m_undo->setEnabled(false);
    m_redo->setEnabled(false);
    for (QAction* a : {m_addLine, m_delLine, m_undo, m_redo}) {
        // The shortcuts belong to this window only: Ctrl+A elsewhere keeps its own meaning,
        // and an open editor undoes its own typing.
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(m_addLine, &QAction::triggered, this, &DataEntryWindow::addLine);
    connect(m_delLine, &QAction::triggered, this, &DataEntryWindow::deleteLine);
    connect(m_undo, &QAction::triggered, this, &DataEntryWindow::undo);
    connect(m_redo, &QAction::triggered, this, &DataEntryWindow::redo);

    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    connect(close, &QPushButton::clicked, this, &DataEntryWindow::closeChecked);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(close, 0, Qt::AlignBottom);
    layOut(label, m_grid, bottom);
}

DataEntryWindow::~DataEntryWindow() { showOwnMenu(false); }

QTableView* DataEntryWindow::grid() const { return m_grid; }

void DataEntryWindow::load() {
    const QString problem = host().document().writeProblem();
    if (!problem.isEmpty()) {
        // The file went away or was locked after start-up: say so, and the window goes again.
        Prompt::refuse(this, problem);
        QTimer::singleShot(0, this, &ChildWindow::unload);
        return;
    }
    m_model = new DrawTableModel(host().document(), this);
    connect(m_model, &DrawTableModel::refused, this, &DataEntryWindow::queueRefusal);
    connect(m_model, &DrawTableModel::hint, this, &DataEntryWindow::showHint);
    connect(m_model, &DrawTableModel::dateNeedsConfirmation, this, &DataEntryWindow::confirmDate);
    connect(m_model, &DrawTableModel::focusRequested, this, &DataEntryWindow::focusDraw);
    connect(m_model, &DrawTableModel::drawsStored, this, &DataEntryWindow::drawsStored);
    HistoryDocument& document = host().document();
    const auto undoState = [this, &document] {
        m_undo->setEnabled(document.canUndo());
        m_redo->setEnabled(document.canRedo());
    };
    connect(&document, &HistoryDocument::undoStateChanged, this, undoState);
    undoState();
    m_grid->setModel(m_model);
    setUpGrid();

    m_mdi = host().mdiArea();
    m_bar = host().hostMenuBar();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &DataEntryWindow::subWindowActivated);
    subWindowActivated(m_mdi->activeSubWindow());
    // Entering goes on at the new row, ready for the next draw.
    if (m_model->rowCount() > 0)
        setCurrent(m_model->rowCount() - 1, DrawTableModel::kFirstDigitColumn);
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
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataEntryWindow::fitNumberColumn);
    // The date with its weekday, whole.
    columns->resizeSection(
        DrawTableModel::kDateColumn,
        m_grid->fontMetrics().horizontalAdvance(shownDrawDate(QStringLiteral("2026-08-28"))) +
            2 * kTextMargin + 6);
    for (int c = DrawTableModel::kFirstDigitColumn; c < DrawTableModel::kColumns; ++c)
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

void DataEntryWindow::showHint(const QString& message) { m_status->setText(message); }

void DataEntryWindow::confirmDate(int no, const QString& isoDate, const QString& question) {
    // Asked once the editor is gone, as refusals are; the same question twice is asked once.
    if (m_pendingQuestion == question) return;
    m_pendingQuestion = question;
    QTimer::singleShot(0, this, [this, no, isoDate] {
        const bool yes = Prompt::ask(this, m_pendingQuestion);
        m_pendingQuestion.clear();
        if (yes && m_model->setConfirmedDate(no, isoDate))
            focusDraw(no, DrawTableModel::kDateColumn);
    });
}

void DataEntryWindow::drawsStored() { m_status->clear(); }

void DataEntryWindow::focusDraw(int no, int column) {
    int row = m_model->rowOfDraw(no);
    if (row < 0) row = std::min(m_model->storedCount(), m_model->rowCount() - 1);
    if (row >= 0) setCurrent(row, column);
}

void DataEntryWindow::advanceFrom(int no, int column) {
    const int row = m_model->rowOfDraw(no);
    if (row < 0) return;
    if (column + 1 < DrawTableModel::kColumns)
        setCurrent(row, column + 1);
    else if (row + 1 < m_model->rowCount())
        setCurrent(row + 1, DrawTableModel::kFirstDigitColumn);
}

void DataEntryWindow::typeDigit(int row, int column, const QString& digit) {
    if (!m_model || row < 0 || row >= m_model->rowCount()) return;
    const int no = m_model->record(row).no;
    if (m_model->setData(m_model->index(row, column), digit)) advanceFrom(no, column);
}

void DataEntryWindow::addLine() {
    if (!m_model || !commitEdit()) return;
    if (!Prompt::ask(this, kAddLineQuestion)) return;
    const QModelIndex current = m_grid->currentIndex();
    const int column = current.isValid() ? current.column() : DrawTableModel::kFirstDigitColumn;
    // Without an active row the new draw goes to the end.
    const int row = current.isValid() ? current.row() : -1;
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
    if (m_model->isNewRow(current.row())) {
        m_status->setText(
            QStringLiteral("新しい行はまだ登録されていないため、削除するものがありません。"));
        return;
    }
    if (!Prompt::ask(this, kDelLineQuestion)) return;
    QString why;
    if (!m_model->removeDraw(current.row(), &why)) Prompt::refuse(this, why);
}

void DataEntryWindow::undo() {
    if (!m_model || !commitEdit()) return;
    QString why;
    if (!host().document().undo(&why) && !why.isEmpty()) Prompt::refuse(this, why);
}

void DataEntryWindow::redo() {
    if (!m_model || !commitEdit()) return;
    QString why;
    if (!host().document().redo(&why) && !why.isEmpty()) Prompt::refuse(this, why);
}

void DataEntryWindow::copy() {
    if (!m_model) return;
    const QModelIndexList cells = m_grid->selectionModel()->selectedIndexes();
    if (cells.isEmpty()) return;
    int top = cells[0].row(), bottom = top, left = cells[0].column(), right = left;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    // The block as a sheet, so that the clipboard gets what the analysis grids give it.
    Sheet sheet;
    sheet.setSize(right - left + 1, bottom - top + 1);
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            sheet.setText(c - left + 1, r - top + 1, m_model->text(r, c));
    if (left == DrawTableModel::kNoColumn) {
        const Block numbers{1, 1, 1, bottom - top + 1};
        sheet.setForeground(numbers, colour::Red);
        sheet.setBackground(numbers, colour::LightYellow);
    }
    const Block all{1, 1, right - left + 1, bottom - top + 1};
    auto* mime = new QMimeData;
    mime->setText(QString::fromUtf8(blockToTsv(sheet, all)));
    mime->setHtml(QString::fromUtf8(blockToHtml(sheet, all)));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void DataEntryWindow::paste() { pasteText(QGuiApplication::clipboard()->text()); }

void DataEntryWindow::pasteText(const QString& text) {
    if (!m_model || text.trimmed().isEmpty() || !commitEdit()) return;
    if (!isSingleValue(text)) return pasteDraws(text);
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid()) return;
    QString value = text.trimmed();
    // Four digits onto a row are its draw, whichever of its digits is current.
    bool four = value.size() == 4;
    int digits[4] = {-1, -1, -1, -1};
    for (int k = 0; four && k < 4; ++k)
        four = DrawTableModel::parseDigit(value.mid(k, 1), &digits[k]) && digits[k] >= 0;
    if (four && current.column() != DrawTableModel::kDateColumn) {
        const int row = current.row();
        const DrawRecord& now = m_model->record(row);
        DrawRecord after = now;
        for (int k = 0; k < 4; ++k) after.digits[std::size_t(k)] = std::int8_t(digits[k]);
        std::optional<DrawRecord> before;
        if (!m_model->isNewRow(row)) before = now;
        if (m_model->change({DrawEdit{now.no, before, after}}, QStringLiteral("貼り付け")))
            focusDraw(after.no, DrawTableModel::kFirstDigitColumn);
        return;
    }
    if (!(m_model->flags(current) & Qt::ItemIsEditable)) return;
    int digit = -1;
    if (DrawTableModel::isDigitColumn(current.column()) &&
        !DrawTableModel::parseDigit(value, &digit)) {
        m_status->setText(kDigitHint);
        return;
    }
    m_model->setData(current, value);
}

void DataEntryWindow::pasteDraws(const QString& text) {
    const QString failed =
        QStringLiteral("貼り付けたデータを取り込めませんでした。何も変更していません。\n\n");
    const PastedDraws pasted = parsePastedDraws(text);
    if (!pasted.error.isEmpty()) {
        Prompt::refuse(this, failed + pasted.error);
        return;
    }
    // As the CSV import (classifyDraw): a draw stored alike is skipped, one that only fills
    // in what is missing is completed, one with other digits, another date or other prizes is
    // replaced after the question; all in one transaction, undone as one.
    std::vector<DrawEdit> edits;
    std::vector<int> replaced;
    int added = 0, skipped = 0, completed = 0;
    for (const ImportedDraw& d : pasted.draws) {
        const int row = m_model->rowOfDraw(d.draw.no);
        if (row < 0) {
            std::optional<Prizes> prizes;
            if (d.prizes.any()) prizes = d.prizes;
            edits.push_back(DrawEdit{d.draw.no, std::nullopt, d.draw, prizes});
            ++added;
            continue;
        }
        const ImportedDraw stored{m_model->record(row), m_model->storedPrizes(d.draw.no)};
        const DrawChange change = classifyDraw(d, &stored);
        if (change == DrawChange::Equal) {
            ++skipped;
            continue;
        }
        const ImportedDraw merged = mergedDraw(d, &stored);
        edits.push_back(DrawEdit{d.draw.no, stored.draw, merged.draw, merged.prizes});
        if (change == DrawChange::Completes)
            ++completed;
        else
            replaced.push_back(d.draw.no);
    }
    QString question = QStringLiteral(
                           "貼り付けたデータを登録します。\n\n"
                           "追加：%1 件\n"
                           "スキップ（同じ内容で登録済み）：%2 件\n"
                           "置き換え：%3 件")
                           .arg(added)
                           .arg(skipped)
                           .arg(replaced.size());
    if (completed > 0)
        question +=
            QStringLiteral("\n空いている数字・抽せん日・当せん金の補充：%1 件").arg(completed);
    if (!replaced.empty())
        question += QStringLiteral(
                        "\n\n次の回は、既に異なる数字・抽せん日・当せん金で登録されています。"
                        "貼り付けた内容で置き換えます。\n%1")
                        .arg(drawList(replaced));
    if (edits.empty()) {
        Prompt::inform(this, QStringLiteral("貼り付けたデータは、すべて同じ内容で登録済みです。"));
        return;
    }
    question += QStringLiteral("\n\nよろしいですか？");
    if (!Prompt::ask(this, question)) return;
    bool ok = false;
    {
        WaitCursor wait;
        ok = m_model->change(edits, QStringLiteral("貼り付け"));
    }
    if (ok) focusDraw(edits.back().no, DrawTableModel::kFirstDigitColumn);
}

void DataEntryWindow::clearSelectedDigits() {
    if (!m_model) return;
    // Row by row: one change for the whole block, undone as one.
    std::map<int, DrawRecord> rows;
    for (const QModelIndex& i : m_grid->selectionModel()->selectedIndexes()) {
        if (!DrawTableModel::isDigitColumn(i.column()) || m_model->isNewRow(i.row())) continue;
        auto it = rows.try_emplace(i.row(), m_model->record(i.row())).first;
        it->second.digits[std::size_t(i.column() - DrawTableModel::kFirstDigitColumn)] = -1;
    }
    std::vector<DrawEdit> edits;
    for (const auto& [row, after] : rows) {
        const DrawRecord& now = m_model->record(row);
        if (now != after) edits.push_back(DrawEdit{now.no, now, after});
    }
    m_model->change(edits, QStringLiteral("削除"));
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
    // Only a row that holds a draw: the new row is not stored yet.
    if (row < 0 || row >= m_model->storedCount() || !selectionIsOnlyRow(row)) return;
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
