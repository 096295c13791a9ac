// pirumoa-cli without the painter: a command that asks for a PDF runs in pirumoa-cli-pdf.
#include <unistd.h>

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/pdfoutput.h"

namespace pirumoa::cli {

namespace {

// The PDF tool beside this program's own file (not beside whatever link started it).
std::filesystem::path pdfTool() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self.parent_path() / kPdfToolName;
}

}  // namespace

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    if (!wantsPdf(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    // The same arguments, the same name in messages and usage: the user sees one tool.
    const std::filesystem::path tool = pdfTool();
    int why = ENOENT;
    if (!tool.empty()) {
        ::execv(tool.c_str(), argv);
        why = errno;
    }
    if (why == ENOENT)
        std::fprintf(stderr,
                     "pirumoa-cli: PDFを書き出す %s が pirumoa-cli と同じフォルダーにないため、"
                     "PDFを作れません。インストールし直してください。\n",
                     kPdfToolName);
    else
        std::fprintf(stderr, "pirumoa-cli: PDFを書き出す %s を起動できませんでした（%s）。\n",
                     kPdfToolName, std::strerror(why));
    std::exit(1);
}

// Never reached: a PDF command does not run in this program.
QString writePdf(const std::vector<const Sheet*>&, const QString&, const QString&) {
    return QStringLiteral("PDFはこのプログラムでは書き出せません。");
}

}  // namespace pirumoa::cli
