#include "gui/shell/childwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/shell/gridview.h"
#include "paint/look.h"

namespace pirumoa {

namespace {

// The key's marker: a shaded ball, as the grid's marks stand for.
QPixmap dotPixmap(Rgb colour) {
    QPixmap pm(19, 19);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = toColor(colour);
    QRadialGradient g(QPointF(7, 7), 9);
    g.setColorAt(0, c.lighter(160));
    g.setColorAt(1, c);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QRectF(2, 2, 15, 15));
    return pm;
}

}  // namespace

ChildWindow::ChildWindow(ChildHost& host, const WindowDesign& design)
    : QWidget(nullptr), m_host(host), m_design(design) {
    setObjectName(design.objectName);
    setWindowTitle(design.info->caption);
    setFont(windowFont());
}

void ChildWindow::unload() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void ChildWindow::layOut(QWidget* description, QWidget* grid, QLayout* bottom) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(description);
    layout->addWidget(grid, 1);
    layout->addLayout(bottom);
}

AnalysisWindow::AnalysisWindow(ChildHost& host, const WindowDesign& design)
    : ChildWindow(host, design), m_grid(new GridView(this)) {
    auto* label = new QLabel(design.description, this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));

    auto* bottom = new QHBoxLayout;
    int labelNo = 2, pictureNo = 0;
    auto addLabel = [&](const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QStringLiteral("Label%1").arg(labelNo++));
        bottom->addWidget(l);
        return l;
    };
    for (const LegendEntry& e : design.legend) {
        if (e.marker == LegendEntry::Marker::Dot) {
            auto* picture = new QLabel(this);
            picture->setObjectName(pictureNo == 0 ? QStringLiteral("Picture1")
                                                  : QStringLiteral("Picture1_%1").arg(pictureNo));
            ++pictureNo;
            picture->setPixmap(dotPixmap(e.colour));
            picture->setFixedSize(19, 19);
            bottom->addWidget(picture);
        } else {
            QLabel* swatch = addLabel(QString());
            swatch->setFixedSize(19, 19);
            swatch->setAutoFillBackground(true);
            QPalette pal = swatch->palette();
            pal.setColor(QPalette::Window, toColor(e.colour));
            swatch->setPalette(pal);
        }
        addLabel(e.label);
        bottom->addSpacing(8);
    }
    bottom->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setObjectName(QStringLiteral("Command1"));
    bottom->addWidget(close);
    connect(close, &QPushButton::clicked, this, &ChildWindow::unload);
    layOut(label, m_grid, bottom);
}

void AnalysisWindow::reload() {
    const int x = m_grid->horizontalScrollBar()->value();
    const int y = m_grid->verticalScrollBar()->value();
    load();
    m_grid->horizontalScrollBar()->setValue(x);
    m_grid->verticalScrollBar()->setValue(y);
}

void AnalysisWindow::load() {
    Sheet sheet;
    info().fill(*host().history(), sheet);
    m_grid->setSheet(std::move(sheet));
}

}  // namespace pirumoa
