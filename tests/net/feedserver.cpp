#include "net/feedserver.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>

namespace pirumoa::test {

namespace {

QJsonArray digitsOf(const ImportedDraw& d) {
    QJsonArray a;
    for (std::int8_t x : d.draw.digits) a.append(int(x));
    return a;
}

}  // namespace

QByteArray apiShape(const std::vector<ImportedDraw>& draws) {
    QJsonArray a;
    for (const ImportedDraw& d : draws) {
        QString number;
        for (std::int8_t x : d.draw.digits) number += QString::number(x);
        a.append(QJsonObject{{"draw_no", d.draw.no},
                             {"date", d.draw.date},
                             {"digits", digitsOf(d)},
                             {"winning_number", number},
                             {"prize", QJsonObject{{"straight", qint64(d.prizes.yen[0])},
                                                   {"box", qint64(d.prizes.yen[1])},
                                                   {"set_straight", qint64(d.prizes.yen[2])},
                                                   {"set_box", qint64(d.prizes.yen[3])}}}});
    }
    return QJsonDocument(a).toJson();
}

// The results file without prizes: newest first.
QByteArray hubShape(const std::vector<ImportedDraw>& draws) {
    QJsonArray a;
    for (auto it = draws.rbegin(); it != draws.rend(); ++it)
        a.append(QJsonObject{{"round", it->draw.no},
                             {"date", it->draw.date},
                             {"numbers", digitsOf(*it)},
                             {"bonus", QJsonArray{}}});
    return QJsonDocument(a).toJson();
}

QByteArray version(int latest) {
    return QStringLiteral(R"({"version": "x", "latest_draw_no": %1, "total_records": %1})")
        .arg(latest)
        .toUtf8();
}

FeedServer::FeedServer(bool tls) : m_tls(tls) {
    if (tls) {
        const QString key = m_dir.filePath("key.pem"), cert = m_dir.filePath("cert.pem");
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                                  "-out", cert, "-days", "1", "-subj", "/CN=localhost"});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) return;
        QFile k(key), c(cert);
        if (!k.open(QIODevice::ReadOnly) || !c.open(QIODevice::ReadOnly)) return;
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(c.readAll()));
        config.setPrivateKey(QSslKey(k.readAll(), QSsl::Rsa));
        auto* server = new QSslServer(this);
        server->setSslConfiguration(config);
        m_server = server;
    } else {
        m_server = new QTcpServer(this);
    }
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* s = m_server->nextPendingConnection()) serve(s);
    });
    m_server->listen(QHostAddress::LocalHost);
}

QString FeedServer::base() const {
    return QStringLiteral("%1://127.0.0.1:%2/")
        .arg(m_tls ? "https" : "http")
        .arg(m_server ? m_server->serverPort() : 0);
}

void FeedServer::serve(QTcpSocket* socket) {
    auto* request = new QByteArray;
    connect(socket, &QTcpSocket::disconnected, socket, [socket, request] {
        delete request;
        socket->deleteLater();
    });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
        *request += socket->readAll();
        const qsizetype end = request->indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> lines = request->left(end).split('\n');
        for (const QByteArray& line : lines)
            if (line.toLower().startsWith("user-agent:")) userAgent = line.mid(11).trimmed();
        const QList<QByteArray> first = lines.value(0).split(' ');
        request->clear();
        answer(socket, first.value(1));
    });
}

void FeedServer::answer(QTcpSocket* socket, const QByteArray& path) {
    asked << path;
    const auto it = m_routes.constFind(path);
    const Route r = it == m_routes.constEnd() ? Route{404, "not found"} : *it;
    if (r.mode == Route::Mode::Silent) return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) +
                      (r.status == 200  ? " OK"
                       : r.status < 400 ? " Found"
                                        : " Error") +
                      "\r\n";
    if (!r.location.isEmpty()) head += "Location: " + r.location + "\r\n";
    if (r.mode == Route::Mode::Whole)
        head += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    if (r.mode == Route::Mode::Truncated)
        head += "Content-Length: " + QByteArray::number(r.body.size() * 2) + "\r\n";
    head += "Content-Type: application/json\r\nConnection: close\r\n\r\n";
    socket->write(head + r.body);
    if (r.mode == Route::Mode::Endless) {
        // More whenever the last part is out, until the client gives up.
        const QByteArray part(64 * 1024, ' ');
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, part] {
            if (socket->bytesToWrite() < part.size()) socket->write(part);
        });
        socket->write(part);
        return;
    }
    socket->disconnectFromHost();
}

}  // namespace pirumoa::test
