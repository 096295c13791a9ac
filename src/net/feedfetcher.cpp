#include "net/feedfetcher.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace pirumoa {

bool isLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString urlProblem(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return QStringLiteral("「%1」は URL ではありません。").arg(url.toString());
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return {};
    if (scheme == QLatin1String("http") && isLoopbackHost(url.host())) return {};
    return QStringLiteral(
               "「%1」は読み込みません。当せん番号の取得には https の URL が必要です"
               "（http はこのコンピューター内のテスト用サーバーだけに使えます）。")
        .arg(url.toString());
}

FeedFetcher::FeedFetcher(QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)), m_idle(new QTimer(this)) {
    // The proxy the desktop or the environment names, as every other program of the user.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    m_manager->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    m_idle->setSingleShot(true);
    connect(m_idle, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("%1 秒間データが届きませんでした。").arg(m_timeoutSeconds));
    });
}

FeedFetcher::~FeedFetcher() { cancel(); }

void FeedFetcher::cancel() {
    m_idle->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_reply = nullptr;
}

void FeedFetcher::fail(const QString& reason) {
    if (m_error.isEmpty())
        m_error = QStringLiteral("「%1」を読み込めません。%2").arg(m_url.toString(), reason);
    m_body.clear();
    cancel();
    emit finished();
}

void FeedFetcher::get(const QUrl& url) {
    cancel();
    m_url = url;
    m_body.clear();
    m_error.clear();
    m_tlsErrors.clear();
    m_redirects = 0;
    if (const QString why = urlProblem(url); !why.isEmpty()) {
        m_error = why;
        // Told after the caller is ready to hear it, as a transfer would be.
        QTimer::singleShot(0, this, [this] { emit finished(); });
        return;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("pirumoa/%1 (Numbers4 Pirumoa)").arg(PIRUMOA_VERSION));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // One more than allowed, so that the count below says so in its own words.
    request.setMaximumRedirectsAllowed(kMaxRedirects + 1);
    m_reply = m_manager->get(request);
    // What is not read yet stays in a small buffer: the cap is checked as the bytes come.
    m_reply->setReadBufferSize(256 * 1024);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::readyRead, this, &FeedFetcher::readSome);
    connect(reply, &QNetworkReply::downloadProgress, this, [this] { m_idle->start(); });
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        m_idle->start();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaxFeedBytes)
            fail(QStringLiteral("応答が %1 MB を超えています。").arg(kMaxFeedBytes >> 20));
    });
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        // Never ignored: they only make the message say why.
        QStringList texts;
        for (const QSslError& e : errors) texts << e.errorString();
        m_tlsErrors = texts.join(QStringLiteral("、"));
    });
    connect(reply, &QNetworkReply::redirected, this, [this, reply](const QUrl& to) {
        m_idle->start();
        if (++m_redirects > kMaxRedirects) {
            fail(QStringLiteral("転送（リダイレクト）が %1 回を超えました。").arg(kMaxRedirects));
            return;
        }
        const QUrl from = reply->url();
        if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
            to.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
            fail(QStringLiteral("https から https でない「%1」へ転送されたため、読み込みを"
                                "やめました。")
                     .arg(to.toString()));
            return;
        }
        if (const QString why = urlProblem(to); !why.isEmpty()) {
            fail(QStringLiteral("「%1」へ転送されました。%2").arg(to.toString(), why));
            return;
        }
        emit reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::finished, this, &FeedFetcher::done);
    m_idle->start(m_timeoutSeconds * 1000);
}

void FeedFetcher::readSome() {
    if (!m_reply) return;
    m_idle->start();
    m_body += m_reply->readAll();
    if (m_body.size() > kMaxFeedBytes) {
        fail(QStringLiteral("応答が %1 MB を超えました。").arg(kMaxFeedBytes >> 20));
        return;
    }
    emit received(m_body.size());
}

void FeedFetcher::done() {
    if (!m_reply) return;
    readSome();
    if (!m_reply) return;
    QNetworkReply* reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString phrase = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    m_idle->stop();
    if (error != QNetworkReply::NoError || status < 200 || status > 299) {
        if (status >= 300)
            fail(QStringLiteral("サーバーの応答が HTTP %1 %2 でした。").arg(status).arg(phrase));
        else if (!m_tlsErrors.isEmpty() || error == QNetworkReply::SslHandshakeFailedError)
            fail(QStringLiteral("安全な接続（TLS）を確かめられません：%1")
                     .arg(m_tlsErrors.isEmpty() ? errorText : m_tlsErrors));
        else if (error == QNetworkReply::TooManyRedirectsError)
            fail(QStringLiteral("転送（リダイレクト）が %1 回を超えました。").arg(kMaxRedirects));
        else
            fail(QStringLiteral("通信できません：%1").arg(errorText));
        return;
    }
    m_reply->deleteLater();
    m_reply = nullptr;
    emit finished();
}

}  // namespace pirumoa
