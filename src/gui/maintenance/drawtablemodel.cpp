#include "gui/maintenance/drawtablemodel.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

#include "core/sheet/colours.h"
#include "core/store/drawstore.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

const char* const kTitles[DrawTableModel::kColumns] = {"回数", "第1数字", "第2数字", "第3数字",
                                                       "第4数字"};

}  // namespace

const QString DrawTableModel::kWrongDigitMessage =
    QStringLiteral("結果マスタの数字に誤りがあります。");

DrawTableModel::DrawTableModel(std::unique_ptr<DrawStore> store, QObject* parent)
    : QAbstractTableModel(parent), m_store(std::move(store)), m_rows(m_store->readAll()) {}

DrawTableModel::~DrawTableModel() = default;

int DrawTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DrawTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString DrawTableModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return QString();
    const DrawRecord& r = m_rows[std::size_t(row)];
    if (column == 0) return QString::number(r.no);
    const int digit = r.digits[std::size_t(column - 1)];
    return digit < 0 ? QString() : QString(QChar(u'0' + digit));
}

QVariant DrawTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        case Qt::ForegroundRole:
            if (index.column() == 0) return QBrush(toColor(colour::Red));
            return {};
        case Qt::BackgroundRole:
            if (index.column() == 0) return QBrush(toColor(colour::LightYellow));
            return {};
        default:
            return {};
    }
}

QVariant DrawTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    if (role != Qt::DisplayRole) return {};
    // The row headers are bare record selectors: a row number there would disagree with
    // the draw number as soon as a draw is missing.
    if (orientation == Qt::Vertical) return {};
    return section >= 0 && section < kColumns ? QString::fromUtf8(kTitles[section]) : QVariant();
}

Qt::ItemFlags DrawTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == 0 ? base : base | Qt::ItemIsEditable;
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
    if (!index.isValid() || role != Qt::EditRole || index.column() < 1 ||
        index.column() >= kColumns || index.row() >= rowCount())
        return false;
    DrawRecord& r = m_rows[std::size_t(index.row())];
    const int pos = index.column() - 1;
    int digit = -1;
    if (!parseDigit(value.toString(), &digit)) {
        emit refused(kWrongDigitMessage);
        return false;
    }
    if (digit == r.digits[std::size_t(pos)]) return true;
    try {
        m_store->setDigit(r.no, pos, digit);
    } catch (const StoreError& e) {
        // The write was rolled back: the cell shows what is stored.
        emit refused(e.message());
        return false;
    }
    r.digits[std::size_t(pos)] = std::int8_t(digit);
    emit dataChanged(index, index);
    emit stored();
    return true;
}

int DrawTableModel::addDrawAfter(int row, QString* why) {
    if (row < -1 || row >= rowCount()) row = rowCount() - 1;
    const int at = row + 1;
    const int no = row >= 0 ? m_rows[std::size_t(row)].no + 1 : 1;
    if (no > kMaxDrawNo) {
        *why = QStringLiteral("回数は %1 までのため、このうしろに行を追加できません。")
                   .arg(kMaxDrawNo);
        return -1;
    }
    // The rows are in draw order, so a taken number can only be the next row's.
    if (at < rowCount() && m_rows[std::size_t(at)].no == no) {
        *why = QStringLiteral(
                   "第%1回は既に登録されているため、行を追加できません。"
                   "行は、最後の回のうしろか、回数が抜けているところに追加できます。")
                   .arg(no);
        return -1;
    }
    DrawRecord draw;
    draw.no = no;
    try {
        m_store->insertDraw(draw);
    } catch (const StoreError& e) {
        *why = e.message();
        return -1;
    }
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(m_rows.begin() + at, draw);
    endInsertRows();
    emit stored();
    return at;
}

bool DrawTableModel::removeDraw(int row, QString* why) {
    if (row < 0 || row >= rowCount()) return false;
    const int no = m_rows[std::size_t(row)].no;
    try {
        m_store->deleteDraw(no);
    } catch (const StoreError& e) {
        *why = e.message();
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    emit stored();
    return true;
}

}  // namespace pirumoa
