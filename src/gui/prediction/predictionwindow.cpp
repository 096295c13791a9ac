#include "gui/prediction/predictionwindow.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "core/prediction/methods.h"
#include "core/prediction/predicteddraw.h"
#include "core/store/drawstore.h"
#include "gui/shell/gridview.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

// The numbers the cycle grid proposes, one a row, with what each would return per 200 yen as
// a straight if it won.
QString outlookTip(const OutlookModel& model, const PredictionResult& prediction) {
    QStringList lines{QStringLiteral("周期の予想の番号と、その見込み払戻率（ストレート）")};
    if (!model.ready()) {
        lines << outlookTooFew(model.drawsUsed());
        return lines.join(QLatin1Char('\n'));
    }
    for (const auto& row : prediction.cycle) {
        if (std::any_of(row.begin(), row.end(), [](std::int8_t d) { return d < 0; })) continue;
        const int number = row[0] * 1000 + row[1] * 100 + row[2] * 10 + row[3];
        const OutlookLine& line = model.outlook(number).straight;
        lines << QStringLiteral("%1：%2")
                     .arg(number, 4, 10, QLatin1Char('0'))
                     .arg(outlookRateText(line));
    }
    lines << outlookSameChance();
    return lines.join(QLatin1Char('\n'));
}

// The window was laid out in twips; a pixel is 15 of them at 96 dpi.
int px(int twips) { return twips / kTwipsPerPixel; }
QRect twipsRect(int x, int y, int w, int h) { return QRect(px(x), px(y), px(w), px(h)); }

constexpr Rgb kButtonBack = rgb(255, 255, 192);
constexpr Rgb kFrameBack = rgb(192, 255, 255);
constexpr Rgb kPairBack = rgb(255, 192, 255);
// Greyed, yet readable on the pair's colour.
constexpr Rgb kNoOptionText = rgb(112, 112, 112);

// Buttons paint with the Button roles, labels and frames with the Window roles.
void paint(QWidget* w, Rgb back, Rgb text = colour::Black) {
    QPalette pal = w->palette();
    for (QPalette::ColorRole role : {QPalette::Window, w->backgroundRole()})
        pal.setColor(role, toColor(back));
    for (QPalette::ColorRole role : {QPalette::WindowText, w->foregroundRole()})
        pal.setColor(role, toColor(text));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// A frame as the window was designed with: its colour right up to the edge, an etched line
// whose top runs through the middle of the caption. The style's own group box paints a
// shaded panel over the colour instead.
class Frame : public QGroupBox {
public:
    Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QFontMetrics fm(font());
        const int top = fm.height() / 2;
        const QRect line(0, top, width() - 2, height() - top - 2);
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(line);
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(line.translated(1, 1));
        const QRect caption(6, 0, fm.horizontalAdvance(title()) + 4, fm.height());
        p.fillRect(caption, palette().window());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
    }
};

// A label that shows its whole text: where the designed height is too small for the
// installed font, it grows downwards by what the text needs.
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect r = place;
    r.setHeight(std::max(r.height(), l->heightForWidth(r.width())));
    l->setGeometry(r);
    return l;
}

// The grids were laid out 4680 twips wide. The grid view's units are narrower than that
// (they let the widest analysis fit its window), which would cut labels such as
// "11回周期法"; so the shown copy widens every column by one factor until the grid, frame
// included, is as wide as designed. The sheets themselves keep their widths.
void widenColumns(Sheet& s, int width, int frame) {
    auto pixels = [&](double f) {
        int total = 1 + 2 * frame;  // the line left of column 1, and the frame
        for (int c = 1; c <= s.columnCount(); ++c)
            total += GridView::columnPixels(float(s.columnWidth(c) * f));  // as stored
        return total;
    };
    if (pixels(1) >= width) return;
    double lo = 1, hi = 8;
    for (int i = 0; i < 30; ++i) {
        const double mid = (lo + hi) / 2;
        (pixels(mid) <= width ? lo : hi) = mid;
    }
    std::vector<double> widths;
    for (int c = 1; c <= s.columnCount(); ++c) widths.push_back(s.columnWidth(c) * lo);
    for (int c = 1; c <= s.columnCount(); ++c) s.setColumnWidth(c, widths[c - 1]);
}

// The ten option pairs are named as the options are; the last two pairs stand for analyses
// that have no option behind them.
QString pairCaption(int pair) {
    if (pair < kReflectOptionCount) return reflectOptionCaption(pair);
    return pair == kReflectOptionCount ? QStringLiteral("■下一桁出現傾向分析")
                                       : QStringLiteral("■下一桁連続出現回数分析");
}

