#include "settings/Program.h"

QString Program::AppFolder;
bool Program::HistoryWindowOpen = false;
bool Program::PhonebookWindowOpen = false;
bool Program::CompactionBusy = false;

QString Program::filePath(const QString &name) { return AppFolder + QLatin1Char('/') + name; }
