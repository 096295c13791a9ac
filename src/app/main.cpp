// pirumoa: the desktop program.
#include "gui/shell/program.h"

int main(int argc, char** argv) { return pirumoa::runProgram(argc, argv); }
