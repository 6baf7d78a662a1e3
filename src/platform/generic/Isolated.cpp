#include "platform/Isolated.h"

// Without separate processes the work runs here, with the library's own safety alone.
std::optional<QByteArray> RunIsolated(const std::function<QByteArray()> &work, int, QString *,
                                      const std::atomic<bool> *) {
    return work();
}
