#pragma once

#include <QStringList>

// While a test records, the tray, the ring player and the shell write down what the program
// asked of them ("tray add Kolvane", "ring play /x/ring.wav", ...) instead of doing it, so a
// test can check the requests without a desktop, a sound device or a settings tool.
namespace Recorder {
void start();
void stop();
bool active();
void add(const QString &request);
// The requests since start() or the last take().
QStringList take();
} // namespace Recorder
