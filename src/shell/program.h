#pragma once

namespace pirumoa {

// The desktop program from start to end: the exit status of the process. With quitWhenShown
// it ends as soon as the main window and the prediction window are on screen, so that its
// start-up can be timed as a whole process.
int runProgram(int argc, char** argv, bool quitWhenShown = false);

}  // namespace pirumoa
