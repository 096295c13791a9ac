// Reading results files: 1,000,000 good lines, and one line of 100 MB of commas. Each case
// runs in a child process of its own, so that its peak memory is its own; prints the time and
// the peak resident size.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "core/store/backups.h"
#include "core/store/drawcsv.h"
#include "core/store/drawfile.h"
#include "core/store/drawstore.h"

using namespace pirumoa;

namespace {

bool writeLines(const QString& path, qint64 count) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write("回号,抽せん日,当せん番号,ストレート\r\n");
    QByteArray block;
    for (qint64 i = 0; i < count; ++i) {
        const int no = int(i % kMaxDrawNo) + 1;
        block += QByteArray::number(no) + ",2026/8/21," + QByteArray::number(no % 10000) +
                 ",\"1,234,500円\"\r\n";
        if (block.size() > (1 << 20)) {
            f.write(block);
            block.clear();
        }
    }
    return f.write(block) == block.size();
}

bool writeCommas(const QString& path, qint64 bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray block(1 << 20, ',');
    for (qint64 done = 0; done < bytes; done += block.size()) f.write(block);
    return f.write("\n") == 1;
}

void measure(const char* name, const std::function<QString()>& body) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        QElapsedTimer timer;
        timer.start();
        const QString what = body();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        std::printf("%-34s %9.0f ms  peak RSS %6.1f MB  %s\n", name, ms,
                    double(usage.ru_maxrss) / 1024.0, what.toUtf8().constData());
        std::fflush(stdout);
        finishBackupChecks();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString lines = dir.filePath("lines.csv"), commas = dir.filePath("commas.csv");
    if (!writeLines(lines, 1'000'000) || !writeCommas(commas, 100 << 20)) {
        std::fprintf(stderr, "cannot write the test files in %s\n", qPrintable(dir.path()));
        return 1;
    }
    measure("read 1,000,000 lines", [&] {
        const ParsedDraws p = *readDrawFile(lines);
        return QStringLiteral("%1 draws, %2 refused").arg(p.draws.size()).arg(p.refusedLines);
    });
    measure("import 1,000,000 lines", [&] {
        const ImportResult r = importDrawCsv(lines, databaseFileIn(dir.path()), false);
        return QStringLiteral("%1 added").arg(r.added);
    });
    measure("read one line of 100 MB", [&] {
        const ParsedDraws p = *readDrawFile(commas);
        return firstRefusal(p, QStringLiteral("commas.csv"));
    });
    return 0;
}
