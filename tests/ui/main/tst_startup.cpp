// Start-up of the real main window in a temporary program folder: which settings are in force,
// where the window stands, and what the close writes.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "callerid/TaLink.h"
#include "db/Database.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/main/MainWindow.h"
#include "ui/phonebook/PhonebookWindow.h"

#include <QFile>
#include <QLabel>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
    }

    void noSettingsFileGivesDefaultsAndSetupPanel() {
        KolvaneApp app;
        MainWindow &w = *app.mainWindow();
        QCOMPARE(app.state().settings().ShowDate, qint16(1));
        QCOMPARE(app.state().settings().TrayDelaySeconds, qint16(20));
        QVERIFY(app.state().settingsFileFound().isEmpty());
        // Centred for a width of 4335 and the main panel's height plus 200 (halves to even).
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(app.state().settings().MainLeft,
                 qint32(std::nearbyint((screen.width() * 15 - 4335) / 2.0)));
        QCOMPARE(app.state().settings().MainTop,
                 qint32(std::nearbyint((screen.height() * 15 - 2940 - 200) / 2.0)));
        QCOMPARE(w.width(), 289);
        w.show();
        QTRY_VERIFY(app.mainWindow()->setupPanelOpen());
        QVERIFY(app.state().firstActivation());
    }

    void goodFileIsInForceAndCloseWritesPosition() {
        Settings s;
        s.ShowDate = 0;
        s.RingFile = QStringLiteral("/tmp/ring, loud.wav");
        s.MainLeft = 150;
        s.MainTop = 300;
        s.PortNumber = 3;
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        {
            KolvaneApp app;
            MainWindow &w = *app.mainWindow();
            QCOMPARE(app.state().settings().RingFile, s.RingFile);
            QCOMPARE(app.state().settings().PortNumber, qint16(3));
            QCOMPARE(w.pos(), QPoint(10, 20));
            w.show();
            w.move(40, 60);
            w.close();
        }
        Settings back;
        QVERIFY(ReadSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), back));
        QCOMPARE(back.MainLeft, qint32(600));
        QCOMPARE(back.MainTop, qint32(900));
        QCOMPARE(back.RingFile, s.RingFile);
        QCOMPARE(back.ShowDate, qint16(0));
    }

    // A position far off every screen (a screen unplugged, a hand-edited file) opens the
    // window on the primary screen; the position read stays in the settings until it moves.
    void offScreenPositionComesBack() {
        Settings s;
        s.MainLeft = 30000;
        s.MainTop = 20000;
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        KolvaneApp app;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(
            screen.contains(QRect(app.mainWindow()->pos(), QSize(40, 40))),
            qPrintable(
                QStringLiteral("at %1, %2").arg(app.mainWindow()->x()).arg(app.mainWindow()->y())));
        QCOMPARE(app.state().settings().MainLeft, qint32(30000));
    }

    // One typo loses no call: the defaults apply except where the TA is, the link opens with
    // it (no set-up panel), the user is told beside the running window, and the file is kept
    // beside before the close writes over it.
    void typoKeepsTheLinkAndTheFile_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("line 6 on") << 5 << QByteArray("on\r");
        QTest::newRow("line 1 bad number") << 0 << QByteArray(" 1x \r");
        QTest::newRow("line 5 unterminated quote") << 4 << QByteArray("\"/x/ring.wav\r");
        QTest::newRow("a NUL byte on line 8") << 7 << QByteArray(" 6\0 \r", 5);
    }
    void typoKeepsTheLinkAndTheFile() {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        TaSim sim;
        Settings s;
        s.PortName = sim.device();
        s.PortSettings = QStringLiteral("4800,e,7,1");
        s.RefDatabasePath = QStringLiteral("/home/u/電話帳.mdb");
        QList<QByteArray> lines = FormatSettingsFile(s).split('\n');
        lines[line] = text;
        const QByteArray bytes = lines.join('\n');
        const QString path = Program::filePath(QStringLiteral("Kolvane.ini"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        {
            KolvaneApp app;
            QCOMPARE(app.state().settings().PortName, s.PortName);
            QCOMPARE(app.state().settings().PortSettings, s.PortSettings);
            QVERIFY(app.state().settings().RefDatabasePath.isEmpty());
            MainWindow &w = *app.mainWindow();
            w.show();
            QTRY_VERIFY(!app.state().firstActivation());
            QVERIFY(app.link().isOpen());
            QVERIFY(!w.setupPanelOpen());
            auto *notice = w.findChild<QLabel *>(QStringLiteral("SettingsNotice"));
            QVERIFY(notice);
            QVERIFY(notice->isVisible());
            QVERIFY(notice->text().contains(QStringLiteral("Kolvane.ini.damaged")));
            // Every button stays reachable: the notice lets presses through.
            QVERIFY(notice->testAttribute(Qt::WA_TransparentForMouseEvents));
            w.close();
        }
        QFile kept(path + QStringLiteral(".damaged"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
        Settings back;
        QVERIFY(ReadSettingsFile(path, back));
        QCOMPARE(back.PortName, s.PortName);
    }

    void damagedFileBehavesAsMissingButKeepsPortNumber() {
        Settings s;
        s.PortNumber = 4;
        QByteArray bytes = FormatSettingsFile(s);
        // Keep the first 17 lines only.
        QList<QByteArray> lines = bytes.split('\n');
        bytes = lines.mid(0, 17).join('\n') + '\n';
        QFile f(Program::filePath(QStringLiteral("Kolvane.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        KolvaneApp app;
        QCOMPARE(app.state().settings().PortNumber, qint16(4));
        QCOMPARE(app.state().settings().ShowDate, qint16(1));
    }

    // Calls a cut-short compaction left as KolvaneNEW.mdb come back as Kolvane.mdb, and the
    // status line says so; no empty file is made beside them.
    void startTakesBackTheCallsOfACompaction() {
        {
            db::Database d(desktop_->file(QStringLiteral("Kolvane.mdb")));
            QVERIFY(d.isOpen());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 電番) VALUES "
                                          "(7, '2026/01/02', '0312345678')")));
        }
        QVERIFY(db::CheckpointDatabase(desktop_->file(QStringLiteral("Kolvane.mdb"))));
        QVERIFY(QFile::rename(desktop_->file(QStringLiteral("Kolvane.mdb")),
                              desktop_->file(QStringLiteral("KolvaneNEW.mdb"))));
        KolvaneApp app;
        auto *status = app.mainWindow()->findChild<QLabel *>(QStringLiteral("Label5"));
        QVERIFY(status);
        QVERIFY2(status->toolTip().contains(QStringLiteral("KolvaneNEW.mdb")),
                 qPrintable(status->toolTip()));
        QVERIFY(!QFileInfo::exists(desktop_->file(QStringLiteral("KolvaneNEW.mdb"))));
        db::Database d(desktop_->file(QStringLiteral("Kolvane.mdb")));
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 電番 FROM 着信履歴 WHERE 履歴ID = 7")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("0312345678"));
    }

    // After the program ends, and after the history or phonebook window lets go of the file,
    // Kolvane.mdb alone holds every call: no log is left beside it.
    void closeLeavesOneFile_data() {
        QTest::addColumn<QString>("closing");
        QTest::newRow("the program") << "program";
        QTest::newRow("the history window") << "history";
        QTest::newRow("the phonebook window") << "phonebook";
    }
    void closeLeavesOneFile() {
        QFETCH(QString, closing);
        const QString mdb = desktop_->file(QStringLiteral("Kolvane.mdb"));
        {
            KolvaneApp app;
            app.callHandler().HandleBlock(QByteArray("\r\nRING ANALOG 0312345678\r\n"));
            QVERIFY(QFileInfo(mdb + QStringLiteral("-wal")).size() > 0);
            if (closing != QLatin1String("program")) {
                emit app.mainWindow()->commandRequested(closing == QLatin1String("history")
                                                            ? MainFaces::History
                                                            : MainFaces::Phonebook);
                QWidget *window = closing == QLatin1String("history")
                                      ? static_cast<QWidget *>(app.historyWindow())
                                      : static_cast<QWidget *>(app.phonebookWindow());
                QVERIFY(window);
                window->close();
                // The call path still holds the file: the log is folded in (empty), and goes
                // with the call path's connection at the program's end.
                QCOMPARE(QFileInfo(mdb + QStringLiteral("-wal")).size(), 0);
            }
            app.mainWindow()->close();
        }
        QVERIFY(!QFileInfo::exists(mdb + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(mdb + QStringLiteral("-shm")));
        // A copy of the one file holds the call.
        const QString copy = desktop_->file(QStringLiteral("copy.mdb"));
        QVERIFY(QFile::copy(mdb, copy));
        db::Database d(copy);
        QSqlQuery q(d.sqlDatabase());
        QVERIFY(q.exec(QStringLiteral("SELECT 電番 FROM 着信履歴")) && q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("0312345678"));
    }

private:
    std::unique_ptr<TestDesktop> desktop_;
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
