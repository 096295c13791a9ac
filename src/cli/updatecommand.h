#pragma once
// pirumoa-cli update: the results from the results feeds. It needs Qt Network, which every
// other command would pay for at start, so it runs in pirumoa-cli-net, the same tool built
// with it; pirumoa-cli hands the command on (pdfhandoff.cpp).
#include <QCommandLineParser>
#include <cstring>

namespace pirumoa::cli {

inline constexpr char kNetToolName[] = "pirumoa-cli-net";
inline constexpr int kHeldBack = 3;

// True when the command is update.
inline bool wantsNetwork(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        return std::strcmp(argv[i], "update") == 0;
    }
    return false;
}

// Defined in pirumoa-cli-net; the other builds of the tool never run it.
int runUpdate(const QCommandLineParser& args);

}  // namespace pirumoa::cli
