// Rireki.ini: eleven values by position; any fault gives all eleven defaults; written CR LF
// so that a failed write keeps the previous file.
#include "settings/HistoryLayoutFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeRaw(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

HistoryLayout custom() {
    HistoryLayout l;
    const qint32 widths[6] = {900, 0, 1800, 2222, 3000, 4500};
    std::copy(widths, widths + 6, l.ColumnWidth);
    l.Left = -1200;
    l.Top = 315;
    l.Width = 9000;
    l.Height = 4005;
    l.HistoryOnTop = true;
    return l;
}

const QByteArray customBytes("900\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n9000\r\n"
                             "4005\r\nTrue\r\n");

} // namespace

class HistoryLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void defaults() {
        const HistoryLayout l;
        QCOMPARE(FormatHistoryLayoutFile(l),
                 QByteArray("1100\r\n1100\r\n1515\r\n1515\r\n2070\r\n2070\r\n0\r\n0\r\n8550\r\n"
                            "6000\r\nFalse\r\n"));
    }

    void formatAndReadBack() {
        QCOMPARE(FormatHistoryLayoutFile(custom()), customBytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("Rireki.ini");
        QVERIFY(WriteHistoryLayoutFile(path, custom()));
        QCOMPARE(readAll(path), customBytes);
        HistoryLayout back;
        QVERIFY(ReadHistoryLayoutFile(path, back));
        QVERIFY(back == custom());
    }

    // Files as the Windows program wrote them: blanks around the numbers.
    void blanksAroundValuesAreSkipped() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Rireki.ini");
        QVERIFY(writeRaw(path, " 900 \r\n 0 \r\n 1800 \r\n 2222 \r\n 3000 \r\n 4500 \r\n-1200 \r\n"
                               " 315 \r\n 9000 \r\n 4005 \r\nTrue\r\n"));
        HistoryLayout back;
        QVERIFY(ReadHistoryLayoutFile(path, back));
        QVERIFY(back == custom());
        // Lines ended by LF alone, and a line more, read the same.
        QVERIFY(
            writeRaw(path, "900\n0\n1800\n2222\n3000\n4500\n-1200\n315\n9000\n4005\ntrue\n7\n"));
        QVERIFY(ReadHistoryLayoutFile(path, back));
        QVERIFY(back == custom());
    }

    void anyFaultGivesAllDefaults_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("ten lines") << QByteArray("900\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n"
                                                 "-1200\r\n315\r\n9000\r\n4005\r\n");
        QTest::newRow("a word for a width")
            << QByteArray("900\r\nwide\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n"
                          "9000\r\n4005\r\nTrue\r\n");
        QTest::newRow("a fraction") << QByteArray("900.5\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n"
                                                  "-1200\r\n315\r\n9000\r\n4005\r\nTrue\r\n");
        QTest::newRow("an empty line") << QByteArray("900\r\n\r\n1800\r\n2222\r\n3000\r\n4500\r\n"
                                                     "-1200\r\n315\r\n9000\r\n4005\r\nTrue\r\n");
        QTest::newRow("beyond 32 bits")
            << QByteArray("900\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n"
                          "4294967296\r\n4005\r\nTrue\r\n");
        QTest::newRow("a negative width")
            << QByteArray("900\r\n-5\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n"
                          "9000\r\n4005\r\nTrue\r\n");
        QTest::newRow("a negative height")
            << QByteArray("900\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n"
                          "9000\r\n-4005\r\nTrue\r\n");
        QTest::newRow("not a truth value")
            << QByteArray("900\r\n0\r\n1800\r\n2222\r\n3000\r\n4500\r\n-1200\r\n315\r\n"
                          "9000\r\n4005\r\nperhaps\r\n");
        QTest::newRow("junk") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11);
    }

    void anyFaultGivesAllDefaults() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("Rireki.ini");
        QVERIFY(writeRaw(path, bytes));
        HistoryLayout read = custom();
        QVERIFY(!ReadHistoryLayoutFile(path, read));
        QVERIFY(read == HistoryLayout());
        // The window's close writes over it; what was there is kept beside first (an empty
        // file holds nothing to keep).
        QVERIFY(WriteHistoryLayoutFile(path, custom()));
        QCOMPARE(readAll(path), customBytes);
        const QString kept = path + QStringLiteral(".damaged");
        QCOMPARE(QFile::exists(kept), !bytes.isEmpty());
        if (!bytes.isEmpty())
            QCOMPARE(readAll(kept), bytes);
        // A file that reads is written over without a copy: the one kept stays as it was.
        QVERIFY(WriteHistoryLayoutFile(path, HistoryLayout()));
        QCOMPARE(readAll(kept), bytes);
    }

    void missingFileGivesDefaults() {
        QTemporaryDir dir;
        HistoryLayout read = custom();
        QVERIFY(!ReadHistoryLayoutFile(dir.filePath("Rireki.ini"), read));
        QVERIFY(read == HistoryLayout());
    }

    void failedWriteKeepsTheOldFile() {
        QTemporaryDir dir;
        // A name so long that the temporary beside it cannot be created, whoever runs the test.
        const QString path = dir.filePath(QString(250, u'r'));
        QVERIFY(writeRaw(path, customBytes));
        QVERIFY(!WriteHistoryLayoutFile(path, HistoryLayout()));
        QCOMPARE(readAll(path), customBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void readOnlyFolderKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Rireki.ini");
        QVERIFY(writeRaw(path, customBytes));
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (writeRaw(dir.filePath("probe"), "x")) {
            QFile::setPermissions(dir.path(), all);
            QSKIP("folder permissions do not bind this user; the long-name case covers this");
        }
        const bool written = WriteHistoryLayoutFile(path, HistoryLayout());
        QFile::setPermissions(dir.path(), all);
        QVERIFY(!written);
        QCOMPARE(readAll(path), customBytes);
    }
};

QTEST_GUILESS_MAIN(HistoryLayoutTest)
#include "tst_historylayout.moc"
