#include "platform/desktop/Recorder.h"

namespace {
bool recording = false;
QStringList requests;
} // namespace

namespace Recorder {
void start() {
    recording = true;
    requests.clear();
}
void stop() {
    recording = false;
    requests.clear();
}
bool active() {
    return recording;
}
void add(const QString &request) {
    if (recording)
        requests.append(request);
}
QStringList take() {
    QStringList taken;
    taken.swap(requests);
    return taken;
}
} // namespace Recorder