// Where the grids and the one-shot label stand, in twips of the window.
constexpr int kFrame2X = 4080, kFrame2Y = 480;
constexpr int kGridX = 4320, kGridWidth = 4680;
constexpr int kGridY[kPredictionGridCount] = {1680, 3480, 5040, 6360};
constexpr int kLabel4Y = 5520;  // in Frame2

}  // namespace

PredictionWindow::PredictionWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design), m_scroll(new QScrollArea(this)) {
    // Laid out by hand at its design size; a window arranged smaller scrolls.
    auto* content = new QWidget;
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setBackgroundRole(QPalette::Window);
    m_scroll->setWidgetResizable(true);

    auto* close = new QPushButton(QStringLiteral("閉じる"), content);
    close->setObjectName(QStringLiteral("Cmd閉じる"));
    close->setGeometry(twipsRect(8160, 60, 855, 375));
    QPalette pal = close->palette();
    pal.setColor(QPalette::Button, toColor(kButtonBack));
    close->setPalette(pal);
    connect(close, &QPushButton::clicked, this, &ChildWindow::unload);

    // The options.
    auto* frame3 = new Frame(QStringLiteral("データ分析オプション"), content);
    frame3->setObjectName(QStringLiteral("Frame3"));
    frame3->setGeometry(twipsRect(120, 480, 3855, 7272));
    paint(frame3, kFrameBack);
    paint(label(frame3, "Label15",
                QStringLiteral("各データ分析の分析結果を当選予想へ反映するかを設定します。"),
                twipsRect(120, 240, 3615, 615)),
          kFrameBack);

    for (int i = 0; i < kPairCount; ++i) {
        auto* frame = new Frame(pairCaption(i), frame3);
        frame->setObjectName(QStringLiteral("Frame%1").arg(4 + i));
        frame->setGeometry(twipsRect(120, 720 + 540 * i, 3615, 495));
        paint(frame, kPairBack);

        auto* on = new QRadioButton(QStringLiteral("反映する"), frame);
        auto* off = new QRadioButton(QStringLiteral("反映しない"), frame);
        on->setObjectName(QStringLiteral("Opt反映する_%1").arg(i));
        off->setObjectName(QStringLiteral("Opt反映しない_%1").arg(i));
        // The designed 12 pixels are a little short for the style's indicator; the buttons
        // keep their designed middle and stay clear of the frame's lines.
        const int height = std::clamp(
            std::max(on->fontMetrics().height(),
                     on->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, on)),
            px(180), px(495) - px(240) - 3);
        const int top = std::min(px(240) + px(180) / 2 - height / 2, px(495) - 3 - height);
        on->setGeometry(px(480), top, px(1920) - px(480) - 4, height);
        off->setGeometry(px(1920), top, px(3615) - px(1920) - 6, height);
        auto* group = new QButtonGroup(frame);
        for (QRadioButton* b : {on, off}) {
            b->setProperty("index", i);
            paint(b, kPairBack);
            group->addButton(b);
        }
        if (i >= kReflectOptionCount) {
            // No option stands behind these two: they say so, and a click only recomputes.
            const QString why = QStringLiteral(
                "この分析には予想へ反映するオプションがありません。"
                "どちらを選んでも予想は変わりません。");
            for (QWidget* w : std::initializer_list<QWidget*>{frame, on, off}) {
                QPalette grey = w->palette();
                for (QPalette::ColorRole role : {QPalette::WindowText, w->foregroundRole()})
                    grey.setColor(role, toColor(kNoOptionText));
                w->setPalette(grey);
                w->setToolTip(why);
            }
        }
        // Every click recomputes, also on the button already selected.
        connect(on, &QRadioButton::clicked, this, [this, i] { optionClicked(i, true); });
        connect(off, &QRadioButton::clicked, this, [this, i] { optionClicked(i, false); });
        off->setChecked(true);
        m_reflect[i] = on;
        m_noReflect[i] = off;
    }

    // The predictions.
    auto* frame2 = new Frame(QStringLiteral("当選予想"), content);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(twipsRect(kFrame2X, kFrame2Y, 5055, 7272));
    paint(frame2, kFrameBack);
    paint(label(frame2, "Label19",
                QStringLiteral("各データ分析の結果を元に周期法、消去法、連発ピルモア、"
                               "一発ピルモアの各手法を用いて当選数字を予想します。"),
                twipsRect(240, 240, 4575, 375)),
          kFrameBack);
    paint(label(frame2, "Label1",
                QStringLiteral("●周期法による予想(この予想数字を組合わせて購入します)"),
                twipsRect(120, 840, 4812, 372)),
          kFrameBack, colour::Red);
    paint(label(frame2, "Label2",
                QStringLiteral("●消去法による予想(この予想数字を組合わせて購入します)"),
                twipsRect(120, 2640, 4812, 252)),
          kFrameBack, colour::Red);
    paint(label(frame2, "Label3",
                QStringLiteral("●連発ピルモア予想(この予想数字を組む合わせて購入します)"),
                twipsRect(120, 4200, 4812, 252)),
          kFrameBack, colour::Red);
    m_label4 = label(frame2, "Label4", QStringLiteral("●一発ピルモア予想"),
                     twipsRect(120, kLabel4Y, 4452, 252));
    paint(m_label4, kFrameBack, colour::Red);

    for (int k = 0; k < kPredictionGridCount; ++k) {
        auto* grid = new GridView(frame2);
        grid->setObjectName(QStringLiteral("fpSpread1_%1").arg(k));
        grid->setProperty("index", k);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->move(px(kGridX) - px(kFrame2X), px(kGridY[k]) - px(kFrame2Y));
        m_grids[k] = grid;
    }
    // As far as the controls reach, and the same margin right and below as above them.
    const QRect used = content->childrenRect();
    content->setMinimumSize(used.right() + 1 + px(60), used.bottom() + 1 + px(60));
    m_scroll->setWidget(content);
}

