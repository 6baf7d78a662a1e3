// The TA link's keeping without windows: set-up, the set-up asked for, the remembered device
// waited for, and the link brought back after the device went away; against tools/ta-sim.

#include "callerid/TaLink.h"
#include "callerid/TaLinkKeeper.h"
#include "runstate/RunState.h"
#include "settings/LastPort.h"
#include "settings/Program.h"
#include "support/TaSim.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Where the port of the settings leads.
enum class Device { Ta, Missing, NotATa };

} // namespace

Q_DECLARE_METATYPE(Device)

class TestTaLinkKeeper : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        Program::AppFolder = folder_->path();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        // The port is named through a link of the test's own, as a USB adapter's device is.
        port_ = folder_->filePath(QStringLiteral("ttyUSB0"));
        state_ = std::make_unique<RunState>();
        link_ = std::make_unique<TaLink>();
        keeper_ = std::make_unique<TaLinkKeeper>(*state_, *link_);
    }

    void cleanup() {
        keeper_.reset();
        link_.reset();
        state_.reset();
        sim_.reset();
        folder_.reset();
    }

    void setUp_data() {
        QTest::addColumn<Device>("device");
        QTest::addColumn<bool>("remembered");
        QTest::addColumn<bool>("fileFound");
        QTest::addColumn<bool>("firstActivation");
        // What comes of it.
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("linkUp");
        QTest::addColumn<int>("linkLost");
        QTest::addColumn<int>("setupNeeded");
        QTest::addColumn<bool>("reconnecting");

        QTest::newRow("TA there") << Device::Ta << false << true << true //
                                  << true << 1 << 0 << 0 << false;
        QTest::newRow("TA there, no settings file")
            << Device::Ta << false << false << true << true << 1 << 0 << 0 << false;
        QTest::newRow("port never opened is missing")
            << Device::Missing << false << true << true << false << 0 << 0 << 1 << false;
        QTest::newRow("remembered device missing at start is awaited")
            << Device::Missing << true << true << true << false << 0 << 1 << 0 << true;
        QTest::newRow("remembered device missing, no settings file")
            << Device::Missing << true << false << true << false << 0 << 0 << 1 << false;
        QTest::newRow("remembered device missing after the start")
            << Device::Missing << true << true << false << false << 0 << 1 << 0 << false;
        QTest::newRow("remembered device is no TA port")
            << Device::NotATa << true << true << true << false << 0 << 0 << 1 << false;
        QTest::newRow("bad port after the link was up")
            << Device::NotATa << false << true << false << false << 0 << 1 << 0 << false;
    }

    void setUp() {
        QFETCH(Device, device);
        QFETCH(bool, remembered);
        QFETCH(bool, fileFound);
        QFETCH(bool, firstActivation);
        if (device == Device::Ta)
            QVERIFY(QFile::link(sim_->device(), port_));
        else if (device == Device::NotATa)
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), port_));
        if (remembered)
            QVERIFY(LastPort::remember(port_));
        state_->changeSettings([this](Settings &s) { s.PortName = port_; });
        state_->setSettingsFileFound(fileFound ? QStringLiteral("Kolvane.ini") : QString());
        state_->setFirstActivation(firstActivation);
        QSignalSpy up(keeper_.get(), &TaLinkKeeper::linkUp);
        QSignalSpy lost(keeper_.get(), &TaLinkKeeper::linkLost);
        QSignalSpy setup(keeper_.get(), &TaLinkKeeper::setupNeeded);

        QTEST(keeper_->InitTerminalAdapter(), "up");
        QTEST(int(up.size()), "linkUp");
        QTEST(int(lost.size()), "linkLost");
        QTEST(int(setup.size()), "setupNeeded");
        QTEST(keeper_->reconnecting(), "reconnecting");
        QCOMPARE(link_->isOpen(), up.size() == 1);
        QCOMPARE(link_->linkUp(), up.size() == 1);
        // The activation is over once the link is up or its device is awaited.
        QCOMPARE(state_->firstActivation(), firstActivation && up.isEmpty() && lost.isEmpty());
        // A port that does not open forgets the settings file; one awaited does not.
        QCOMPARE(state_->settingsFileFound().isEmpty(),
                 !fileFound || (up.isEmpty() && !keeper_->reconnecting()));
        // The device that opened is remembered for the next start.
        QCOMPARE(LastPort::read() == port_, remembered || !up.isEmpty());
        if (!up.isEmpty())
            QTRY_COMPARE(sim_->received(), TaLink::SetupCommand);
    }

    // The device goes away while the link is up and comes back under the same name, at once or
    // after some failed tries: lost once, then up again by itself with a new set-up command.
    void deviceVanishesAndComesBack_data() {
        QTest::addColumn<int>("awayMs");
        QTest::newRow("back before the first try") << 0;
        QTest::newRow("back after a failed try") << TaLinkKeeper::ReconnectMs + 500;
    }

    void deviceVanishesAndComesBack() {
        QFETCH(int, awayMs);
        QVERIFY(QFile::link(sim_->device(), port_));
        state_->changeSettings([this](Settings &s) { s.PortName = port_; });
        state_->setSettingsFileFound(QStringLiteral("Kolvane.ini"));
        QVERIFY(keeper_->InitTerminalAdapter());
        QSignalSpy up(keeper_.get(), &TaLinkKeeper::linkUp);
        QSignalSpy lost(keeper_.get(), &TaLinkKeeper::linkLost);
        QSignalSpy setup(keeper_.get(), &TaLinkKeeper::setupNeeded);

        sim_->kill();
        QVERIFY(QFile::remove(port_));
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(keeper_->reconnecting());
        QVERIFY(!link_->isOpen());
        QTest::qWait(awayMs);
        QVERIFY(up.isEmpty());
        // Each failed try says the link is still down; none asks for the set-up.
        QCOMPARE(lost.size(), awayMs > TaLinkKeeper::ReconnectMs ? 2 : 1);

        sim_ = std::make_unique<TaSim>();
        QVERIFY(QFile::link(sim_->device(), port_));
        QTRY_COMPARE_WITH_TIMEOUT(up.size(), 1, 3 * TaLinkKeeper::ReconnectMs);
        QVERIFY(!keeper_->reconnecting());
        QVERIFY(link_->isOpen());
        QVERIFY(setup.isEmpty());
        QTRY_COMPARE(sim_->received(), TaLink::SetupCommand);
    }

    // The program ends while the device is awaited: no more tries.
    void stopEndsTheTries() {
        QVERIFY(LastPort::remember(port_));
        state_->changeSettings([this](Settings &s) { s.PortName = port_; });
        state_->setSettingsFileFound(QStringLiteral("Kolvane.ini"));
        QVERIFY(!keeper_->InitTerminalAdapter());
        QVERIFY(keeper_->reconnecting());
        keeper_->Stop();
        QVERIFY(!keeper_->reconnecting());
        QVERIFY(QFile::link(sim_->device(), port_));
        QTest::qWait(TaLinkKeeper::ReconnectMs + 500);
        QVERIFY(!link_->isOpen());
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<TaSim> sim_;
    QString port_;
    std::unique_ptr<RunState> state_;
    std::unique_ptr<TaLink> link_;
    std::unique_ptr<TaLinkKeeper> keeper_;
};

QTEST_GUILESS_MAIN(TestTaLinkKeeper)
#include "tst_talinkkeeper.moc"
