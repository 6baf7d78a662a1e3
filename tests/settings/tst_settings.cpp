#include "fuzz/SettingsRoundTrip.h"
#include "platform/AtomicFile.h"
#include "platform/LegacyText.h"
#include "settings/SettingsFile.h"
#include "support/FullDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Settings)

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

bool writeRaw(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

Settings sample() {
    Settings s;
    s.ShowDate = 0;
    s.AlwaysOnTop = 1;
    s.TrayMode = 1;
    s.TrayDelaySeconds = 600;
    s.RingFile = QStringLiteral("/home/u/a,b/ring.wav");
    s.RingOn = 1;
    s.PortNumber = 3;
    s.MainLeft = -120;
    s.MainTop = 4500;
    s.PhonebookLeft = 0;
    s.PhonebookTop = 70000;
    s.RefEnabled = true;
    s.RefDatabasePath = QStringLiteral("/data/顧客データ.mdb");
    s.RefTable = QStringLiteral("顧客");
    s.RefPhoneField = QStringLiteral("電話");
    s.RefAddressField = QStringLiteral("住所");
    s.RefNameField = QStringLiteral("氏名");
    s.RefZipField = QString();
    s.PortName = QStringLiteral("/dev/ttyUSB0");
    s.PortSettings = QStringLiteral("19200,n,8,1");
    s.PortHandshaking = 2;
    return s;
}

// The 18 lines as the Windows program wrote them: code page 932, CR LF, no lines 19-21.
const QByteArray kWindowsFile = QByteArray(" 1 \r\n"
                                           " 0 \r\n"
                                           " 0 \r\n"
                                           " 20 \r\n"
                                           "\"C:\\WINDOWS\\Media\\ring.wav\"\r\n"
                                           " 1 \r\n"
                                           " 2 \r\n"
                                           " 6000 \r\n"
                                           " 4000 \r\n"
                                           " 300 \r\n"
                                           " 400 \r\n"
                                           "#TRUE#\r\n"
                                           "\"C:\\\x8c\xda\x8b\x71\\\x8c\xda\x8b\x71.mdb\"\r\n"
                                           "\"\x8c\xda\x8b\x71\"\r\n"
                                           "\"\x93\x64\x98\x62\"\r\n"
                                           "\"\x8f\x5a\x8f\x8a\"\r\n"
                                           "\"\x8e\x81\x96\xbc\"\r\n"
                                           "\"\x97\x58\x95\xd6\"\r\n");

QList<QByteArray> windowsLines() {
    QList<QByteArray> lines = kWindowsFile.split('\n');
    lines.removeLast(); // after the last line end
    for (QByteArray &l : lines)
        l.chop(1); // the CR
    return lines;
}

QByteArray joinLines(const QList<QByteArray> &lines) {
    QByteArray out;
    for (const QByteArray &l : lines)
        out += l + "\r\n";
    return out;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void formatIsByteExact() {
        const QByteArray expected =
            QByteArray(" 0 \r\n"
                       " 1 \r\n"
                       " 1 \r\n"
                       " 600 \r\n"
                       "\"/home/u/a,b/ring.wav\"\r\n"
                       " 1 \r\n"
                       " 3 \r\n"
                       "-120 \r\n"
                       " 4500 \r\n"
                       " 0 \r\n"
                       " 70000 \r\n"
                       "#TRUE#\r\n"
                       "\"/data/\x8c\xda\x8b\x71\x83\x66\x81\x5b\x83\x5e.mdb\"\r\n"
                       "\"\x8c\xda\x8b\x71\"\r\n"
                       "\"\x93\x64\x98\x62\"\r\n"
                       "\"\x8f\x5a\x8f\x8a\"\r\n"
                       "\"\x8e\x81\x96\xbc\"\r\n"
                       "\"\"\r\n"
                       "\"/dev/ttyUSB0\"\r\n"
                       "\"19200,n,8,1\"\r\n"
                       " 2 \r\n");
        QCOMPARE(FormatSettingsFile(sample()), expected);

        Settings off;
        off.RefEnabled = false;
        QVERIFY(FormatSettingsFile(off).contains("\r\n#FALSE#\r\n"));
    }

    void characterOutsideCodePage932IsKeptInUtf8() {
        Settings s = sample();
        s.RefTable = QStringLiteral("𠮷野家😀");
        const QByteArray bytes = FormatSettingsFile(s);
        QVERIFY(bytes.contains(QStringLiteral("\"𠮷野家😀\"").toUtf8()));
        QVERIFY(bytes.contains(QStringLiteral("顧客データ").toUtf8())); // the whole file is UTF-8

        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(WriteSettingsFile(path, s));
        QCOMPARE(readAll(path), bytes);
        Settings back;
        QVERIFY(ReadSettingsFile(path, back));
        QCOMPARE(back, s);
    }

    void roundTrip_data() {
        QTest::addColumn<Settings>("settings");
        QTest::newRow("defaults") << Settings();
        QTest::newRow("sample") << sample();
        Settings s = sample();
        s.ShowDate = -32768;
        s.TrayDelaySeconds = 32767;
        s.MainLeft = std::numeric_limits<qint32>::min();
        s.MainTop = std::numeric_limits<qint32>::max();
        s.PhonebookLeft = -1;
        QTest::newRow("extremes") << s;
        s = Settings();
        s.RefEnabled = true; // with an empty RefDatabasePath
        QTest::newRow("ref on, no path") << s;
        s = sample();
        s.RingFile = QStringLiteral("  spaced, name  ");
        s.RefNameField = QStringLiteral("#TRUE#");
        s.PortName = QString();
        s.PortSettings = QString();
        QTest::newRow("awkward texts") << s;
        s = sample();
        s.RefZipField = QStringLiteral("〜wave dash"); // not round-tripped by code page 932
        QTest::newRow("wave dash") << s;
    }
    void roundTrip() {
        QFETCH(Settings, settings);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(WriteSettingsFile(path, settings));
        Settings back = sample();
        back.PortNumber = 99;
        QVERIFY(ReadSettingsFile(path, back));
        QCOMPARE(back, settings);
    }

    void textThatCannotBeStoredKeepsTheFileReadable() {
        Settings s = sample();
        s.RingFile = QStringLiteral("/a\"b,c\"/r\r\n.wav");
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(WriteSettingsFile(path, s));
        Settings back;
        QVERIFY(ReadSettingsFile(path, back));
        QCOMPARE(back.RingFile, QStringLiteral("/ab,c/r.wav"));
        back.RingFile = s.RingFile;
        QCOMPARE(back, s);
    }

    void windowsFileReadsUnchanged_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << kWindowsFile;
        QByteArray lf = kWindowsFile;
        lf.replace("\r\n", "\n");
        QTest::newRow("LF only") << lf;
        QByteArray noLastEnd = kWindowsFile;
        noLastEnd.chop(2);
        QTest::newRow("no final line end") << noLastEnd;
    }
    void windowsFileReadsUnchanged() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, bytes));
        Settings s = sample(); // lines 19-21 must not keep these
        QVERIFY(ReadSettingsFile(path, s));
        QCOMPARE(s.ShowDate, qint16(1));
        QCOMPARE(s.TrayDelaySeconds, qint16(20));
        QCOMPARE(s.RingFile, QStringLiteral("C:\\WINDOWS\\Media\\ring.wav"));
        QCOMPARE(s.RingOn, qint16(1));
        QCOMPARE(s.PortNumber, qint16(2));
        QCOMPARE(s.MainLeft, 6000);
        QCOMPARE(s.MainTop, 4000);
        QCOMPARE(s.PhonebookLeft, 300);
        QCOMPARE(s.PhonebookTop, 400);
        QCOMPARE(s.RefEnabled, true);
        QCOMPARE(s.RefDatabasePath, QStringLiteral("C:\\顧客\\顧客.mdb"));
        QCOMPARE(s.RefTable, QStringLiteral("顧客"));
        QCOMPARE(s.RefPhoneField, QStringLiteral("電話"));
        QCOMPARE(s.RefAddressField, QStringLiteral("住所"));
        QCOMPARE(s.RefNameField, QStringLiteral("氏名"));
        QCOMPARE(s.RefZipField, QStringLiteral("郵便"));
        QCOMPARE(s.PortName, QString());
        QCOMPARE(s.PortSettings, QStringLiteral("9600,n,8,1"));
        QCOMPARE(s.PortHandshaking, qint16(0));
    }

    void valueForms_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("field"); // what the setting reads as
        QTest::newRow("plain number") << 4 << QByteArray("45") << true << "45";
        QTest::newRow("spaced number") << 4 << QByteArray("   45   ") << true << "45";
        QTest::newRow("plus sign") << 4 << QByteArray("+45") << true << "45";
        QTest::newRow("decimal rounds half even") << 4 << QByteArray("44.5") << true << "44";
        QTest::newRow("empty number is 0") << 4 << QByteArray("") << true << "0";
        QTest::newRow("letters") << 4 << QByteArray("abc") << false << "";
        QTest::newRow("trailing junk") << 4 << QByteArray("45x") << false << "";
        QTest::newRow("16-bit max") << 4 << QByteArray("32767") << true << "32767";
        QTest::newRow("16-bit overflow") << 4 << QByteArray("32768") << false << "";
        QTest::newRow("16-bit underflow") << 4 << QByteArray("-32769") << false << "";
        QTest::newRow("32-bit in 32-bit")
            << 8 << QByteArray("-2147483648") << true << "-2147483648";
        QTest::newRow("32-bit overflow") << 8 << QByteArray("2147483648") << false << "";
        QTest::newRow("unquoted text") << 5 << QByteArray("  C:\\r.wav  ") << true << "C:\\r.wav";
        QTest::newRow("comma ends unquoted text") << 5 << QByteArray("C:\\a,b.wav") << false << "";
        QTest::newRow("unterminated quote") << 5 << QByteArray("\"C:\\r.wav") << false << "";
        QTest::newRow("after closing quote")
            << 5 << QByteArray("\"C:\\r.wav\" x") << true << "C:\\r.wav";
        QTest::newRow("false") << 12 << QByteArray("#FALSE#") << true << "0";
        QTest::newRow("truth as number") << 12 << QByteArray("-1") << true << "1";
        QTest::newRow("truth as word") << 12 << QByteArray("yes") << false << "";
    }
    void valueForms() {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(QString, field);
        QList<QByteArray> lines = windowsLines();
        lines[line - 1] = text;
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, joinLines(lines)));
        Settings s;
        QCOMPARE(ReadSettingsFile(path, s), ok);
        if (!ok)
            return;
        const QString got = line == 4   ? QString::number(s.TrayDelaySeconds)
                            : line == 8 ? QString::number(s.MainLeft)
                            : line == 5 ? s.RingFile
                                        : QString::number(int(s.RefEnabled));
        QCOMPARE(got, field);
    }

    void damagedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QList<QByteArray> lines = windowsLines();
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("17 lines") << joinLines(lines.mid(0, 17));
        QTest::newRow("17 lines, no line end") << joinLines(lines.mid(0, 17)).chopped(2);
        QList<QByteArray> extra = lines;
        extra << "\"/dev/ttyUSB0";
        QTest::newRow("broken line 19") << joinLines(extra);
        extra = lines;
        extra << "\"/dev/ttyUSB0\""
              << "\"9600,n,8,1\""
              << "many";
        QTest::newRow("bad line 21") << joinLines(extra);
    }
    void damagedFiles() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, bytes));
        Settings s;
        QVERIFY(!ReadSettingsFile(path, s));
    }

    void missingFile() {
        QTemporaryDir dir;
        Settings s = sample();
        QVERIFY(!ReadSettingsFile(dir.filePath("Kolvane.ini"), s));
        QCOMPARE(s, sample());
    }

    // The load's flow on a short file: the values read stay, then the defaults overwrite all
    // but PortNumber.
    void shortFileKeepsPortNumberThroughDefaults() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, joinLines(windowsLines().mid(0, 17))));
        Settings s;
        QVERIFY(!ReadSettingsFile(path, s));
        QCOMPARE(s.PortNumber, qint16(2));
        QCOMPARE(s.RefNameField, QStringLiteral("氏名"));
        ApplyDefaultSettings(s, 19200, 14400, 1500);
        QCOMPARE(s.PortNumber, qint16(2));
        QCOMPARE(s.RefNameField, QString());
        QCOMPARE(s.RingOn, qint16(0));
    }

    // A file that does not read gets the defaults, except where the TA is: in a file of the
    // 18 or 21 lines the program writes, each of lines 7 and 19-21 is its own value, taken when
    // it reads whatever the other lines hold; otherwise PortNumber when the reading reached it,
    // and lines 19-21 when the file still has the 21 values the program writes.
    void damagedFileKeepsWhereTheTaIs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QString>("portSettings");
        QTest::addColumn<int>("portHandshaking");
        QTest::addColumn<int>("portNumber");
        QList<QByteArray> lines = windowsLines();
        lines << "\"/dev/ttyUSB1\""
              << "\"19200,n,8,1\""
              << " 2 ";
        const auto row = [&lines](const char *name, int at, const QByteArray &line) {
            QList<QByteArray> l = lines;
            l[at] = line;
            return &(QTest::newRow(name) << joinLines(l));
        };
        *row("line 6 on", 5, "on") << "/dev/ttyUSB1"
                                   << "19200,n,8,1" << 2 << 2;
        *row("line 1 bad number", 0, " 1x ") << "/dev/ttyUSB1"
                                             << "19200,n,8,1" << 2 << 2;
        *row("line 8 bad", 7, " 6000.5.5 ") << "/dev/ttyUSB1"
                                            << "19200,n,8,1" << 2 << 2;
        *row("line 21 bad", 20, "many") << "/dev/ttyUSB1"
                                        << "19200,n,8,1" << 0 << 2;
        *row("line 7 bad", 6, "two") << "/dev/ttyUSB1"
                                     << "19200,n,8,1" << 2 << 0;
        *row("unterminated quote", 4, "\"C:\\ring.wav") << "/dev/ttyUSB1"
                                                        << "19200,n,8,1" << 2 << 2;
        *row("a NUL byte", 1, QByteArray(" 0\0", 3)) << "/dev/ttyUSB1"
                                                     << "19200,n,8,1" << 2 << 2;
        *row("a stray comma", 14, "\"a\",\"b\"") << "/dev/ttyUSB1"
                                                 << "19200,n,8,1" << 2 << 2;
        *row("line 19 broken", 18, "\"/dev/ttyUSB1") << ""
                                                     << "19200,n,8,1" << 2 << 2;
        QList<QByteArray> l = lines;
        l[18] = "/dev/ttyUSB1";
        l[5] = "on";
        QTest::newRow("line 19 unquoted") << joinLines(l) << "/dev/ttyUSB1"
                                          << "19200,n,8,1" << 2 << 2;
        l = windowsLines();
        l[5] = "on";
        QTest::newRow("18 lines, line 6 on") << joinLines(l) << ""
                                             << "9600,n,8,1" << 0 << 2;
        l = lines.mid(0, 20);
        l[5] = "on";
        QTest::newRow("no line 21: not as written") << joinLines(l) << ""
                                                    << "9600,n,8,1" << 0 << 0;
        l = lines;
        l.removeAt(3);
        QTest::newRow("a line lost: lines 19-21 not found") << joinLines(l) << ""
                                                            << "9600,n,8,1" << 0 << 0;
        l = lines;
        l.removeAt(3);
        l.insert(12, "\"\"");
        QTest::newRow("a line lost and one added before line 19") << joinLines(l) << "/dev/ttyUSB1"
                                                                  << "19200,n,8,1" << 2 << 6000;
        l = lines;
        l[5] = "on";
        l << "extra";
        QTest::newRow("22 values") << joinLines(l) << ""
                                   << "9600,n,8,1" << 0 << 0;
        QTest::newRow("empty") << QByteArray() << ""
                               << "9600,n,8,1" << 0 << 0;
    }
    void damagedFileKeepsWhereTheTaIs() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, portName);
        QFETCH(QString, portSettings);
        QFETCH(int, portHandshaking);
        QFETCH(int, portNumber);
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, bytes));
        Settings s = sample();
        s.PortNumber = 0;
        QCOMPARE(LoadSettingsFile(path, s, 19200, 14400, 1500), SettingsFileState::Damaged);
        Settings expected;
        expected.MainLeft = 7432;
        expected.MainTop = 6350;
        expected.PortNumber = qint16(portNumber);
        expected.PortName = portName;
        expected.PortSettings = portSettings;
        expected.PortHandshaking = qint16(portHandshaking);
        QCOMPARE(s, expected);
    }

    void loadStates() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        Settings s = sample();
        QCOMPARE(LoadSettingsFile(path, s, 19200, 14400, 1500), SettingsFileState::Missing);
        Settings expected;
        expected.PortNumber = 3;
        expected.MainLeft = 7432;
        expected.MainTop = 6350;
        QCOMPARE(s, expected);
        QVERIFY(WriteSettingsFile(path, sample()));
        QCOMPARE(LoadSettingsFile(path, s, 19200, 14400, 1500), SettingsFileState::Read);
        QCOMPARE(s, sample());
    }

    // The first write over a file that does not read keeps it beside as Kolvane.ini.damaged,
    // one copy, replaced by the next damaged file; a file that reads is never copied.
    void writeOverDamagedFileKeepsACopy() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        const QString copy = dir.filePath("Kolvane.ini.damaged");
        QList<QByteArray> lines = windowsLines();
        lines[5] = "on";
        const QByteArray damaged = joinLines(lines);
        QVERIFY(writeRaw(path, damaged));
        QVERIFY(WriteSettingsFile(path, sample()));
        QCOMPARE(readAll(copy), damaged);
        QCOMPARE(readAll(path), FormatSettingsFile(sample()));

        QVERIFY(WriteSettingsFile(path, Settings()));
        QCOMPARE(readAll(copy), damaged);

        lines[5] = "off";
        QVERIFY(writeRaw(path, joinLines(lines)));
        QVERIFY(WriteSettingsFile(path, sample()));
        QCOMPARE(readAll(copy), joinLines(lines));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"Kolvane.ini", "Kolvane.ini.damaged"}));
    }

    void emptyFileLeavesNoCopy() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(writeRaw(path, QByteArray()));
        QVERIFY(WriteSettingsFile(path, sample()));
        QVERIFY(!QFileInfo::exists(dir.filePath("Kolvane.ini.damaged")));
    }

    // When the damaged file cannot be kept, it is not written over either.
    void damagedFileThatCannotBeKeptIsNotOverwritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QList<QByteArray> lines = windowsLines();
        lines[5] = "on";
        QVERIFY(writeRaw(path, joinLines(lines)));
        InjectAtomicWriteError(AtomicWriteStep::Write, ENOSPC);
        QVERIFY(!WriteSettingsFile(path, sample()));
        QCOMPARE(readAll(path), joinLines(lines));
        QVERIFY(!QFileInfo::exists(dir.filePath("Kolvane.ini.damaged")));
    }

    void defaults() {
        Settings s = sample();
        ApplyDefaultSettings(s, 19200, 14400, 1500);
        Settings expected;
        expected.PortNumber = 3;
        expected.MainLeft = 7432; // 7432.5, rounded half to even as a whole-number assignment
        expected.MainTop = 6350;
        QCOMPARE(s, expected);
        QCOMPARE(s.ShowDate, qint16(1));
        QCOMPARE(s.TrayDelaySeconds, qint16(20));
        QCOMPARE(s.PortSettings, QStringLiteral("9600,n,8,1"));

        ApplyDefaultSettings(s, 16335, 12001, 1500); // 6000 and 5150.5
        QCOMPARE(s.MainLeft, 6000);
        QCOMPARE(s.MainTop, 5150);
        ApplyDefaultSettings(s, 16335, 12003, 1500); // 5151.5
        QCOMPARE(s.MainTop, 5152);
        ApplyDefaultSettings(s, 3000, 1000, 1500); // a screen smaller than the window
        QCOMPARE(s.MainLeft, -668);
        QCOMPARE(s.MainTop, -350);
    }

    void failedWriteKeepsTheOldFile() {
        QTemporaryDir dir;
        // A name so long that the temporary beside it cannot be created, whoever runs the test.
        const QString path = dir.filePath(QString(250, u'k'));
        const QByteArray old = FormatSettingsFile(sample());
        QVERIFY(writeRaw(path, old));
        QVERIFY(!WriteSettingsFile(path, Settings()));
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // On a full disk the write fails, says so, and the settings already on disk stay whole.
    void fullDiskKeepsTheOldFile() {
        FullDisk disk;
        SKIP_UNLESS_FULL_DISK(disk);
        const QString path = disk.filePath("Kolvane.ini");
        QVERIFY(WriteSettingsFile(path, sample()));
        const QByteArray old = readAll(path);
        QVERIFY(disk.fill());
        Settings changed = sample();
        changed.PortName = QStringLiteral("/dev/ttyACM0");
        QVERIFY(!WriteSettingsFile(path, changed));
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"Kolvane.ini", "filler"}));
    }

    void readOnlyFolderKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        const QByteArray old = FormatSettingsFile(sample());
        QVERIFY(writeRaw(path, old));
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (writeRaw(dir.filePath("probe"), "x")) {
            QFile::setPermissions(dir.path(), all);
            QSKIP("folder permissions do not bind this user; the long-name case covers this");
        }
        const bool written = WriteSettingsFile(path, Settings());
        QFile::setPermissions(dir.path(), all);
        QVERIFY(!written);
        QCOMPARE(readAll(path), old);
    }

    void legacyTextCoding() {
        QCOMPARE(EncodeLegacyText(QStringLiteral("abc 1,2\r\n")), QByteArray("abc 1,2\r\n"));
        QCOMPARE(EncodeLegacyText(QStringLiteral("顧客")), QByteArray("\x8c\xda\x8b\x71"));
        QCOMPARE(EncodeLegacyText(QStringLiteral("顧客𠮷")),
                 "\xef\xbb\xbf" + QStringLiteral("顧客𠮷").toUtf8());
        QCOMPARE(DecodeLegacyText(QByteArray("\x8c\xda\x8b\x71")), QStringLiteral("顧客"));
        QCOMPARE(DecodeLegacyText(QStringLiteral("顧客 😀").toUtf8()), QStringLiteral("顧客 😀"));
        QCOMPARE(DecodeLegacyText(QByteArray("\xef\xbb\xbfok")), QStringLiteral("ok"));
    }

    // Which reading a file gets: the UTF-8 mark decides; without it code page 932, as the
    // Windows program read it, unless only UTF-8 makes sense of the bytes.
    void legacyTextDecoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("katakana ﾃｩ, valid UTF-8 too") << QByteArray("\xc3\xa9") << "ﾃｩ";
        QTest::newRow("marked é") << QByteArray("\xef\xbb\xbf\xc3\xa9") << "é";
        QTest::newRow("code page 932 only") << QByteArray("\x8c\xda\x8b\x71") << "顧客";
        QTest::newRow("unmarked UTF-8, not code page 932")
            << QByteArray("caf\xc3\xa9 \xf0\x9f\x98\x80") << "café 😀";
        QTest::newRow("code page 932, never UTF-8") << QByteArray("\x83\x65\xe3\x81") << "テ\u7E3A";
        QTest::newRow("lead byte at the end: neither") << QByteArray("a\x81") << "a";
        QTest::newRow("a second mark is text")
            << QByteArray("\xef\xbb\xbf\xef\xbb\xbfx") << QChar(0xfeff) + QStringLiteral("x");
        QTest::newRow("marked, invalid UTF-8 after") << QByteArray("\xef\xbb\xbf"
                                                                   "a\xff")
                                                     << "a\ufffd";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void legacyTextDecoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString decoded = DecodeLegacyText(bytes);
        if (QTest::currentDataTag() == QByteArray("lead byte at the end: neither")) {
            QVERIFY(decoded.startsWith(text)); // what follows "a" is a replacement
            return;
        }
        QCOMPARE(decoded, text);
    }

    // A half-width katakana path whose code page 932 bytes are also valid UTF-8 ("ﾃｩ" is
    // C3 A9, "é" in UTF-8) keeps its meaning through a write and a read.
    void halfWidthKatakanaKeepsItsMeaning() {
        Settings s; // every other text plain ASCII
        s.RefDatabasePath = QStringLiteral("/data/ﾃｩ.mdb");
        const QByteArray bytes = FormatSettingsFile(s);
        QVERIFY(bytes.contains("\"/data/\xc3\xa9.mdb\""));
        QVERIFY(!bytes.startsWith("\xef\xbb\xbf"));
        QTemporaryDir dir;
        const QString path = dir.filePath("Kolvane.ini");
        QVERIFY(WriteSettingsFile(path, s));
        Settings back;
        QVERIFY(ReadSettingsFile(path, back));
        QCOMPARE(back.RefDatabasePath, QStringLiteral("/data/ﾃｩ.mdb"));
        QCOMPARE(back, s);
    }

    void textNeedingUtf8IsMarked() {
        Settings s = sample();
        s.RingFile = QStringLiteral("/home/u/café.wav");
        const QByteArray bytes = FormatSettingsFile(s);
        QVERIFY(bytes.startsWith("\xef\xbb\xbf 0 \r\n"));
        Settings back;
        QVERIFY(ReadSettingsBytes(bytes, back));
        QCOMPARE(back, s);
        QCOMPARE(FormatSettingsFile(back), bytes);
    }

    // The fuzz target's property, on the seed files and a few awkward ones.
    void roundTripProperty_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QDir seeds(
            QStringLiteral(KOLVANE_SOURCE_DIR "/tests/fuzz/corpus/settings_roundtrip"));
        const QStringList names = seeds.entryList(QDir::Files, QDir::Name);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QTest::newRow(qPrintable(QStringLiteral("seed ") + name))
                << readAll(seeds.filePath(name));
        QTest::newRow("Windows file") << kWindowsFile;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("quote inside an unquoted text")
            << joinLines(windowsLines().mid(0, 4) << "C:\\a\"b.wav");
        QTest::newRow("unmarked UTF-8 katakana path")
            << joinLines(windowsLines().mid(0, 12) << "\"/\xe3\x83\x86\xc3\xa9\"");
        QTest::newRow("code page 932 shown only by what is not read")
            << joinLines(windowsLines().mid(0, 12) << "\"/\xc3\xa9\" \x82\xa0");
        QTest::newRow("invalid bytes everywhere") << QByteArray("\x80\xff\xa0,\"\xfd\r\n\x81");
        QTest::newRow("mark, then junk") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf 1\r\n\xff");
    }
    void roundTripProperty() {
        QFETCH(QByteArray, bytes);
        const QString fault = settings_round_trip::fault(bytes);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
