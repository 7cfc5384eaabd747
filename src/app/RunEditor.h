#pragma once

// The editor's program: reads its command line (a map file to open, --help, --version,
// Qt's own options), checks that there is a display, starts the application, shows the
// main window, opens the map file named, if any, and runs until the window closes;
// returns the exit status. The shipped cvdmxmap is this call alone, and the benchmark's
// start-up launcher makes the same call, so that the start-up it measures is the
// product's own.
int RunEditor(int &argc, char **argv);
