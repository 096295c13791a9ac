#include "gui/maintenance/drawgrid.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QTimer>
#include <QValidator>

#include "core/sheet/colours.h"
#include "core/store/drawdate.h"
#include "gui/maintenance/dataentrywindow.h"
#include "gui/maintenance/drawtablemodel.h"
#include "paint/look.h"

namespace pirumoa {

const QString kDigitHint = QStringLiteral("当選数字は 0～9 の数字を1つ入力してください。");

namespace {

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
}  // namespace

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

namespace {

bool isDigitKey(const QString& text, int* digit) {
    return text.size() == 1 && Model::parseDigit(text, digit) && *digit >= 0;
}

}  // namespace

void setCellStyle(QTableView* grid) {
    auto* style = new CellStyle;
    style->setParent(grid);
    grid->setStyle(style);
}

DrawGrid::DrawGrid(DataEntryWindow* window) : QTableView(window), m_window(window) {}

void DrawGrid::keyboardSearch(const QString&) {}

// Moves the cursor as key does, as after leaving an editor with it.
void DrawGrid::moveByKey(int key, Qt::KeyboardModifiers modifiers) {
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

QModelIndex DrawGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
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
bool DrawGrid::focusNextPrevChild(bool next) {
    if (tabKeyNavigation() && currentIndex().isValid()) {
        moveByKey(next ? Qt::Key_Tab : Qt::Key_Backtab, Qt::NoModifier);
        return true;
    }
    return QTableView::focusNextPrevChild(next);
}

void DrawGrid::keyPressEvent(QKeyEvent* event) {
    if (state() == EditingState) return QTableView::keyPressEvent(event);
    const QModelIndex current = currentIndex();
    if (event->matches(QKeySequence::Copy)) return m_window->copy();
    if (event->matches(QKeySequence::Paste)) return m_window->paste();
    const int key = event->key();
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) return m_window->clearSelectedDigits();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return moveByKey(key, event->modifiers());
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

CellDelegate::CellDelegate(DataEntryWindow* window, DrawGrid* grid)
    : QStyledItemDelegate(window), m_window(window), m_grid(grid) {}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
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

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    static_cast<CellEdit*>(editor)->setCellText(index.data(Qt::EditRole).toString());
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    auto* edit = static_cast<CellEdit*>(editor);
    edit->saveTimer().stop();
    model->setData(index, edit->text(), Qt::EditRole);
}

void CellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == m_editor) m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

// Hands the open editor's text to the model and closes it, as leaving the cell does.
void CellDelegate::commitOpenEditor() {
    if (QWidget* editor = m_editor.data()) {
        m_editor = nullptr;
        emit commitData(editor);
        emit closeEditor(editor, NoHint);
    }
}

bool CellDelegate::editorOpen() const { return m_editor; }

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* edit = dynamic_cast<CellEdit*>(object);
    if (edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (leaves(edit, key)) {
            if (!edit->hasAcceptableInput()) {
                // Refused as typed: the editor stays, and the user reads why.
                if (edit->column() == Model::kDateColumn)
                    m_window->statusLine()->setText(drawDateProblem(parseDrawDate(edit->text())));
                else
                    m_window->statusLine()->setText(
                        QStringLiteral("回数は 1～%1 の数で入力してください。").arg(kMaxDrawNo));
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

// Whether key leaves the cell. In a date the caret moves over the text, and leaves it
// only past either end.
bool CellDelegate::leaves(const CellEdit* edit, const QKeyEvent* key) {
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
            return edit->column() != Model::kDateColumn || (key->modifiers() & Qt::ControlModifier);
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
void CellDelegate::abandon(QWidget* editor) const {
    m_editor = nullptr;
    emit const_cast<CellDelegate*>(this)->closeEditor(editor, NoHint);
}

}  // namespace pirumoa
