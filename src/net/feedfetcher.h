#pragma once
// Reading one results feed over the network, safely: https only (plain http only to this
// machine, which tests use), TLS errors never ignored, at most five redirects and never from
// https to http, a body refused as soon as it passes 16 MB, a transfer that makes no progress
// for the timeout ended, the system proxy honoured, and a User-Agent that names the program.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

namespace pirumoa {

inline constexpr qint64 kMaxFeedBytes = 16 * 1024 * 1024;
inline constexpr int kMaxRedirects = 5;
inline constexpr int kDefaultTimeoutSeconds = 30;

// 127.0.0.0/8, ::1 and "localhost".
bool isLoopbackHost(const QString& host);
// Why the URL may not be read (Japanese), empty when it may: decided before any lookup.
QString urlProblem(const QUrl& url);

class FeedFetcher : public QObject {
    Q_OBJECT
public:
    explicit FeedFetcher(QObject* parent = nullptr);
    ~FeedFetcher() override;

    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    // Starts reading url; finished() follows, also for a URL refused at once.
    void get(const QUrl& url);
    // Ends the transfer; finished() is not emitted.
    void cancel();

    bool ok() const { return m_error.isEmpty(); }
    const QByteArray& body() const { return m_body; }
    // "「URL」を読み込めません。reason"
    const QString& error() const { return m_error; }

signals:
    void finished();
    void received(qint64 bytes);

private:
    void fail(const QString& reason);
    void done();
    void readSome();

    QNetworkAccessManager* m_manager;
    QTimer* m_idle;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    QByteArray m_body;
    QString m_error;
    QString m_tlsErrors;
    int m_redirects = 0;
    int m_timeoutSeconds = kDefaultTimeoutSeconds;
};

}  // namespace pirumoa
