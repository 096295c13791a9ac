#pragma once

#include <QCoreApplication>
#include <QString>
#include <cstring>
#include <memory>
#include <vector>

#include "core/sheet/sheet.h"

// PDF is the one output that needs Qt Gui, its fonts and their libraries, which cost a command
// more than its reading does. So pirumoa-cli is built without them and hands a command that
// asks for a PDF to pirumoa-cli-pdf, the same tool built with them (pdfhandoff.cpp); that one
// prints it (pdfwriter.cpp).
namespace pirumoa::cli {

// The PDF tool's name; it lies beside pirumoa-cli, so both find the same database and data.
inline constexpr char kPdfToolName[] = "pirumoa-cli-pdf";

// True when the arguments ask for --format pdf.
inline bool wantsPdf(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--format=pdf") == 0) return true;
        if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc &&
            std::strcmp(argv[i + 1], "pdf") == 0)
            return true;
    }
    return false;
}

// The application object the command runs in. pirumoa-cli hands a PDF command on here and
// does not come back unless it cannot.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv);

// The grids printed to a PDF file. Empty on success, otherwise why not.
QString writePdf(const std::vector<const pirumoa::Sheet*>& sheets, const QString& caption,
                 const QString& path);

}  // namespace pirumoa::cli
