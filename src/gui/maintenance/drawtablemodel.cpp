#include "gui/maintenance/drawtablemodel.h"

#include <QBrush>
#include <QColor>
#include <QDate>
#include <algorithm>

#include "core/sheet/colours.h"
#include "core/store/drawdate.h"
#include "core/store/labels.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const char* const kTitles[DrawTableModel::kColumns] = {"回数",    "抽せん日", "第1数字",
                                                       "第2数字", "第3数字",  "第4数字"};

// The new row's date is only proposed: it shows lighter than a stored one.
constexpr Rgb kProposedText = rgb(128, 128, 128);

}  // namespace

const QString DrawTableModel::kWrongDigitMessage =
    QStringLiteral("結果マスタの数字に誤りがあります。");

DrawTableModel::DrawTableModel(HistoryDocument& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document), m_rows(document.snapshot()->rows) {
    m_newRow = false;
    resetNewRow();
    connect(&m_document, &HistoryDocument::drawsChanged, this, &DrawTableModel::follow);
    connect(&m_document, &HistoryDocument::editReplayed, this, &DrawTableModel::focusRequested);
}

int DrawTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : storedCount() + (m_newRow ? 1 : 0);
}

int DrawTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

const DrawRecord& DrawTableModel::record(int row) const {
    return isNewRow(row) ? m_new : m_rows[std::size_t(row)];
}

int DrawTableModel::rowOfDraw(int no) const {
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), no,
                                     [](const DrawRecord& r, int n) { return r.no < n; });
    return it != m_rows.end() && it->no == no ? int(it - m_rows.begin()) : -1;
}

Prizes DrawTableModel::storedPrizes(int no) const {
    return prizesOf(m_document.snapshot()->prizes.find(no));
}

QString DrawTableModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return QString();
    const DrawRecord& r = record(row);
    if (column == kNoColumn) return QString::number(r.no);
    if (column == kDateColumn) return shownDrawDate(r.date);
    const int digit = r.digits[std::size_t(column - kFirstDigitColumn)];
    return digit < 0 ? QString() : QString(QChar(u'0' + digit));
}

QVariant DrawTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return text(index.row(), column);
        case Qt::EditRole:
            // The editor takes the date without its weekday.
            if (column == kDateColumn) return record(index.row()).date;
            return text(index.row(), column);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case Qt::ForegroundRole:
            if (column == kNoColumn) return QBrush(toColor(colour::Red));
            if (column == kDateColumn && isNewRow(index.row()))
                return QBrush(toColor(kProposedText));
            return {};
        case Qt::BackgroundRole:
            if (column == kNoColumn) return QBrush(toColor(colour::LightYellow));
            return {};
        default:
            return {};
    }
}

QVariant DrawTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole) return {};
    // The row headers are bare record selectors, as a row number there would disagree with
    // the draw number as soon as a draw is missing; the new row is marked as not stored yet.
    if (orientation == Qt::Vertical) return isNewRow(section) ? QStringLiteral("*") : QVariant();
    return section >= 0 && section < kColumns ? QString::fromUtf8(kTitles[section]) : QVariant();
}

Qt::ItemFlags DrawTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == kNoColumn && !isNewRow(index.row())) return base;
    return base | Qt::ItemIsEditable;
}

bool DrawTableModel::parseDigit(const QString& text, int* digit) {
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *digit = -1;
        return true;
    }
    if (t.size() != 1) return false;
    const char16_t c = t[0].unicode();
    // An input method left in full-width mode gives "５"; it is the same digit.
    if (c >= u'0' && c <= u'9') {
        *digit = c - u'0';
        return true;
    }
    if (c >= u'０' && c <= u'９') {
        *digit = c - u'０';
        return true;
    }
    return false;
}

bool DrawTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const bool quiet = role == QuietEditRole;
    if (!index.isValid() || (role != Qt::EditRole && !quiet) || index.row() >= rowCount())
        return false;
    const int row = index.row();
    const QString text = value.toString();
    if (index.column() == kNoColumn) return isNewRow(row) && setNewNumber(text);
    if (index.column() == kDateColumn) {
        QDate date;
        if (!text.trimmed().isEmpty()) {
            date = parseDrawDate(text);
            const QString problem = drawDateProblem(date);
            if (!problem.isEmpty()) {
                emit hint(problem);
                return false;
            }
        }
        return setDate(row, date, quiet);
    }
    int digit = -1;
    if (!parseDigit(text, &digit)) {
        emit refused(kWrongDigitMessage);
        return false;
    }
    return setDigit(row, index.column() - kFirstDigitColumn, digit);
}

