#include "testsupport.h"

#include <QFile>
#include <QProcess>

namespace pirumoa::test {

std::vector<DrawRecord> draws(std::initializer_list<const char*> digits, int first) {
    std::vector<DrawRecord> out;
    int no = first;
    for (const char* d : digits) {
        DrawRecord r;
        r.no = no++;
        for (int i = 0; i < 4 && d[i]; ++i) r.digits[i] = d[i] == '_' ? -1 : d[i] - '0';
        out.push_back(r);
    }
    return out;
}

DrawHistory history(std::initializer_list<const char*> digits, int first) {
    return DrawHistory::fromRows(draws(digits, first));
}

TempDatabase::TempDatabase(const std::vector<DrawRecord>& rows)
    : connect(MakeConnectString(dir.path())) {
    auto store = DrawStore::open(connect, true);
    if (!rows.empty()) store->importDraws(rows, false);
}

CliRun runCli(const QStringList& args, const QString& workDir) {
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(PIRUMOA_CLI), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString predictionDigits(const std::vector<const Sheet*>& grids) {
    QStringList out;
    for (const Sheet* s : grids) {
        QStringList rows;
        for (int r = 2; r <= s->rowCount(); ++r) {
            QString row;
            for (int c = 2; c <= 5; ++c)
                row += s->text(c, r).isEmpty() ? QStringLiteral(".") : s->text(c, r);
            rows << row;
        }
        out << rows.join(QLatin1Char('/'));
    }
    return out.join(QStringLiteral(" | "));
}

}  // namespace pirumoa::test
