// kolvane-access-reader: answers one request on an Access file on standard output (see
// accessreader/AccessReader.h). Started by the program for every read of an Access file.

#include "accessreader/AccessReader.h"
#include "platform/IsolatedAnswer.h"

int main(int argc, char **argv) {
    // libmdb prints its complaints about a file on standard output.
    if (!ReserveAnswerChannel())
        return 1;
    QList<QByteArray> request;
    for (int i = 1; i < argc; ++i)
        request << QByteArray(argv[i]);
    const QByteArray answer = AccessReader::Answer(request);
    if (answer.isEmpty())
        return 2;
    return SendAnswer(answer) ? 0 : 1;
}
