// kolvane-access-reader: answers one request on an Access file on standard output (see
// db/AccessReader.h). Started by the program for every read of an Access file.

#include "db/AccessReader.h"

#include <cstdio>

int main(int argc, char **argv) {
    QList<QByteArray> request;
    for (int i = 1; i < argc; ++i)
        request << QByteArray(argv[i]);
    const QByteArray answer = AccessReader::Answer(request);
    if (answer.isEmpty())
        return 2;
    return std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout) ==
                       size_t(answer.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
}
