// The update of one draw from a feed on this machine against importing the same draw from a
// file, both through pirumoa-cli as whole processes, at 32,766 stored draws (budget: ≤ 2 ×).
// pirumoa-bench-update CLI [RUNS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/store/drawstore.h"

using namespace pirumoa;

namespace {

double run(const QString& cli, const QStringList& args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cli, args);
    while (p.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        p.waitForFinished(1);
    }
    if (p.exitCode() != 0) std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: pirumoa-bench-update CLI [RUNS]\n");
        return 2;
    }
    const QString cli = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const DatabaseFile base = databaseFileIn(dir.path());
    {
        std::vector<ImportedDraw> draws;
        for (int no = 1; no < kMaxDrawNo; ++no)
            draws.push_back({DrawRecord{no,
                                        {std::int8_t(no % 10), std::int8_t(no / 10 % 10),
                                         std::int8_t(no / 100 % 10), std::int8_t(no / 1000 % 10)},
                                        {}},
                             {}});
        DrawStore::open(base, true)->importDraws(draws, false);
    }
    const QString csv = dir.filePath("one.csv");
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write("draw,date,d1,d2,d3,d4\n32767,2026-08-21,9,5,7,7\n");
    f.close();
    const QByteArray json = R"([{"round": 32767, "date": "2026-08-21", "numbers": [9,5,7,7]}])";
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, json] {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(json.size()) +
                     "\r\nConnection: close\r\n\r\n" + json);
            s->disconnectFromHost();
        });
        QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    });
    const QString url = QStringLiteral("http://127.0.0.1:%1/one.json").arg(server.serverPort());
    std::vector<double> imports, updates;
    for (int i = 0; i < runs; ++i) {
        const QString a = dir.filePath(QStringLiteral("a%1.mdb").arg(i));
        const QString b = dir.filePath(QStringLiteral("b%1.mdb").arg(i));
        QFile::copy(base.file, a);
        QFile::copy(base.file, b);
        imports.push_back(run(cli, {"import", csv, "--db", a}));
        updates.push_back(run(cli, {"update", "--source", url, "--db", b}));
    }
    const double im = median(imports), up = median(updates);
    std::printf(
        "import of one draw  %8.1f ms\nupdate of one draw  %8.1f ms\nratio %.2f (budget 2)\n", im,
        up, up / im);
    return up <= 2 * im ? 0 : 1;
}
