#include "gui/about/aboutwindow.h"

#include <QAction>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>

#include "paint/look.h"

namespace pirumoa {

namespace {

// The illustration is drawn on a square of this many units and scaled to the widget.
constexpr qreal kUnits = 128;

// The version window's width in pixels.
constexpr int kWidth = 440;

struct Ball {
    QPointF centre;
    QColor colour;
    const char* digit;
};

void paintBall(QPainter& p, const Ball& b) {
    constexpr qreal r = 21;
    // Shaded as lit from the upper left.
    QRadialGradient shade(b.centre + QPointF(-7, -8), r * 1.6, b.centre + QPointF(-8, -9));
    shade.setColorAt(0, b.colour.lighter(175));
    shade.setColorAt(0.45, b.colour);
    shade.setColorAt(1, b.colour.darker(190));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(b.centre, r, r);

    // The white face with the digit, as on a drawing machine's balls.
    p.setBrush(QColor(255, 255, 250));
    p.drawEllipse(b.centre, 11.5, 11.5);
    QFont font(windowFontFamily());
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(30, 30, 40));
    p.drawText(QRectF(b.centre.x() - 11, b.centre.y() - 11, 22, 22), Qt::AlignCenter,
               QString::fromLatin1(b.digit));

    // The gloss.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QRectF(b.centre.x() - 15, b.centre.y() - 17, 11, 7));
}

void paintStar(QPainter& p, QPointF at, qreal size, const QColor& colour) {
    QPainterPath star;
    star.moveTo(at + QPointF(0, -size));
    star.quadTo(at, at + QPointF(size, 0));
    star.quadTo(at, at + QPointF(0, size));
    star.quadTo(at, at + QPointF(-size, 0));
    star.quadTo(at, at + QPointF(0, -size));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(star);
}

}  // namespace

TitlePicture::TitlePicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
}

QSize TitlePicture::sizeHint() const { return {112, 112}; }

void TitlePicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    p.translate((width() - side) / 2, (height() - side) / 2);
    p.scale(side / kUnits, side / kUnits);

    // A night sky in a rounded frame.
    QPainterPath frame;
    frame.addRoundedRect(QRectF(0.5, 0.5, kUnits - 1, kUnits - 1), 12, 12);
    QLinearGradient sky(0, 0, 0, kUnits);
    sky.setColorAt(0, QColor(16, 28, 92));
    sky.setColorAt(1, QColor(82, 24, 120));
    p.fillPath(frame, sky);
    p.setClipPath(frame);

    // The glow of a win behind the balls.
    QRadialGradient glow(QPointF(64, 68), 62);
    glow.setColorAt(0, QColor(255, 214, 80, 170));
    glow.setColorAt(1, QColor(255, 214, 80, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(64, 68), 62, 62);

    const QColor gold(255, 224, 120);
    paintStar(p, {14, 16}, 5, gold);
    paintStar(p, {112, 14}, 4, Qt::white);
    paintStar(p, {108, 114}, 5, gold);
    paintStar(p, {18, 108}, 3.5, Qt::white);
    paintStar(p, {64, 10}, 3, Qt::white);

    // Four balls for the four digits of a draw.
    const Ball balls[] = {{{41, 43}, QColor(222, 48, 48), "3"},
                          {{87, 43}, QColor(34, 110, 220), "7"},
                          {{41, 89}, QColor(40, 160, 70), "4"},
                          {{87, 89}, QColor(240, 150, 20), "9"}};
    for (const Ball& b : balls) paintBall(p, b);

    p.setClipping(false);
    p.setPen(QPen(QColor(240, 200, 90), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
}

AboutWindow::AboutWindow()
    // A window of its own, placed over the main window by the help commands; only a close
    // button on its title bar.
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("バージョン情報"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Left open when the main window closes, it must not keep the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());

    auto* picture = new TitlePicture(this);
    picture->setGeometry(16, 16, 112, 112);

    // "HGS明朝E" is a heavy Mincho; the installed Mincho has one weight, made bold here.
    QFont titleFont(QStringLiteral("HGS明朝E"), 18);
    titleFont.setBold(true);
    auto* title = new QLabel(QStringLiteral("ナンバーズ４ピルモア"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: rgb(16, 28, 92);"));
    title->adjustSize();
    title->move(144, 26);

    QFont liteFont(QStringLiteral("HGS明朝E"), 14);
    liteFont.setBold(true);
    liteFont.setItalic(true);
    auto* lite = new QLabel(QStringLiteral("Lite"), this);
    lite->setObjectName(QStringLiteral("Label6"));
    lite->setFont(liteFont);
    lite->setStyleSheet(QStringLiteral("color: rgb(200, 40, 40);"));
    lite->adjustSize();
    // Beside the title, on its baseline.
    const int baseline = title->y() + title->fontMetrics().ascent() +
                         (title->height() - title->fontMetrics().height()) / 2;
    lite->move(title->geometry().right() + 6,
               baseline - lite->fontMetrics().ascent() -
                   (lite->height() - lite->fontMetrics().height()) / 2);

    const QFont gothic(windowFontFamily(), 10);
    auto* version = new QLabel(QStringLiteral(" Ver1.10"), this);
    version->setObjectName(QStringLiteral("Label3"));
    version->setFont(gothic);
    version->adjustSize();
    version->move(148, title->geometry().bottom() + 10);

    // Two phrases in one text, apart by ideographic spaces: wrapped just wider than the
    // longer phrase, the first keeps its indent and the second gets a line of its own, the
    // spaces between them hanging off the end of the first line.
    const QString first = QStringLiteral("　　　　　一発ピルモアと高額当選を狙う！！");
    const QString second = QStringLiteral("「ナンバーズ４次世代攻略ソフト」");
    auto* slogan = new QLabel(first + QStringLiteral("　　　　　　　　　　") + second, this);
    slogan->setObjectName(QStringLiteral("Label4"));
    slogan->setFont(gothic);
    slogan->setWordWrap(true);
    const QFontMetrics fm = slogan->fontMetrics();
    const int sloganWidth = std::max(fm.horizontalAdvance(first), fm.horizontalAdvance(second)) +
                            fm.horizontalAdvance(QStringLiteral("　"));
    slogan->setGeometry((kWidth - sloganWidth) / 2, 142, sloganWidth, 2 * fm.lineSpacing() + 4);

    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    close->setGeometry(kWidth - 104, slogan->geometry().bottom() + 12, 88, 26);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes it, as it closes a dialog.
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);

    setFixedSize(kWidth, close->geometry().bottom() + 14);
}

}  // namespace pirumoa
