// pirumoa-cli-pdf: the command-line tool with the painter, for the commands that print a PDF.
#include <QGuiApplication>

#include "cli/commandline.h"
#include "cli/pdfoutput.h"
#include "cli/updatecommand.h"
#include "paint/look.h"
#include "paint/sheetexport.h"

namespace pirumoa::cli {

namespace {

QtMessageHandler g_qtHandler = nullptr;

// Qt's own notes about the session (XDG_RUNTIME_DIR not set, a missing platform theme) are
// not the user's business: stderr holds this tool's messages only. What Qt reports as critical
// or fatal still goes out.
void dropQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
    if (g_qtHandler) g_qtHandler(type, context, message);
}

}  // namespace

// A PDF needs fonts, and so a GUI application, but never a display.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    g_qtHandler = qInstallMessageHandler(dropQtNotes);
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

// Never reached: the update runs in pirumoa-cli-net.
int runUpdate(const QCommandLineParser&) {
    return failure(QStringLiteral("当せん番号の取得はこのプログラムではできません。"));
}

}  // namespace pirumoa::cli