bool DrawTableModel::setNewNumber(const QString& text) {
    bool ok = false;
    const int no = text.trimmed().toInt(&ok);
    if (!ok || no < 1 || no > kMaxDrawNo) {
        emit hint(QStringLiteral("回数は 1～%1 の数で入力してください。").arg(kMaxDrawNo));
        return false;
    }
    if (rowOfDraw(no) >= 0) {
        emit hint(QStringLiteral("%1は既に登録されています。").arg(drawLabel(no)));
        return false;
    }
    m_new.no = no;
    const QModelIndex first = index(storedCount(), 0);
    emit dataChanged(first, first.siblingAtColumn(kColumns - 1));
    return true;
}

QString DrawTableModel::orderQuestion(int no, const QDate& date) const {
    const auto it = std::lower_bound(m_rows.begin(), m_rows.end(), no,
                                     [](const DrawRecord& r, int n) { return r.no < n; });
    const auto dateOf = [](const DrawRecord& r) { return QDate::fromString(r.date, Qt::ISODate); };
    const QString iso = date.toString(Qt::ISODate);
    if (it != m_rows.begin()) {
        const DrawRecord& prev = *(it - 1);
        const QDate d = dateOf(prev);
        if (d.isValid() && date <= d)
            return QStringLiteral(
                       "%1の抽せん日 %2 が、前の%3（%4）と同じか前の日になります。\n"
                       "このまま登録しますか？")
                .arg(drawLabel(no), iso, drawLabel(prev.no), d.toString(Qt::ISODate));
    }
    const auto next = it != m_rows.end() && it->no == no ? it + 1 : it;
    if (next != m_rows.end()) {
        const QDate d = dateOf(*next);
        if (d.isValid() && date >= d)
            return QStringLiteral(
                       "%1の抽せん日 %2 が、次の%3（%4）と同じか後の日になります。\n"
                       "このまま登録しますか？")
                .arg(drawLabel(no), iso, drawLabel(next->no), d.toString(Qt::ISODate));
    }
    return QString();
}

bool DrawTableModel::setDate(int row, const QDate& date, bool quiet) {
    const QString iso = date.isValid() ? date.toString(Qt::ISODate) : QString();
    const DrawRecord& r = record(row);
    if (iso == r.date) return true;
    if (date.isValid()) {
        const QString question = orderQuestion(r.no, date);
        if (!question.isEmpty()) {
            if (!quiet) emit dateNeedsConfirmation(r.no, iso, question);
            return false;
        }
    }
    return setConfirmedDate(r.no, iso);
}

bool DrawTableModel::setConfirmedDate(int no, const QString& isoDate) {
    const int row = rowOfDraw(no);
    if (row < 0) {
        if (!m_newRow || m_new.no != no) return false;
        m_new.date = isoDate;
        const QModelIndex cell = index(storedCount(), kDateColumn);
        emit dataChanged(cell, cell);
        return true;
    }
    DrawRecord after = m_rows[std::size_t(row)];
    after.date = isoDate;
    return record({DrawEdit{no, m_rows[std::size_t(row)], after}}, QStringLiteral("抽せん日の変更"),
                  kDateColumn);
}

bool DrawTableModel::setDigit(int row, int position, int digit) {
    const int column = kFirstDigitColumn + position;
    if (isNewRow(row)) {
        // The new row is stored with its first digit; an empty digit leaves it as it is.
        if (digit < 0) return true;
        DrawRecord draw = m_new;
        draw.digits[std::size_t(position)] = std::int8_t(digit);
        return record({DrawEdit{draw.no, std::nullopt, draw}}, QStringLiteral("当選数字の入力"),
                      column);
    }
    const DrawRecord& r = m_rows[std::size_t(row)];
    if (digit == r.digits[std::size_t(position)]) return true;
    DrawRecord after = r;
    after.digits[std::size_t(position)] = std::int8_t(digit);
    // A refused write leaves the cell showing what is stored.
    return record({DrawEdit{r.no, r, after}}, QStringLiteral("当選数字の入力"), column);
}

bool DrawTableModel::change(const std::vector<DrawEdit>& edits, const QString& what) {
    if (edits.empty()) return true;
    return record(edits, what, kFirstDigitColumn);
}

bool DrawTableModel::record(const std::vector<DrawEdit>& edits, const QString& what,
                            int focusColumn, QString* why) {
    QString reason;
    if (!m_document.editDraws(edits, what, focusColumn, &reason)) {
        if (why)
            *why = reason;
        else
            emit refused(reason);
        return false;
    }
    emit drawsStored();
    return true;
}

