#pragma once

// Helpers for the widget tests (header only: the core tests have no widgets).
#include <QMdiArea>
#include <QString>
#include <QTest>
#include <QWidget>

#include "gui/shell/childwindow.h"
#include "gui/shell/mainwindow.h"

namespace pirumoa::test {

// Saves a picture of a widget when PIRUMOA_SHOTS names a folder, to look at by eye.
inline void shoot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("PIRUMOA_SHOTS");
    if (!dir.isEmpty()) w->grab().save(dir + "/" + name + ".png");
}

// Shows the main window and closes the prediction window that its first activation opens.
inline bool showWithoutPrediction(MainFrm& main) {
    main.show();
    if (!QTest::qWaitFor([&] { return main.findWindow("一発ピルモア") != nullptr; }, 5000))
        return false;
    main.findWindow("一発ピルモア")->unload();
    return QTest::qWaitFor([&] { return main.mdiArea()->subWindowList().isEmpty(); }, 5000);
}

}  // namespace pirumoa::test
