#pragma once

// The editor's program: checks that there is a display, starts the application, shows
// the main window and runs until it closes; returns the exit status. The shipped
// cvdmxmap is this call alone, and the benchmark's start-up launcher makes the same call,
// so that the start-up it measures is the product's own.
int RunEditor(int &argc, char **argv);
