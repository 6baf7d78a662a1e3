#pragma once

#include <QString>
#include <QStringList>

// Where the help pages are: the "Help" folder beside the program, else the one in the
// installed data folder.
namespace HelpPages {

// The folders looked in, in order: "Help" in AppFolder, beside the program file, then in the
// data folders (the installed one, then the desktop's shared data folders under "kolvane").
QStringList Folders();
// "main.htm" of the first of `folders` that has it; when none has, the one of the first
// folder (opening it then shows the desktop's own "not found").
QString MainPage(const QStringList &folders = Folders());
// The page `name` ("history.htm") beside the main page that MainPage finds.
QString Page(const QString &name, const QStringList &folders = Folders());

} // namespace HelpPages
