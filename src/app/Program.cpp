#include "app/Program.h"

QString Program::AppFolder;
int Program::TwipsPerPixelX = 15;
int Program::TwipsPerPixelY = 15;
bool Program::HistoryWindowOpen = false;
bool Program::PhonebookWindowOpen = false;
bool Program::CompactionBusy = false;

QString Program::filePath(const QString &name) { return AppFolder + QLatin1Char('/') + name; }
