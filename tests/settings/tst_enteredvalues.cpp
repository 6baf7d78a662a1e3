// Values typed into the settings panel: the leading number of a text and the port box.
#include "settings/EnteredValues.h"
#include "settings/Settings.h"

#include <QtTest>

class EnteredValuesTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "20" << true << 20;
        QTest::newRow("blanks before") << "  \t45" << true << 45;
        QTest::newRow("text after") << "60秒" << true << 60;
        QTest::newRow("no number") << "abc" << true << 0;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("sign alone") << "-" << true << 0;
        QTest::newRow("point alone") << "." << true << 0;
        QTest::newRow("negative") << "-15" << true << -15;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("half down to even") << "12.5" << true << 12;
        QTest::newRow("half up to even") << "13.5" << true << 14;
        QTest::newRow("above half") << "12.51" << true << 13;
        QTest::newRow("leading point") << ".6" << true << 1;
        QTest::newRow("exponent") << "1.5e2" << true << 150;
        QTest::newRow("exponent without digits") << "3e" << true << 3;
        QTest::newRow("largest") << "32767" << true << 32767;
        QTest::newRow("smallest") << "-32768" << true << -32768;
        QTest::newRow("rounds into range") << "32767.4" << true << 32767;
        QTest::newRow("one beyond") << "32768" << false << 0;
        QTest::newRow("rounds beyond") << "32767.5" << false << 0;
        QTest::newRow("far beyond") << "70000" << false << 0;
        QTest::newRow("below") << "-32769" << false << 0;
        QTest::newRow("huge exponent") << "1e400" << false << 0;
        QTest::newRow("full-width digits are no number") << "６０" << true << 0;
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(bool, fits);
        QFETCH(int, value);
        const auto n = EnteredValues::LeadingNumber16(text);
        QCOMPARE(n.has_value(), fits);
        if (fits)
            QCOMPARE(int(*n), value);
    }

    void portText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        // Before: PortNumber 2, PortName "/dev/old".
        QTest::newRow("number clears the path") << "3" << 3 << "";
        QTest::newRow("no number") << "COM" << 0 << "";
        QTest::newRow("number beyond 16 bits changes nothing") << "99999" << 2 << "/dev/old";
        QTest::newRow("path") << "/dev/ttyUSB0" << 2 << "/dev/ttyUSB0";
        QTest::newRow("path with blanks around") << "  /dev/ttyACM1 " << 2 << "/dev/ttyACM1";
        QTest::newRow("path as the list shows it")
            << "/dev/ttyUSB1 (FT232R USB UART)" << 2 << "/dev/ttyUSB1";
        QTest::newRow("path with a blank in it")
            << "/dev/serial/by-id/usb-TA 1" << 2 << "/dev/serial/by-id/usb-TA 1";
    }

    void portText() {
        QFETCH(QString, text);
        QFETCH(int, number);
        QFETCH(QString, name);
        Settings s;
        s.PortNumber = 2;
        s.PortName = QStringLiteral("/dev/old");
        EnteredValues::ApplyPortText(s, text);
        QCOMPARE(int(s.PortNumber), number);
        QCOMPARE(s.PortName, name);
    }

    void shownPort() {
        Settings s;
        s.PortNumber = 4;
        QCOMPARE(EnteredValues::PortText(s), QStringLiteral("4"));
        s.PortName = QStringLiteral("/dev/ttyUSB0");
        QCOMPARE(EnteredValues::PortText(s), QStringLiteral("/dev/ttyUSB0"));
        // What the list shows reads back as the same device.
        const QString entry = EnteredValues::DeviceEntry(QStringLiteral("/dev/ttyUSB3"),
                                                         QStringLiteral("USB-Serial (TA)"));
        EnteredValues::ApplyPortText(s, entry);
        QCOMPARE(s.PortName, QStringLiteral("/dev/ttyUSB3"));
        QCOMPARE(EnteredValues::DeviceEntry(QStringLiteral("/dev/ttyS0"), QString()),
                 QStringLiteral("/dev/ttyS0"));
    }
};

QTEST_GUILESS_MAIN(EnteredValuesTest)
#include "tst_enteredvalues.moc"
