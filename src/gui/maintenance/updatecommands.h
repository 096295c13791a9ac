#pragma once
// データ管理 → 最新の当せん番号を取得: the results feeds read with a progress that can stop
// them, a preview of what they bring, one document write, and the tickets' wins.
#include <QDateTime>
#include <QObject>
#include <QStringList>

#include "core/store/historydocument.h"

class QStatusBar;
class QWidget;

namespace pirumoa {

class HistoryDocument;
class UpdateReader;

// The sources as the settings hold them; the defaults when none are set.
QStringList updateSources();

class UpdateCommands : public QObject {
    Q_OBJECT
public:
    UpdateCommands(QWidget* window, HistoryDocument& document, QStatusBar* status);

    // The menu command: reads the sources while a progress dialog names each one (stopping
    // it writes nothing), shows what they bring, stores what the user takes in and names the
    // tickets' wins.
    void fetchLatest();

    // The settings of the update: the sources (add, remove, move, restore the defaults) and
    // the check at start.
    void editSettings();

    // After the main window is shown. When the check at start is on and results are out that
    // the history lacks, the sources are read in the background; what they bring is offered as
    // by the menu command, and a failure is one line in the status bar. The first time the
    // history lacks results, the user is asked once whether to check at each start.
    void checkAtStart(const QDateTime& now = QDateTime::currentDateTimeUtc());

    bool busy() const { return m_busy; }

    // How long a transfer may make no progress; the tests shorten it.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }

signals:
    // The background check is over (whatever it found).
    void startCheckDone();

private:
    void startCheckRead();
    // The preview, the write and the result for what the reader brought over the history it
    // was read for.
    void offer(const UpdateReader& reader, const HistorySnapshot& before);

    QWidget* m_window;
    HistoryDocument& m_document;
    QStatusBar* m_status;
    UpdateReader* m_background = nullptr;
    HistorySnapshot m_backgroundBase;
    bool m_busy = false;
    int m_timeoutSeconds = 30;
};

}  // namespace pirumoa
