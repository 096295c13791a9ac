#pragma once
// A results feed on this machine for the tests: plain http, or https with a certificate made
// for the test (which no client trusts). Each path answers as its route says, including the
// faults a real site can show.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QTemporaryDir>

class QTcpSocket;

#include "core/store/importeddraw.h"

namespace pirumoa::test {

// The two feeds' files made from draws: the results API's numbers4_all_full.json (oldest
// first, with prizes), the results file without prizes (newest first), and version.json.
QByteArray apiShape(const std::vector<ImportedDraw>& draws);
QByteArray hubShape(const std::vector<ImportedDraw>& draws);
QByteArray version(int latest);

struct Route {
    enum class Mode { Whole, Truncated, Endless, Silent };
    Route() = default;
    Route(int code, QByteArray text, Mode how = Mode::Whole, QByteArray to = {})
        : status(code), body(std::move(text)), mode(how), location(std::move(to)) {}
    int status = 200;
    QByteArray body;
    Mode mode = Mode::Whole;
    QByteArray location;  // a redirect
};

class FeedServer : public QObject {
    Q_OBJECT
public:
    // With tls, a self-signed certificate is made with the openssl tool; ok() is false when
    // it cannot be.
    explicit FeedServer(bool tls = false);
    bool ok() const { return m_server != nullptr && m_server->isListening(); }
    QString base() const;  // "http://127.0.0.1:PORT/"
    void route(const QByteArray& path, Route r) { m_routes[path] = std::move(r); }
    // The paths asked for, in order, and the last User-Agent.
    QList<QByteArray> asked;
    QByteArray userAgent;

private:
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& path);

    bool m_tls;
    QTemporaryDir m_dir;
    QTcpServer* m_server = nullptr;
    QHash<QByteArray, Route> m_routes;
};

}  // namespace pirumoa::test
