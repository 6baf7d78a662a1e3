// The platform pieces that talk to the desktop, used for real: the date and time settings
// tool, the ring player with files that cannot be played, and the notification area.
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/RingPlayer.h"
#include "platform/desktop/Shell.h"
#include "platform/desktop/TrayIcon.h"
#include "support/TestDesktop.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

// Makes an executable shell script `name` in dir that touches `marker` with its arguments.
void writeTool(const QString &dir, const QString &name, const QString &marker) {
    QFile f(dir + QLatin1Char('/') + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

class PathOverride {
public:
    explicit PathOverride(const QString &path) : old_(qgetenv("PATH")) {
        qputenv("PATH", path.toLocal8Bit());
    }
    ~PathOverride() { qputenv("PATH", old_); }

private:
    QByteArray old_;
};

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    // A real message box: Enter presses the default button, Escape the last one.
    void messageBoxKeys_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("answer");
        using D = Dialogs::Answer;
        using B = Dialogs::Buttons;
        QTest::newRow("enter, cancel the default")
            << int(B::OkCancel) << int(D::Cancel) << int(Qt::Key_Return) << int(D::Cancel);
        QTest::newRow("enter, ok the default")
            << int(B::OkCancel) << int(D::Ok) << int(Qt::Key_Return) << int(D::Ok);
        QTest::newRow("escape is cancel")
            << int(B::OkCancel) << int(D::Ok) << int(Qt::Key_Escape) << int(D::Cancel);
        QTest::newRow("escape is no")
            << int(B::YesNo) << int(D::Yes) << int(Qt::Key_Escape) << int(D::No);
        QTest::newRow("ok alone") << int(B::Ok) << int(D::Ok) << int(Qt::Key_Escape) << int(D::Ok);
    }
    void messageBoxKeys() {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, key);
        QFETCH(int, answer);
        QString shownText;
        QTimer::singleShot(50, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownText = box->text();
            QTest::keyClick(box, Qt::Key(key));
        });
        Dialogs::MessageBox box;
        box.text = QStringLiteral("<b>すべての着信履歴を削除します。</b>");
        box.title = QStringLiteral("着信履歴削除の確認");
        box.icon = Dialogs::Icon::Question;
        box.buttons = Dialogs::Buttons(buttons);
        box.defaultButton = Dialogs::Answer(defaultButton);
        QCOMPARE(int(Dialogs::Show(nullptr, box)), answer);
        QCOMPARE(shownText, box.text);
    }

    // The seams answer in order and record what was asked, without showing anything.
    void seamsRecord() {
        TestDesktop desktop;
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        Dialogs::MessageBox box{QStringLiteral("a"),     QStringLiteral("t"),
                                Dialogs::Icon::Stop,     Dialogs::Buttons::OkCancel,
                                Dialogs::Answer::Cancel, true};
        QCOMPARE(Dialogs::Show(nullptr, box), Dialogs::Answer::Ok);
        box.text = QStringLiteral("b");
        QCOMPARE(Dialogs::Show(nullptr, box), Dialogs::Answer::Cancel);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked.at(1).text, QStringLiteral("b"));
        QCOMPARE(asked.at(0).icon, Dialogs::Icon::Stop);
        QVERIFY(asked.at(0).systemModal);
        QVERIFY(Dialogs::takeAsked().isEmpty());

        FileChooser::setNextFileName(QStringLiteral("/x/ring.wav"));
        FileChooser::setNextFileName(QString());
        QCOMPARE(FileChooser::OpenFileWithPreview(nullptr, QStringLiteral("WAVEファイル(*.wav)")),
                 QStringLiteral("/x/ring.wav"));
        QVERIFY(FileChooser::OpenFile(nullptr, QStringLiteral("x(*)")).isEmpty());
        const QList<FileChooser::Request> files = FileChooser::takeAsked();
        QCOMPARE(files.size(), 2);
        QVERIFY(files.at(0).preview);
        QCOMPARE(files.at(1).title, QStringLiteral("ファイルを開く"));
    }

    void dateTimeToolIsStartedWhenInstalled_data() {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("GNOME") << QStringList{"gnome-control-center"} << "gnome-control-center"
                               << "datetime";
        QTest::newRow("KDE") << QStringList{"systemsettings"} << "systemsettings"
                             << "kcm_clock";
        QTest::newRow("GNOME before KDE")
            << QStringList{"systemsettings", "gnome-control-center"} << "gnome-control-center"
            << "datetime";
        QTest::newRow("none") << QStringList{} << ""
                              << "";
    }

    void dateTimeToolIsStartedWhenInstalled() {
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        QFETCH(QString, arguments);
        QTemporaryDir bin;
        const QString marker = bin.filePath(QStringLiteral("started"));
        for (const QString &tool : installed)
            writeTool(bin.path(), tool, marker);
        PathOverride path(bin.path());
        const QStringList command = Shell::DateTimeSettingsCommand();
        QCOMPARE(command.isEmpty() ? QString() : QFileInfo(command.first()).fileName(), expected);
        QCOMPARE(Shell::OpenDateTimeSettings(), !expected.isEmpty());
        if (expected.isEmpty())
            return;
        const auto written = [&marker] {
            QFile f(marker);
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).trimmed()
                                               : QString();
        };
        QTRY_COMPARE(written(), arguments);
    }

    // A ring file that is missing or not a sound gives silence, and stop is always safe.
    void unplayableRingIsSilent_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a sound") << QByteArray("this is text, not RIFF");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("WAV header, then junk") << QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24);
    }

    void unplayableRingIsSilent() {
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ring.wav"));
        if (!contents.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        RingPlayer player;
        player.stop();
        player.play(file);
        QTest::qWait(200);
        QVERIFY(!player.isPlaying());
        player.stop();
        QVERIFY(!player.isPlaying());
    }

    void recorderTakesRequestsInOrder() {
        TestDesktop desktop;
        RingPlayer player;
        TrayIcon tray{QIcon()};
        player.play(QStringLiteral("/x/a.wav"));
        tray.add(QStringLiteral("Kolvane"));
        tray.remove();
        tray.remove(); // nothing shown: nothing asked
        player.stop();
        QCOMPARE(Recorder::take(), (QStringList{"ring play /x/a.wav", "tray add Kolvane",
                                                "tray remove", "ring stop"}));
        QCOMPARE(Recorder::take(), QStringList{});
    }

    // Where the desktop has a notification area, the icon really appears and goes.
    void realTrayIcon() {
        if (!QSystemTrayIcon::isSystemTrayAvailable())
            QSKIP("this desktop has no notification area");
        TrayIcon tray{QIcon()};
        tray.add(QStringLiteral("コルベーン！"));
        auto *icon = tray.findChild<QSystemTrayIcon *>();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QStringLiteral("コルベーン！"));
        tray.remove();
        QVERIFY(!icon->isVisible());
    }

    void onlyTheLeftButtonBringsTheWindowBack() {
        TestDesktop desktop;
        TrayIcon tray{QIcon()};
        QSignalSpy clicked(&tray, &TrayIcon::leftButtonDown);
        tray.add(QStringLiteral("Kolvane"));
        for (auto reason : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick,
                            QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown})
            tray.activate(reason);
        QCOMPARE(clicked.size(), 0);
        tray.activate(QSystemTrayIcon::Trigger);
        QCOMPARE(clicked.size(), 1);
    }
};

QTEST_MAIN(PlatformTest)
#include "tst_platform.moc"
