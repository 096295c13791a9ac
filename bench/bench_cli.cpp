// The command-line tool's budgets, as whole processes: each command's CPU time (user + system,
// from the kernel's account of the child) against its yardstick, in interleaved runs, so that
// a busy moment of the machine falls on both sides alike. Prints the medians, the quartiles
// and the ratio of the medians.
//
// Usage: pirumoa-bench-cli [RUNS] [PART]   (default 30; only the budgets whose name holds PART)
// Makes a database of 32,767 draws (random digits, fixed seed; no dates, since draws that far
// ahead have none a results file could give) in a scratch folder,
// and uses the sample database beside the tool for the PDF, which is budgeted at its size.
// The same database holds 1,000 tickets (random numbers, types, units and first draws; half of
// them bought on and on, half for 1 … 20 draws) for `tickets list` against `tickets export`.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "core/store/drawstore.h"

namespace {

using Command = std::vector<QByteArray>;

// CPU milliseconds of one run of the command, its output thrown away; negative on failure.
double cpuMs(const Command& command) {
    std::fflush(stdout);  // the child would write out what is buffered once more
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const QByteArray& a : command) argv.push_back(const_cast<char*>(a.constData()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage use{};
    if (pid < 0 || wait4(pid, &status, 0, &use) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    const auto ms = [](const timeval& t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return ms(use.ru_utime) + ms(use.ru_stime);
}

struct Spread {
    double low, median, high;
};

Spread spreadOf(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[std::size_t(q * double(v.size() - 1) + 0.5)]; };
    return {at(0.25), at(0.5), at(0.75)};
}

struct Budget {
    const char* name;
    Command command, yardstick;
    double limit;  // command ÷ yardstick at most; 0 for a row that only informs
};

bool makeHistory(const QString& csv) {
    QFile f(csv);
    if (!f.open(QIODevice::WriteOnly)) return false;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> digit(0, 9);
    QByteArray text = "draw,date,d1,d2,d3,d4\n";
    for (int no = 1; no <= 32767; ++no) {
        text += QByteArray::number(no) + ',';
        for (int k = 0; k < 4; ++k) text += ',' + QByteArray::number(digit(random));
        text += '\n';
    }
    return f.write(text) == text.size();
}

// 1,000 tickets stored in the database through the store itself.
bool addTickets(const QString& db) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> digit(0, 9), units(1, 10), first(1, 32767), run(1, 20);
    std::vector<pirumoa::Ticket> tickets;
    while (tickets.size() < 1000) {
        pirumoa::Ticket t;
        for (int& d : t.digits) d = digit(random);
        t.type = pirumoa::TicketType(tickets.size() % 3);
        t.units = units(random);
        t.firstDraw = first(random);
        t.draws = tickets.size() % 2 ? 0 : std::min(run(random), 32768 - t.firstDraw);
        if (pirumoa::ticketProblem(t).isEmpty()) tickets.push_back(t);
    }
    try {
        pirumoa::DrawStore::open(pirumoa::databaseFileIn(QFileInfo(db).absolutePath()))
            ->addTickets(tickets);
    } catch (const pirumoa::StoreError&) {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    const QByteArray bin = QCoreApplication::applicationDirPath().toUtf8();
    const QByteArray cli = bin + "/pirumoa-cli", bare = bin + "/bare_read",
                     bareQt = bin + "/bare_read_qt";
    const QByteArray sample = bin + "/Numbers4Pirumoa.mdb";

    QTemporaryDir scratch;
    const QString csv = scratch.filePath("history.csv");
    const QByteArray db = scratch.filePath(pirumoa::kDatabaseFileName).toUtf8();
    const QByteArray pdf = scratch.filePath("grid.pdf").toUtf8();
    if (!scratch.isValid() || !makeHistory(csv) ||
        cpuMs({cli, "import", csv.toUtf8(), "--db", db}) < 0 || !addTickets(db)) {
        std::fprintf(stderr, "pirumoa-bench-cli: could not make the 32,767-draw database\n");
        return 1;
    }

    const Command tsv{cli, "sheet", "分割10データ分析", "--db", db};
    const Command sampleTsv{cli, "sheet", "分割10データ分析", "--db", sample};
    const std::vector<Budget> budgets{
        {"export / bare read, 32767", {cli, "export", "--db", db}, {bare, db}, 1.3},
        // Not a budget: how much of the ratios above is only the loading of Qt Core.
        {"(floor) bare read with Qt Core / bare read", {bareQt, db}, {bare, db}, 0},
        {"sheet 出現頻度分析 / bare read, 32767",
         {cli, "sheet", "出現頻度分析", "--db", db},
         {bare, db},
         1.3},
        {"backtest / export, 32767", {cli, "backtest", "--db", db}, {cli, "export", "--db", db}, 2},
        {"JSON / TSV of 分割10データ分析, 32767",
         {cli, "sheet", "分割10データ分析", "--db", db, "--format", "json"},
         tsv,
         12},
        {"PDF / TSV of 分割10データ分析, sample",
         {cli, "sheet", "分割10データ分析", "--db", sample, "--format", "pdf", "--output", pdf},
         sampleTsv,
         15},
        {"tickets list / tickets export, 1000",
         {cli, "tickets", "list", "--db", db},
         {cli, "tickets", "export", "--db", db},
         2},
        // Not a budget: the list against reading the draws alone.
        {"tickets list / export, 1000 over 32767",
         {cli, "tickets", "list", "--db", db},
         {cli, "export", "--db", db},
         0},
    };
    std::printf("%-42s %28s %28s %7s %7s\n", "budget", "command ms (q1 median q3)",
                "yardstick ms (q1 median q3)", "ratio", "limit");
    int over = 0;
    for (const Budget& b : budgets) {
        if (argc > 2 && !std::strstr(b.name, argv[2])) continue;
        std::vector<double> command, yardstick;
        for (int i = 0; i < runs; ++i) {
            command.push_back(cpuMs(b.command));
            yardstick.push_back(cpuMs(b.yardstick));
        }
        if (std::min(*std::min_element(command.begin(), command.end()),
                     *std::min_element(yardstick.begin(), yardstick.end())) < 0) {
            std::printf("%-42s failed\n", b.name);
            ++over;
            continue;
        }
        const Spread c = spreadOf(command), y = spreadOf(yardstick);
        const double ratio = c.median / y.median;
        const bool beyond = b.limit > 0 && ratio > b.limit;
        over += beyond;
        std::printf("%-42s %8.1f %8.1f %8.1f   %8.1f %8.1f %8.1f   %6.2f %6.1f%s\n", b.name, c.low,
                    c.median, c.high, y.low, y.median, y.high, ratio, b.limit,
                    beyond ? "  over" : "");
    }
    return over ? 1 : 0;
}
