#include "platform/IsolatedAnswer.h"

#include <cstdio>

// Without descriptors of its own, the answer shares standard output with whatever a library
// prints; the length in front of it tells a mixed answer from a whole one.
bool ReserveAnswerChannel() {
    return true;
}

bool SendAnswer(const QByteArray &answer) {
    const quint64 size = quint64(answer.size());
    return std::fwrite(&size, sizeof size, 1, stdout) == 1 &&
           std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout) ==
               size_t(answer.size()) &&
           std::fflush(stdout) == 0;
}
