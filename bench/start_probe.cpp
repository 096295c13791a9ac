// Start-up as the program does it, ending as soon as the main window and the prediction
// window are on screen; timed as a whole process against empty_window.
#include "shell/program.h"

int main(int argc, char** argv) { return pirumoa::runProgram(argc, argv, true); }
