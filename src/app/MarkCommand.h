#pragma once

#include <QString>

class QWidget;

// Marking a caller's number as a nuisance from a call (the main window's call display, the
// history list), and taking the mark off again. The user is asked for the reason ("迷惑電話"
// offered) and told what could not be done. True when the marks changed.
namespace MarkCommand {

bool MarkFromCall(QWidget *parent, const QString &number);
bool UnmarkFromCall(QWidget *parent, const QString &number);

} // namespace MarkCommand
