// The network window as the user works it: typed values are checked, written to Options.ini
// and followed by the program; the settings panel opens it.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "network/NcidClient.h"
#include "network/NcidServer.h"
#include "network/NetworkOptions.h"
#include "platform/desktop/Recorder.h"
#include "support/NcidPeer.h"
#include "support/TestDesktop.h"
#include "ui/network/NetworkWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

template <typename W> W *Find(QWidget *window, const char *name) {
    return window->findChild<W *>(QString::fromLatin1(name));
}

void Type(QLineEdit *box, const QString &text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// A click on the box itself (a check box in a form row is wider than its box and caption).
void Tick(QCheckBox *box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

} // namespace

class NetworkWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDesktop> desktop_;
private slots:
    void init() { desktop_ = std::make_unique<TestDesktop>(); }
    void cleanup() { desktop_.reset(); }

    void typedValuesAreCheckedBeforeWriting_data() {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("written");
        QTest::newRow("good") << "0.0.0.0:3333"
                              << "192.168.1.0/24\nfd00::/8\n10.1.2.3"
                              << "192.168.1.5:3333" << true;
        QTest::newRow("v6 listen") << "[::]:3333"
                                   << ""
                                   << "host.example:3333" << true;
        QTest::newRow("no port") << "0.0.0.0"
                                 << ""
                                 << "192.168.1.5:3333" << false;
        QTest::newRow("bad network") << "0.0.0.0:3333"
                                     << "192.168.1.0/99"
                                     << "a:1" << false;
        QTest::newRow("bad server") << "0.0.0.0:3333"
                                    << ""
                                    << "192.168.1.5:70000" << false;
    }
    void typedValuesAreCheckedBeforeWriting() {
        QFETCH(QString, listen);
        QFETCH(QString, allowed);
        QFETCH(QString, server);
        QFETCH(bool, written);
        NetworkWindow window;
        window.show();
        QSignalSpy applied(&window, &NetworkWindow::applied);
        Tick(Find<QCheckBox>(&window, "serverOnBox"));
        Type(Find<QLineEdit>(&window, "listenBox"), listen);
        QPlainTextEdit *allowBox = Find<QPlainTextEdit>(&window, "allowBox");
        allowBox->setFocus();
        // One entry a line, each ended with Return as the user types it.
        for (const QString &entry : allowed.split('\n')) {
            QTest::keyClicks(allowBox, entry);
            QTest::keyClick(allowBox, Qt::Key_Return);
        }
        Tick(Find<QCheckBox>(&window, "clientOnBox"));
        Type(Find<QLineEdit>(&window, "serverBox"), server);
        Tick(Find<QCheckBox>(&window, "notifyBox"));
        QTest::mouseClick(Find<QPushButton>(&window, "applyButton"), Qt::LeftButton);
        QCOMPARE(applied.size(), written ? 1 : 0);
        QCOMPARE(Find<QLabel>(&window, "problemLine")->text().isEmpty(), written);
        const NetworkOptions back = NetworkOptions::load();
        QCOMPARE(back.ServerOn, written);
        if (written) {
            QCOMPARE(back.ListenAddress, listen);
            QCOMPARE(back.AllowList, allowed.split('\n', Qt::SkipEmptyParts));
            QCOMPARE(back.ServerAddress, server);
            QVERIFY(back.ClientOn && back.Notify);
        }
        // The controls say what they are to a screen reader.
        for (QWidget *w : window.findChildren<QWidget *>()) {
            if (qobject_cast<QLineEdit *>(w) || qobject_cast<QCheckBox *>(w) ||
                qobject_cast<QPushButton *>(w))
                QVERIFY2(!w->accessibleName().isEmpty() && !w->toolTip().isEmpty(),
                         qPrintable(w->objectName()));
        }
    }

    // From the settings panel to a listening server, and a shown call notified.
    void applyStartsTheServer() {
        KolvaneApp app;
        app.Start();
        QVERIFY(!app.ncidServer().isListening());
        MainWindow *main = app.mainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        QPushButton *settings = main->findChild<QPushButton *>(QStringLiteral("networkButton"));
        QVERIFY(settings);
        // The panel's button asks the program for the window.
        emit settings->clicked();
        QTRY_VERIFY(app.networkWindow());
        NetworkWindow *window = app.networkWindow();
        const quint16 port = FreeLocalPort();
        Tick(Find<QCheckBox>(window, "serverOnBox"));
        Type(Find<QLineEdit>(window, "listenBox"), QStringLiteral("127.0.0.1:%1").arg(port));
        Type(Find<QLineEdit>(window, "lineBox"), QStringLiteral("ISDN"));
        Tick(Find<QCheckBox>(window, "notifyBox"));
        QTest::mouseClick(Find<QPushButton>(window, "applyButton"), Qt::LeftButton);
        QVERIFY(app.ncidServer().isListening());
        QCOMPARE(app.ncidServer().port(), port);
        QVERIFY(Find<QLabel>(window, "stateLine")->text().contains(QString::number(port)));

        LinePeer peer;
        QVERIFY(peer.connectTo(port));
        peer.send("HELLO: CMD: no_log\n");
        QTRY_COMPARE(app.ncidServer().clientCount(), 1);
        QCOMPARE(peer.readUntil("300 ").size(), 4);
        Recorder::take();
        app.callHandler().HandleBlock("\r\nRING ANALOG 0471234567\r\n");
        QVERIFY(peer.readLine().value_or("").contains("*LINE*ISDN*NMBR*0471234567*"));
        const QStringList requests = Recorder::take();
        QVERIFY2(requests.filter(QStringLiteral("notify 0471234567")).size() == 1,
                 qPrintable(requests.join('\n')));

        // Turned off again: the port is closed.
        Tick(Find<QCheckBox>(window, "serverOnBox"));
        QTest::mouseClick(Find<QPushButton>(window, "applyButton"), Qt::LeftButton);
        QVERIFY(!app.ncidServer().isListening());
        QVERIFY(peer.closedWithin(3000));
    }

    // A lost NCID server is said on the status line, and the waiting text returns with it.
    void lostServerIsToldOnTheStatusLine() {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        KolvaneApp app;
        app.SetNetworkForRun(QString(), QStringLiteral("127.0.0.1:%1").arg(server.serverPort()));
        app.Start();
        QLabel *status = app.mainWindow()->findChild<QLabel *>(QStringLiteral("Label5"));
        QVERIFY(status);
        QVERIFY(server.waitForNewConnection(5000));
        QTcpSocket *peer = server.nextPendingConnection();
        QTRY_VERIFY(app.ncidClient().isConnected());
        peer->abort();
        QTRY_COMPARE(status->text(), QStringLiteral("サーバーとの接続が切れました。"));
        QTRY_VERIFY_WITH_TIMEOUT(app.ncidClient().isConnected(), 5000);
        QTRY_VERIFY(status->text().startsWith(QStringLiteral("待機中．．．")));
    }
};

QTEST_MAIN(NetworkWindowTest)
#include "tst_networkwindow.moc"
