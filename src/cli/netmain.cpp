// pirumoa-cli-net: the command-line tool with Qt Network, for the update command.
#include "cli/pdfoutput.h"

namespace pirumoa::cli {

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    return std::make_unique<QCoreApplication>(argc, argv);
}

QString writePdf(const std::vector<const Sheet*>&, const QString&, const QString&) {
    return QStringLiteral("PDFはこのプログラムでは書き出せません。");
}

}  // namespace pirumoa::cli
