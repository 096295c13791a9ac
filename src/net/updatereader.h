#pragma once
// Reads the sources of the results update one after another. A source whose URL ends in "/" is
// an API base: its version.json says whether anything is new, and then latest.json (only the
// latest draw is new) or numbers4_all_full.json is read. Any other URL is one results file in
// any format the import reads.
#include <QObject>
#include <QStringList>
#include <vector>

#include "core/store/drawhistory.h"
#include "core/store/resultsupdate.h"
#include "net/feedfetcher.h"

namespace pirumoa {

struct SourceOutcome {
    QString source;
    bool ok = false;        // read whole (or up to date)
    bool upToDate = false;  // an API base with nothing new for the stored history
    QString error;          // when not ok, the message
    std::vector<ImportedDraw> draws;
    std::vector<LeftOutPrizes> prizesLeftOut;  // draws whose prizes break the prize rule
};

class UpdateReader : public QObject {
    Q_OBJECT
public:
    explicit UpdateReader(QObject* parent = nullptr);

    void setTimeout(int seconds) { m_fetcher->setTimeout(seconds); }
    // Reads every source for the stored history; finished() when all are read.
    void start(const QStringList& sources, const DrawHistory& stored);
    // Stops; finished() is not emitted.
    void cancel();

    const std::vector<SourceOutcome>& outcomes() const { return m_outcomes; }
    // The draws of the sources read whole.
    std::vector<SourceDraws> sourceDraws() const;
    bool anyRead() const;
    bool allUpToDate() const;

signals:
    // The file being read now, for the progress.
    void reading(const QString& url);
    void finished();

private:
    enum class Stage { Version, Draws };
    void next();
    void fetch(const QUrl& url);
    void fetched();

    FeedFetcher* m_fetcher;
    QStringList m_sources;
    int m_apiSources = 0;
    int m_latest = 0;
    const DrawHistory* m_stored = nullptr;
    std::vector<SourceOutcome> m_outcomes;
    int m_index = -1;
    Stage m_stage = Stage::Draws;
    QUrl m_current;
};

}  // namespace pirumoa