void DrawTableModel::follow(const HistorySnapshot& next) {
    const std::vector<DrawRecord>& to = next->rows;
    // A few changed draws (a typed digit, an undo) move only their rows, and an editor open
    // elsewhere stays; many (an import, another program's paste) show anew as a whole.
    constexpr int kRowByRow = 64;
    int changes = 0;
    std::size_t i = 0, j = 0;
    while ((i < m_rows.size() || j < to.size()) && changes <= kRowByRow) {
        if (j == to.size() || (i < m_rows.size() && m_rows[i].no < to[j].no)) {
            ++changes, ++i;
        } else if (i == m_rows.size() || to[j].no < m_rows[i].no) {
            ++changes, ++j;
        } else {
            if (m_rows[i] != to[j]) ++changes;
            ++i, ++j;
        }
    }
    if (changes == 0) return;
    if (changes > kRowByRow) {
        beginResetModel();
        m_rows = to;
        m_newRow = false;
        resetNewRow();
        endResetModel();
        return;
    }
    for (i = 0, j = 0; i < m_rows.size() || j < to.size();) {
        const int at = int(i);
        if (j == to.size() || (i < m_rows.size() && m_rows[i].no < to[j].no)) {
            beginRemoveRows(QModelIndex(), at, at);
            m_rows.erase(m_rows.begin() + at);
            endRemoveRows();
        } else if (i == m_rows.size() || to[j].no < m_rows[i].no) {
            beginInsertRows(QModelIndex(), at, at);
            m_rows.insert(m_rows.begin() + at, to[j]);
            endInsertRows();
            ++i, ++j;
        } else {
            if (m_rows[i] != to[j]) {
                m_rows[i] = to[j];
                emit dataChanged(index(at, 0), index(at, kColumns - 1));
            }
            ++i, ++j;
        }
    }
    resetNewRow();
}

void DrawTableModel::resetNewRow() {
    DrawRecord next;
    next.no = m_rows.empty() ? 1 : m_rows.back().no + 1;
    if (!m_rows.empty()) {
        const QDate last = QDate::fromString(m_rows.back().date, Qt::ISODate);
        if (last.isValid()) next.date = nextDrawDay(last).toString(Qt::ISODate);
    }
    const bool wanted = next.no <= kMaxDrawNo;
    const int at = storedCount();
    if (m_newRow && !wanted) {
        beginRemoveRows(QModelIndex(), at, at);
        m_newRow = false;
        endRemoveRows();
        return;
    }
    if (!wanted) return;
    if (!m_newRow) {
        // Also the reset path: the caller has begun a reset, so no row signal is needed.
        m_new = m_newDefault = next;
        m_newRow = true;
        return;
    }
    // What the user changed in the new row stays while it still fits.
    if (m_new.no == m_newDefault.no || rowOfDraw(m_new.no) >= 0) m_new.no = next.no;
    if (m_new.date == m_newDefault.date || m_new.no == next.no) m_new.date = next.date;
    m_newDefault = next;
    m_new.digits = {-1, -1, -1, -1};
    emit dataChanged(index(at, 0), index(at, kColumns - 1));
    emit headerDataChanged(Qt::Vertical, at, at);
}

int DrawTableModel::addDrawAfter(int row, QString* why) {
    DrawRecord draw;
    if (row < 0 || row >= storedCount() - 1) {
        // After the last draw: the next number, with the new row's date.
        draw.no = m_rows.empty() ? 1 : m_rows.back().no + 1;
        draw.date = m_newRow && m_new.no == draw.no ? m_new.date : m_newDefault.date;
    } else {
        draw.no = m_rows[std::size_t(row)].no + 1;
        if (rowOfDraw(draw.no) >= 0) {
            *why = QStringLiteral(
                       "%1は既に登録されているため、行を追加できません。"
                       "行は、最後の回のうしろか、回数が抜けているところに追加できます。")
                       .arg(drawLabel(draw.no));
            return -1;
        }
    }
    if (draw.no > kMaxDrawNo) {
        *why = QStringLiteral("回数は %1 までのため、このうしろに行を追加できません。")
                   .arg(kMaxDrawNo);
        return -1;
    }
    if (!record({DrawEdit{draw.no, std::nullopt, draw}}, QStringLiteral("行追加"),
                kFirstDigitColumn, why))
        return -1;
    return rowOfDraw(draw.no);
}

bool DrawTableModel::removeDraw(int row, QString* why) {
    if (row < 0 || row >= storedCount()) return false;
    const DrawRecord r = m_rows[std::size_t(row)];
    return record({DrawEdit{r.no, r, std::nullopt}}, QStringLiteral("行削除"), kFirstDigitColumn,
                  why);
}

}  // namespace pirumoa
