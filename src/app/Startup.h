#pragma once

// The program's entry: records the screen's twips per pixel, fixes AppFolder and shows the
// main window. Returns when the main window has unloaded.
int Main(int argc, char **argv);
