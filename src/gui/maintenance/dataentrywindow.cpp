#include "gui/maintenance/dataentrywindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/sheet/colours.h"
#include "core/sheet/sheet.h"
#include "core/sheet/sheetformat.h"
#include "core/store/drawdate.h"
#include "core/store/drawstore.h"
#include "core/store/historydocument.h"
#include "core/store/pasteddraws.h"
#include "gui/maintenance/drawgrid.h"
#include "gui/maintenance/drawtablemodel.h"
#include "gui/shell/gridview.h"
#include "gui/shell/prompt.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const QString kAddLineQuestion =
    QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？");
const QString kDelLineQuestion = QStringLiteral("選択された行を削除します。よろしいですか？");

}  // namespace

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
    setCellStyle(m_grid);
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
    // Prizes that cannot be the draw's own are not stored; the user is told which and why.
    QString leftOut;
    if (!pasted.prizesLeftOut.empty())
        leftOut = QStringLiteral(
                      "\n\n次の回の当せん金は、列がずれているか誤っているため登録しません"
                      "（回と当せん番号だけを登録します）。\n%1")
                      .arg(leftOutPrizeLines(pasted.prizesLeftOut).join(u'\n'));
    if (edits.empty()) {
        Prompt::inform(
            this, QStringLiteral("貼り付けたデータは、すべて同じ内容で登録済みです。") + leftOut);
        return;
    }
    question += leftOut;
    question += QStringLiteral("\n\nよろしいですか？");
    // Return takes a paste that only adds or fills in; one that replaces asks for a yes.
    if (!(replaced.empty() ? Prompt::askDefaultYes(this, question) : Prompt::ask(this, question)))
        return;
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
