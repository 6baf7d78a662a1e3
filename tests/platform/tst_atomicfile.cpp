// Whole-file writes: a failure at any step keeps the previous file byte for byte and leaves
// nothing beside it; a success leaves exactly the new bytes.
#include "platform/AtomicFile.h"
#include "support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

Q_DECLARE_METATYPE(AtomicWriteStep)

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QStringList filesIn(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void newFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Rireki.ini");
        QVERIFY(WriteFileAtomically(path, "a\r\nb\r\n"));
        QCOMPARE(readAll(path), QByteArray("a\r\nb\r\n"));
        QCOMPARE(filesIn(dir.path()), QStringList{"Rireki.ini"});
    }

    void replacesAndKeepsPermissions() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(WriteFileAtomically(path, QByteArray(5000, 'x')));
        const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(path, mode));
        QVERIFY(WriteFileAtomically(path, "short"));
        QCOMPARE(readAll(path), QByteArray("short"));
        QCOMPARE(QFile::permissions(path) & 0x7077, mode); // owner, group and others
        QVERIFY(WriteFileAtomically(path, QByteArray()));
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(filesIn(dir.path()), QStringList{"Kolvane.ini"});
    }

    void injectedErrorKeepsTheOldFile_data() {
        QTest::addColumn<AtomicWriteStep>("step");
        QTest::addColumn<int>("error");
        QTest::newRow("create: no space") << AtomicWriteStep::Create << ENOSPC;
        QTest::newRow("write: no space") << AtomicWriteStep::Write << ENOSPC;
        QTest::newRow("write: I/O error") << AtomicWriteStep::Write << EIO;
        QTest::newRow("flush: no space") << AtomicWriteStep::Flush << ENOSPC;
        QTest::newRow("flush: I/O error") << AtomicWriteStep::Flush << EIO;
        QTest::newRow("close: quota") << AtomicWriteStep::Close << EDQUOT;
        QTest::newRow("rename: I/O error") << AtomicWriteStep::Rename << EIO;
    }
    void injectedErrorKeepsTheOldFile() {
        QFETCH(AtomicWriteStep, step);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        const QByteArray old(3000, 'o');
        QVERIFY(WriteFileAtomically(path, old));
        InjectAtomicWriteError(step, error);
        QVERIFY(!WriteFileAtomically(path, QByteArray(4000, 'n')));
        QCOMPARE(readAll(path), old);
        QCOMPARE(filesIn(dir.path()), QStringList{"Kolvane.ini"});
        // The error was for one write only.
        QVERIFY(WriteFileAtomically(path, "next"));
        QCOMPARE(readAll(path), QByteArray("next"));
    }

    void injectedErrorWithoutAnOldFileLeavesNothing() {
        QTemporaryDir dir;
        InjectAtomicWriteError(AtomicWriteStep::Flush, EIO);
        QVERIFY(!WriteFileAtomically(dir.filePath("Rireki.ini"), "x"));
        QCOMPARE(filesIn(dir.path()), QStringList());
    }

    void fullDiskKeepsTheOldFile_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("one byte") << 1;
        QTest::newRow("one block") << 4096;
        QTest::newRow("larger than the disk") << 100000;
    }
    void fullDiskKeepsTheOldFile() {
        QFETCH(int, size);
        FullDisk disk;
        SKIP_UNLESS_FULL_DISK(disk);
        const QString path = disk.filePath("Rireki.ini");
        const QByteArray old(2000, 'o');
        QVERIFY(WriteFileAtomically(path, old));
        QVERIFY(disk.fill());
        QVERIFY(!WriteFileAtomically(path, QByteArray(size, 'n')));
        QCOMPARE(readAll(path), old);
        QCOMPARE(filesIn(QFileInfo(path).path()), QStringList({"Rireki.ini", "filler"}));
    }

    void missingFolderFails() {
        QTemporaryDir dir;
        QVERIFY(!WriteFileAtomically(dir.filePath("no/such/Kolvane.ini"), "x"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
