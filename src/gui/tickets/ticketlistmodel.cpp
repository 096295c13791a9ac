#include "gui/tickets/ticketlistmodel.h"

#include <QColor>

#include "core/store/labels.h"
#include "core/tickets/ticketsheet.h"

namespace pirumoa {

namespace {

enum Column {
    Number,
    Type,
    Units,
    First,
    Run,
    Note,
    Spent,
    Won,
    Balance,
    Return,
    Outlook,
    kColumns
};

int numberOf(const Ticket& t) {
    return t.digits[0] * 1000 + t.digits[1] * 100 + t.digits[2] * 10 + t.digits[3];
}

// The expected return per 200 yen of the ticket's number and type if it wins; empty where the
// prizes are too few or the number cannot be bought so.
QString outlookText(const OutlookModel& model, const Ticket& t) {
    if (!model.ready()) return QString();
    const NumberOutlook o = model.outlook(numberOf(t));
    switch (t.type) {
        case TicketType::Straight:
            return o.straight.available ? outlookPercent(o.straight.rate) : QString();
        case TicketType::Box:
            return o.box.available ? outlookPercent(o.box.rate) : QString();
        case TicketType::Set:
            return o.box.available ? outlookPercent(o.setRate) : QString();
    }
    return QString();
}

QString outlookTip(const OutlookModel& model, const Ticket& t) {
    if (!model.ready()) return outlookTooFew(model.drawsUsed());
    const NumberOutlook o = model.outlook(numberOf(t));
    const OutlookLine& line = t.type == TicketType::Straight ? o.straight : o.box;
    QStringList lines{
        QStringLiteral("当たったときの見込みから計算した 200 円あたりの払い戻し"
                       "（番号の見込み払戻率）")};
    if (line.available) {
        lines << QStringLiteral("ふつうの幅：%1").arg(outlookRateText(line));
        for (const OutlookFeature& f : line.moved) lines << outlookFeatureText(f);
    }
    lines << outlookSameChance();
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString runText(const Ticket& t) {
    return t.draws == kOngoing ? ongoingLabel() : QStringLiteral("%1回").arg(t.draws);
}

TicketListModel::TicketListModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_tickets(std::make_shared<const std::vector<Ticket>>()),
      m_outlook(std::make_shared<const OutlookModel>()) {}

void TicketListModel::setTickets(TicketsSnapshot tickets, std::vector<TicketTotals> totals,
                                 std::shared_ptr<const OutlookModel> outlook) {
    beginResetModel();
    m_tickets = tickets ? std::move(tickets) : std::make_shared<const std::vector<Ticket>>();
    m_totals = std::move(totals);
    m_totals.resize(m_tickets->size());
    m_outlook = outlook ? std::move(outlook) : std::make_shared<const OutlookModel>();
    endResetModel();
}

int TicketListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_tickets->size());
}

int TicketListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant TicketListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Ticket& t = (*m_tickets)[std::size_t(index.row())];
    const TicketTotals& s = m_totals[std::size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case Number:
                    return numberText(t.digits);
                case Type:
                    return typeLabel(t.type);
                case Units:
                    return QString::number(t.units);
                case First:
                    return drawLabel(t.firstDraw);
                case Run:
                    return runText(t);
                case Note:
                    return t.note;
                case Spent:
                    return yenText(s.spent);
                case Won:
                    return yenText(s.won) + (s.unknownWins ? QStringLiteral("＋不明") : QString());
                case Balance:
                    return yenText(s.balance());
                case Return:
                    return returnText(s);
                case Outlook:
                    return outlookText(*m_outlook, t);
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(index.column() == Note ? Qt::AlignLeft | Qt::AlignVCenter
                                                              : Qt::AlignCenter);
        case Qt::ForegroundRole:
            if (index.column() == Balance && s.balance() < 0) return QColor(200, 0, 0);
            return {};
        case Qt::ToolTipRole:
            if (index.column() == Outlook) return outlookTip(*m_outlook, t);
            if (index.column() == Run && t.draws != kOngoing)
                return QStringLiteral("第%1回～第%2回")
                    .arg(t.firstDraw)
                    .arg(lastDrawOf(t, t.firstDraw));
            return {};
    }
    return {};
}

QVariant TicketListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char16_t* const headings[kColumns] = {
        u"数字",   u"種類",     u"口数", u"開始回", u"継続回数",    u"メモ",
        u"購入額", u"当せん金", u"収支", u"回収率", u"見込み払戻率"};
    return section >= 0 && section < kColumns ? QString::fromUtf16(headings[section]) : QVariant();
}

}  // namespace pirumoa
