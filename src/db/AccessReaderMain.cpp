// kolvane-access-reader: answers one request on an Access file on standard output (see
// db/AccessReader.h). Started by the program for every read of an Access file.

#include "db/AccessReader.h"

#include <cstdio>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    // libmdb prints its complaints about a file on standard output: the answer goes out on a
    // descriptor of its own, and what libmdb prints goes nowhere.
    const int answerFd = ::dup(STDOUT_FILENO);
    if (answerFd < 0 || !std::freopen("/dev/null", "w", stdout))
        return 1;
    QList<QByteArray> request;
    for (int i = 1; i < argc; ++i)
        request << QByteArray(argv[i]);
    const QByteArray answer = AccessReader::Answer(request);
    if (answer.isEmpty())
        return 2;
    // The answer's length first: an answer cut short is known as such.
    const quint64 size = quint64(answer.size());
    return WriteAll(answerFd, reinterpret_cast<const char *>(&size), sizeof size) &&
                   WriteAll(answerFd, answer.constData(), size_t(answer.size()))
               ? 0
               : 1;
}
