// pirumoa-cli without the painter: a command that asks for a PDF runs in pirumoa-cli-pdf.
#include <unistd.h>

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/commandline.h"
#include "cli/pdfoutput.h"
#include "cli/updatecommand.h"

namespace pirumoa::cli {

namespace {

// A tool beside this program's own file (not beside whatever link started it).
std::filesystem::path toolBeside(const char* name) {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path() / name;
}

}  // namespace

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    const bool network = wantsNetwork(argc, argv);
    if (!network && !wantsPdf(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    const char* name = network ? kNetToolName : kPdfToolName;
    const char* what = network ? "当せん番号を取得する" : "PDFを書き出す";
    const char* task = network ? "当せん番号を取得できません" : "PDFを作れません";
    // The same arguments, the same name in messages and usage: the user sees one tool.
    const std::filesystem::path tool = toolBeside(name);
    int why = ENOENT;
    if (!tool.empty()) {
        ::execv(tool.c_str(), argv);
        why = errno;
    }
    if (why == ENOENT)
        std::fprintf(stderr,
                     "pirumoa-cli: %s %s が pirumoa-cli と同じフォルダーにないため、"
                     "%s。インストールし直してください。\n",
                     what, name, task);
    else
        std::fprintf(stderr, "pirumoa-cli: %s %s を起動できませんでした（%s）。\n", what, name,
                     std::strerror(why));
    std::exit(1);
}

// Never reached: the update runs in pirumoa-cli-net.
int runUpdate(const QCommandLineParser&) {
    return failure(QStringLiteral("当せん番号の取得はこのプログラムではできません。"));
}

// Never reached: a PDF command does not run in this program.
QString writePdf(const std::vector<const Sheet*>&, const QString&, const QString&) {
    return QStringLiteral("PDFはこのプログラムでは書き出せません。");
}

}  // namespace pirumoa::cli
