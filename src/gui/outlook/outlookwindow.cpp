#include "gui/outlook/outlookwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/tickets/ticket.h"
#include "gui/shell/prompt.h"

namespace pirumoa {

using namespace Qt::Literals::StringLiterals;

namespace {

QString ratioText(double ratio) { return u"平均の約 %1 倍"_s.arg(QString::number(ratio, 'f', 2)); }

QString featuresText(const QString& bet, const OutlookLine& line) {
    if (!line.available) return QString();
    QStringList parts;
    for (const OutlookFeature& f : line.moved) parts << outlookFeatureText(f);
    return u"%1：%2"_s.arg(bet,
                           parts.isEmpty() ? u"目立つ特徴はありません"_s : parts.join(u"、"_s));
}

}  // namespace

OutlookWindow::OutlookWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design),
      m_number(new QLineEdit(this)),
      m_table(new QTableWidget(3, 3, this)),
      m_features(new QLabel(this)) {
    auto* description = new QLabel(design.description, this);
    description->setObjectName(u"Label1"_s);
    description->setWordWrap(true);

    m_number->setObjectName(u"Text1"_s);
    m_number->setMaxLength(4);
    m_number->setValidator(
        new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,4}"_s), m_number));
    m_number->setPlaceholderText(u"0000～9999"_s);
    m_number->setFixedWidth(m_number->fontMetrics().horizontalAdvance(u"00000000"_s));
    connect(m_number, &QLineEdit::textChanged, this, [this] { showOutlook(); });

    m_table->setObjectName(u"List1"_s);
    m_table->setHorizontalHeaderLabels(
        {u"当たったときの当せん金"_s, u"平均との比"_s, u"見込み払戻率（ふつうの幅）"_s});
    m_table->setVerticalHeaderLabels({u"ストレート"_s, u"ボックス"_s, u"セット"_s});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                            3 * m_table->verticalHeader()->defaultSectionSize() +
                            2 * m_table->frameWidth());

    m_features->setObjectName(u"Label2"_s);
    m_features->setWordWrap(true);
    m_features->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* chance = new QLabel(outlookSameChance(), this);
    chance->setObjectName(u"Label3"_s);
    chance->setWordWrap(true);
    chance->setStyleSheet(u"color: #000080;"_s);

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(u"番号(&N)："_s, this);
    label->setBuddy(m_number);
    row->addWidget(label);
    row->addWidget(m_number);
    row->addStretch(1);
    column->addLayout(row);
    column->addWidget(m_table);
    column->addWidget(m_features, 1);
    column->addWidget(chance);

    auto* close = new QPushButton(u"閉じる"_s, this);
    close->setObjectName(u"Command1"_s);
    connect(close, &QPushButton::clicked, this, [this] { unload(); });
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    layOut(description, body, bottom);
    setFocusProxy(m_number);
}

void OutlookWindow::load() {
    {
        WaitCursor wait;
        m_model = OutlookModel::fit(*host().history());
    }
    showOutlook();
}

void OutlookWindow::setNumber(const QString& digits) { m_number->setText(digits); }

void OutlookWindow::showOutlook() {
    const QString text = m_number->text();
    const bool ready = m_model.ready();
    m_table->setVisible(ready);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) m_table->setItem(r, c, new QTableWidgetItem);
    if (!ready) {
        m_features->setText(outlookTooFew(m_model.drawsUsed()));
        return;
    }
    if (text.size() != 4) {
        m_features->setText(u"4 けたの番号を入れてください。"_s);
        return;
    }
    const NumberOutlook o = m_model.outlook(text.toInt());
    auto put = [&](int r, const QString& yen, const QString& ratio, const QString& rate) {
        const QString cells[] = {yen, ratio, rate};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            m_table->setItem(r, c, item);
        }
    };
    put(0, yenText(o.straight.yen), ratioText(o.straight.ratio), outlookRateText(o.straight));
    if (o.box.available) {
        put(1, yenText(o.box.yen), ratioText(o.box.ratio), outlookRateText(o.box));
        put(2, u"%1／%2"_s.arg(yenText(o.setStraightYen), yenText(o.setBoxYen)), QString(),
            outlookPercent(o.setRate));
    } else {
        const QString none = u"（4 つとも同じ数字は買えません）"_s;
        put(1, none, QString(), QString());
        put(2, none, QString(), QString());
    }
    QStringList lines{featuresText(u"ストレート"_s, o.straight)};
    if (o.box.available) lines << featuresText(u"ボックス"_s, o.box);
    lines << u"セットは、順番どおりに当たったとき／並びが違って当たったときの当せん金です。"
             u"ふつうの幅は、当せん金が回によってふれる幅のうち、中ほどの 8 割です。"
             u"平均は、すべての番号の平均です（当せん金の記録 %1 回分から計算）。"_s.arg(
                 QLocale().toString(m_model.drawsUsed()));
    m_features->setText(lines.join(u'\n'));
}

}  // namespace pirumoa
