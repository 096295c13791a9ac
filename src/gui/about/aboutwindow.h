#pragma once

#include <QWidget>

namespace pirumoa {

// The title illustration: four lottery balls under a night sky. It is painted rather than
// loaded from a picture file, so it stays sharp at any size and needs no resource.
class TitlePicture : public QWidget {
    Q_OBJECT
public:
    explicit TitlePicture(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The version window: a window of its own, not one of the main window's working windows,
// with the product's title, version and slogan. It computes nothing and has no part in the
// propEnd hand-shake; closing it deletes it.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    AboutWindow();
};

}  // namespace pirumoa
