// The diagnostic log: off by default, and when on, each block the TA link reads is there with
// a timestamp, as text and hex.
#include "callerid/TaLink.h"
#include "platform/DiagnosticLog.h"
#include "settings/Settings.h"
#include "support/TaSim.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

class DiagnosticLogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { DiagnosticLog::close(); }

    void offByDefault() {
        QVERIFY(!DiagnosticLog::isOpen());
        DiagnosticLog::failure("nothing"); // harmless, and goes nowhere
        QVERIFY(DiagnosticLog::path().isEmpty());
    }

    void openFailsOnAMissingFolder() {
        QTemporaryDir dir;
        QVERIFY(!DiagnosticLog::open(dir.filePath("no/such/log")));
        QVERIFY(!DiagnosticLog::isOpen());
    }

    void linesCarryTimeAndKind_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("expected");
        QTest::newRow("recognised") << 0
                                    << "report recognised number \"0312345678\" in "
                                       "\"<CR><LF>RING ANALOG 0312345678<CR><LF>\"";
        QTest::newRow("ignored") << 1 << "report ignored \"OK<CR><LF>\"";
        QTest::newRow("failure") << 2 << "failure database locked: Kolvane.mdb";
        QTest::newRow("control") << 3 << "report ignored \"<00><1b>x<7f>\"";
    }
    void linesCarryTimeAndKind() {
        QFETCH(int, which);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("diag.log");
        QVERIFY(DiagnosticLog::open(path));
        switch (which) {
        case 0:
            DiagnosticLog::reportRecognised("\r\nRING ANALOG 0312345678\r\n", "0312345678");
            break;
        case 1:
            DiagnosticLog::reportIgnored("OK\r\n");
            break;
        case 2:
            DiagnosticLog::failure("database locked", "Kolvane.mdb");
            break;
        case 3:
            DiagnosticLog::reportIgnored(QString(QChar(0)) + "\x1bx\x7f");
            break;
        }
        DiagnosticLog::close();
        const QStringList lines = readAll(path).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith("note log opened"));
        const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (.*)$");
        const auto m = stamp.match(lines[1]);
        QVERIFY2(m.hasMatch(), qPrintable(lines[1]));
        QCOMPARE(m.captured(1), expected);
    }

    void appendsToAnExistingLog() {
        QTemporaryDir dir;
        const QString path = dir.filePath("diag.log");
        QVERIFY(DiagnosticLog::open(path));
        DiagnosticLog::note("first run");
        QVERIFY(DiagnosticLog::open(path));
        DiagnosticLog::note("second run");
        DiagnosticLog::close();
        const QString text = readAll(path);
        QVERIFY(text.contains("first run"));
        QVERIFY(text.contains("second run"));
    }

    // The real link on a simulated TA: the block read is logged as text and hex.
    void serialBlocksFromTheTaLink() {
        QTemporaryDir dir;
        const QString path = dir.filePath("diag.log");
        QVERIFY(DiagnosticLog::open(path));
        TaSim sim;
        QVERIFY(!sim.device().isEmpty());
        Settings s;
        s.PortName = sim.device();
        TaLink link;
        QVERIFY(link.open(s));
        QSignalSpy blocks(&link, &TaLink::blockRead);
        sim.send("0312345678\n");
        QTRY_VERIFY_WITH_TIMEOUT(!blocks.isEmpty(), 5000);
        link.close();
        DiagnosticLog::close();
        const QString text = readAll(path);
        QVERIFY2(text.contains("serial 26 bytes text \"<CR><LF>RING ANALOG 0312345678<CR><LF>\" "
                               "hex 0d 0a 52 49 4e 47"),
                 qPrintable(text));
    }
};

QTEST_MAIN(DiagnosticLogTest)
#include "tst_diagnosticlog.moc"