void PredictionWindow::resizeEvent(QResizeEvent* event) {
    ChildWindow::resizeEvent(event);
    m_scroll->setGeometry(rect());
}

PredictionWindow::~PredictionWindow() { delete m_drawLabel; }

void PredictionWindow::nameThePredictedDraw() {
    // The history carries the draws' dates.
    m_drawTitle =
        pirumoa::predictedDrawTitle(predictedDraw(m_history->latestDrawNo, m_history->rows));
    if (m_drawLabel) m_drawLabel->setText(m_drawTitle);
    for (GridView* grid : m_grids) grid->setSubject(m_drawTitle);
}

void PredictionWindow::load() {
    QStatusBar* bar = host().hostStatusBar();
    QMdiArea* area = host().mdiArea();
    if (!m_drawLabel && bar && area) {
        m_drawLabel = new QLabel;
        m_drawLabel->setObjectName(QStringLiteral("predictedDraw"));
        m_drawLabel->hide();
        bar->addWidget(m_drawLabel);
        connect(area, &QMdiArea::subWindowActivated, this, &PredictionWindow::showDrawInStatusBar);
    }
    m_history = host().history();
    m_outlook = OutlookModel::fit(*m_history);
    nameThePredictedDraw();
    // Pairs 10 and 11 open on "反映しない"; later they keep what the user chose.
    for (int i = kReflectOptionCount; i < kPairCount; ++i) m_noReflect[i]->setChecked(true);
    showOptions();
    showPrediction();
}

void PredictionWindow::reload() {
    m_history = host().history();
    m_outlook = OutlookModel::fit(*m_history);
    nameThePredictedDraw();
    showPrediction();
}

void PredictionWindow::optionClicked(int pair, bool reflect) {
    if (pair < kReflectOptionCount) host().setReflectOption(pair, reflect);
    // Whatever the button did on its own (a click on the selected one, a key, a click that
    // came while another was being handled), the pairs show what is in use.
    showOptions();
    showPrediction();
}

void PredictionWindow::showOptions() {
    const ReflectOptions& options = host().reflectOptions();
    for (int i = 0; i < kReflectOptionCount; ++i)
        (options[std::size_t(i)] ? m_reflect[i] : m_noReflect[i])->setChecked(true);
}

void PredictionWindow::showPrediction() {
    const PredictionResult prediction = predict(*m_history, host().reflectOptions());
    const PredictionSheets sheets = predictionSheets(prediction);
    for (int k = 0; k < kPredictionGridCount; ++k) {
        Sheet shown = sheets[k];
        widenColumns(shown, px(kGridWidth), m_grids[k]->frameWidth());
        m_grids[k]->setSheet(std::move(shown));
        m_grids[k]->setFixedSize(m_grids[k]->contentSize());
    }
    m_grids[0]->setToolTip(outlookTip(m_outlook, prediction));
    // Nine or ten rapid-fire digits take a third row; the one-shot label and grid make room
    // for it rather than being covered, and go back when it is gone.
    const int extraRows = m_grids[2]->sheet().rowCount() - kPredictionGridRows[2];
    const int shift = std::max(0, extraRows) * GridView::rowPixels(Sheet::kDefaultRowHeight);
    m_label4->move(m_label4->x(), px(kLabel4Y) + shift);
    m_grids[3]->move(m_grids[3]->x(), px(kGridY[3]) - px(kFrame2Y) + shift);
}

void PredictionWindow::showDrawInStatusBar() {
    // The current window, not only the active one: it stays current while a dialog of the
    // program or another application has the focus.
    const QMdiSubWindow* current = host().mdiArea()->currentSubWindow();
    if (m_drawLabel) m_drawLabel->setVisible(current && current->widget() == this);
}

}  // namespace pirumoa
