// The memory a phonebook import takes for a large vCard file (exchange::ImportPhonebookVCard,
// as the command line and the phonebook window's menu run it): a file of about 50 MB is made,
// imported into a fresh call database, and the peak resident memory of the process is printed
// before and after, with the time and the file's size. Cards are read one at a time, so the
// peak should not follow the file's size.
//
// Usage: bench_vcard [--cards N]   (default 250000 cards, about 50 MB)

#include "db/Database.h"
#include "exchange/VCard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "BenchSupport.h"

namespace {

qint64 PeakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

bool WriteCards(const QString &path, int cards) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray note(80, 'x');
    for (int i = 0; i < cards; ++i) {
        const QByteArray card =
            QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田 太郎 %1\r\nN:山田;太郎;;;\r\n"
                           "TEL;TYPE=HOME:03-%2\r\nTEL;TYPE=CELL:090%3\r\n"
                           "ADR;TYPE=HOME:;;千代田1-1;千代田区;東京都;100-0001;\r\nNOTE:")
                .arg(i)
                .arg(i, 8, 10, QLatin1Char('0'))
                .arg(i, 8, 10, QLatin1Char('0'))
                .toUtf8() +
            note + "\r\nEND:VCARD\r\n";
        if (f.write(card) != card.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--cards")));
    const int cards = at >= 0 ? args.value(at + 1).toInt() : 250000;
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("big.vcf"));
    if (cards <= 0 || !work.isValid() || !WriteCards(file, cards)) {
        out << "cannot write the vCard file\n";
        return 1;
    }
    printHeader(QStringLiteral("vCard import"));
    db::Database d(work.filePath(QStringLiteral("Kolvane.mdb")));
    const qint64 before = PeakKiB();
    QElapsedTimer t;
    t.start();
    const exchange::ImportReport r = exchange::ImportPhonebookVCard(d, file);
    const qint64 ms = t.elapsed();
    out << "file: " << QFile(file).size() / (1024 * 1024) << " MB, " << cards << " cards; added "
        << r.added << (r.ok ? "" : " (failed: " + r.error + ")") << "\n";
    out << "time: " << ms << " ms\n";
    out << "peak memory: " << before / 1024 << " MB before the import, " << PeakKiB() / 1024
        << " MB after it\n";
    out.flush();
    return r.ok ? 0 : 1;
}
