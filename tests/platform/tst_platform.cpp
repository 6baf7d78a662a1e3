// The platform pieces that talk to the desktop, used for real: the date and time settings
// tool, the ring player with files that cannot be played, and the notification area.
#include "platform/DiagnosticLog.h"
#include "platform/RegularFile.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/RingPlayer.h"
#include "platform/desktop/Shell.h"
#include "platform/desktop/TrayIcon.h"
#include "support/TestDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <sys/stat.h>

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

    // A ring file that is missing, not a regular file or not a sound gives silence, told with
    // its reason (a FIFO is never opened); stop is always safe.
    void unplayableRingIsSilent_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << QByteArray() << "ファイルがありません";
        QTest::newRow("not a sound")
            << QByteArray("this is text, not RIFF") << "WAVファイルではありません";
        QTest::newRow("empty") << QByteArray("") << "WAVファイルではありません";
        QTest::newRow("a FIFO") << QByteArray("fifo") << "普通のファイルではありません";
        QTest::newRow("WAV header, then junk")
            << QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24) << "";
    }

    void unplayableRingIsSilent() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ring.wav"));
        if (contents == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else if (!contents.isNull()) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        RingPlayer player;
        QSignalSpy told(&player, &RingPlayer::cannotPlay);
        player.stop();
        player.play(file);
        if (!why.isEmpty()) {
            QCOMPARE(told.size(), 1);
            QCOMPARE(told[0][0].toString(), file);
            QCOMPARE(told[0][1].toString(), why);
        }
        QTest::qWait(200);
        QVERIFY(!player.isPlaying());
        player.stop();
        QVERIFY(!player.isPlaying());
    }

    // Only a regular file is opened; a FIFO is refused without waiting for a writer, and so is
    // a log named as one.
    void onlyRegularFilesOpen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("regular");
        QTest::newRow("file") << "file" << true;
        QTest::newRow("link to a file") << "link" << true;
        QTest::newRow("FIFO") << "fifo" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("device") << "device" << false;
    }

    void onlyRegularFilesOpen() {
        QFETCH(QString, kind);
        QFETCH(bool, regular);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("x"));
        const QByteArray local = QFile::encodeName(path);
        if (kind == QLatin1String("file") || kind == QLatin1String("link")) {
            QFile f(dir.filePath(QStringLiteral("target")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("abc");
            f.close();
            QVERIFY(kind == QLatin1String("file") ? QFile::rename(f.fileName(), path)
                                                  : QFile::link(f.fileName(), path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(local.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == QLatin1String("device")) {
            path = QStringLiteral("/dev/null");
        }
        QCOMPARE(IsRegularFile(path), regular);
        QFile f;
        QCOMPARE(OpenRegularFile(f, path), regular);
        QCOMPARE(f.isOpen(), regular);
        if (regular)
            QCOMPARE(f.readAll(), QByteArray("abc"));
        if (kind != QLatin1String("missing") && kind != QLatin1String("folder")) {
            QCOMPARE(DiagnosticLog::open(path), regular);
            DiagnosticLog::close();
        }
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
