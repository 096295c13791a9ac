#include "testsupport.h"

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
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
    : connect(databaseFileIn(dir.path())) {
    auto store = DrawStore::open(connect, true);
    if (!rows.empty()) store->importDraws(withoutPrizes(rows), false);
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

QByteArray inChild(const std::function<QByteArray()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        int code = 0;
        try {
            const QByteArray out = body();
            if (::write(fds[1], out.constData(), std::size_t(out.size())) != out.size()) code = 4;
        } catch (...) {
            code = 5;
        }
        ::_exit(code);
    }
    ::close(fds[1]);
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return out;
}

FullDisk::FullDisk(const QString& at) : m_path(at.isEmpty() ? m_dir.path() : at) {
    if (!at.isEmpty()) QDir().mkpath(at);
    const QByteArray where = QFile::encodeName(m_path);
    m_mounted = ::geteuid() == 0 &&
                ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=256k,mode=0777") == 0;
}

FullDisk::~FullDisk() {
    if (m_mounted) ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
}

void FullDisk::fill() {
    QFile ballast(m_path + QStringLiteral("/.ballast"));
    if (!ballast.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(4096, 'x');
    while (ballast.write(block) == block.size()) {
    }
    // The last bytes of a page are taken one at a time.
    while (ballast.write("x", 1) == 1) {
    }
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

namespace {

DrawRecord storedOrBare(DrawStore& store, int no) {
    for (const DrawRecord& r : store.readAll())
        if (r.no == no) return r;
    DrawRecord bare;
    bare.no = no;
    return bare;
}

void applyOne(DrawStore& store, DrawEdit edit) {
    std::vector<DrawEdit> edits{std::move(edit)};
    store.applyEdits(edits);
}

}  // namespace

void setDigit(DrawStore& store, int no, int position, int digit) {
    const DrawRecord before = storedOrBare(store, no);
    DrawRecord after = before;
    after.digits[std::size_t(position)] = std::int8_t(digit);
    applyOne(store, DrawEdit{no, before, after});
}

void insertDraw(DrawStore& store, const DrawRecord& draw) {
    applyOne(store, DrawEdit{draw.no, std::nullopt, draw});
}

void deleteDraw(DrawStore& store, int no) {
    applyOne(store, DrawEdit{no, storedOrBare(store, no), std::nullopt});
}

}  // namespace pirumoa::test
