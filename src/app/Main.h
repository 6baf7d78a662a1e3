#pragma once

#include <QString>
#include <QStringList>

// The program's entry: records the screen's twips per pixel, fixes AppFolder and shows the
// main window. Returns when the main window has unloaded.
int Main(int argc, char **argv);

// AppFolder from the command line: the folder named by --folder DIR, else the program's folder;
// never with a trailing separator.
QString AppFolderFromArguments(const QStringList &arguments, const QString &programFolder);
