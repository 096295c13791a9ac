// pirumoa-cli-pdf: the command-line tool with the painter, for the commands that print a PDF.
#include <QGuiApplication>

#include "cli/pdfoutput.h"
#include "paint/look.h"
#include "paint/sheetexport.h"

namespace pirumoa::cli {

// A PDF needs fonts, and so a GUI application, but never a display.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    if (!wantsPdf(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto application = std::make_unique<QGuiApplication>(argc, argv);
    installFonts();
    return application;
}

QString writePdf(const std::vector<const Sheet*>& sheets, const QString& caption,
                 const QString& path) {
    return writeSheetsPdf(sheets, caption, path);
}

}  // namespace pirumoa::cli
