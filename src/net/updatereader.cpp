#include "net/updatereader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "core/store/drawfile.h"

namespace pirumoa {

UpdateReader::UpdateReader(QObject* parent) : QObject(parent), m_fetcher(new FeedFetcher(this)) {
    connect(m_fetcher, &FeedFetcher::finished, this, &UpdateReader::fetched);
}

void UpdateReader::start(const QStringList& sources, const DrawHistory& stored) {
    // The API bases first: when every one says nothing is new, the files are not read.
    m_sources.clear();
    for (const QString& s : sources)
        if (s.endsWith(QLatin1Char('/'))) m_sources << s;
    m_apiSources = int(m_sources.size());
    for (const QString& s : sources)
        if (!s.endsWith(QLatin1Char('/'))) m_sources << s;
    m_stored = &stored;
    m_latest = latestCompleteDraw(stored);
    m_outcomes.clear();
    m_index = -1;
    next();
}

void UpdateReader::cancel() {
    m_fetcher->cancel();
    m_index = int(m_sources.size());
}

void UpdateReader::next() {
    ++m_index;
    if (m_index == m_apiSources && m_apiSources > 0 && allUpToDate())
        m_index = int(m_sources.size());
    if (m_index >= m_sources.size()) {
        m_stored = nullptr;
        emit finished();
        return;
    }
    const QString source = m_sources[m_index];
    m_outcomes.push_back({source, false, false, {}, {}, {}});
    const QUrl url(source);
    if (source.endsWith(QLatin1Char('/'))) {
        m_stage = Stage::Version;
        fetch(url.resolved(QUrl(QStringLiteral("version.json"))));
    } else {
        m_stage = Stage::Draws;
        fetch(url);
    }
}

void UpdateReader::fetch(const QUrl& url) {
    m_current = url;
    emit reading(url.toString());
    m_fetcher->get(url);
}

void UpdateReader::fetched() {
    SourceOutcome& outcome = m_outcomes.back();
    if (!m_fetcher->ok()) {
        outcome.error = m_fetcher->error();
        next();
        return;
    }
    const QString name = m_current.toString();
    if (m_stage == Stage::Version) {
        const QJsonObject version = QJsonDocument::fromJson(m_fetcher->body()).object();
        const QJsonValue latest = version.value(u"latest_draw_no");
        if (!latest.isDouble() || latest.toInt() < 1) {
            outcome.error =
                QStringLiteral("「%1」に最新の回数（latest_draw_no）がありません。").arg(name);
            next();
            return;
        }
        const int feedLatest = latest.toInt();
        const bool fills = lacksPrizesUpTo(*m_stored, std::min(feedLatest, m_latest));
        const QUrl base(outcome.source);
        m_stage = Stage::Draws;
        if (feedLatest <= m_latest && !fills) {
            outcome.ok = outcome.upToDate = true;
            next();
        } else if (feedLatest == m_latest + 1 && !fills) {
            fetch(base.resolved(QUrl(QStringLiteral("latest.json"))));
        } else {
            fetch(base.resolved(QUrl(QStringLiteral("numbers4_all_full.json"))));
        }
        return;
    }
    const QByteArray& body = m_fetcher->body();
    const ParsedDraws parsed = parseDrawText(body);
    if (body.trimmed().isEmpty()) {
        outcome.error = QStringLiteral("「%1」は空でした。").arg(name);
    } else if (!parsed.ok()) {
        outcome.error =
            QStringLiteral("「%1」の内容を読めません。%2").arg(name, firstRefusal(parsed, name));
    } else {
        outcome.ok = true;
        outcome.draws = parsed.draws;
        outcome.prizesLeftOut = parsed.prizesLeftOut;
    }
    next();
}

std::vector<SourceDraws> UpdateReader::sourceDraws() const {
    std::vector<SourceDraws> out;
    for (const SourceOutcome& o : m_outcomes)
        if (o.ok && !o.upToDate) out.push_back({o.source, o.draws, o.prizesLeftOut});
    return out;
}

bool UpdateReader::anyRead() const {
    return std::any_of(m_outcomes.begin(), m_outcomes.end(),
                       [](const SourceOutcome& o) { return o.ok; });
}

bool UpdateReader::allUpToDate() const {
    return !m_outcomes.empty() && std::all_of(m_outcomes.begin(), m_outcomes.end(),
                                              [](const SourceOutcome& o) { return o.upToDate; });
}

}  // namespace pirumoa
