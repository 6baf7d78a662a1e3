// The compaction command of the real main window: a double-click on the title icon, the
// confirmation, the status line, the files left in the program's folder, and a call that the
// simulated TA reports while the copy is written.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "db/Compaction.h"
#include "db/Database.h"
#include "db/OpeningCheck.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/CallRows.h"
#include "support/PhonebookRows.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using db::Compaction;

Q_DECLARE_METATYPE(Compaction::Step)

namespace {

// Folds the log that the program's connections leave beside the file into the file itself,
// so the file's bytes are the whole database.
void foldLog(const QString &path) {
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "fold");
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        }
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fold"));
}
} // namespace

class CompactionCommandTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        settings_ = Settings();
        settings_.ShowDate = 0;
        settings_.PortName = sim_->device();
        {
            db::Database d(file("Kolvane.mdb"));
            QVERIFY(d.isOpen());
            for (int i = 0; i < 30; ++i)
                addNumber(d, addEntry(d, QStringLiteral("名前%1").arg(i)),
                          QStringLiteral("04712345%1").arg(i, 2, 10, QLatin1Char('0')));
        }
        foldLog(file("Kolvane.mdb"));
        QVERIFY(WriteSettingsFile(file("Kolvane.ini"), settings_));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        QTRY_VERIFY_WITH_TIMEOUT(!app_->state().firstActivation(), 5000);
    }

    void cleanup() {
        Compaction::failNextRunAtForTest(Compaction::Step::None);
        app_.reset();
        sim_.reset();
        desktop_.reset();
    }

    void confirmationAskedAsTheProgramAsks() {
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        doubleClick(0);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("Kolvaneの電話帳データベースを最適化します。"));
        QCOMPARE(asked[0].title, QStringLiteral("最適化の確認"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(asked[0].buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(asked[0].defaultButton, std::optional(Dialogs::Answer::Cancel));
        QVERIFY(asked[0].systemModal);
    }

    // Only the icon compacts; the logo beside it just drags.
    void logoDoesNotCompact() {
        doubleClick(1);
        QVERIFY(Dialogs::takeAsked().isEmpty());
        QVERIFY(!app_->state().compactionBusy());
    }

    void cancelLeavesEveryFile() {
        const QMap<QString, QByteArray> before = folder();
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        doubleClick(0);
        QTest::qWait(300);
        QVERIFY(!app_->state().compactionBusy());
        QCOMPARE(folder(), before);
    }

    // The real box: Enter presses its default button, Cancel.
    void defaultButtonLeavesEveryFile() {
        const QMap<QString, QByteArray> before = folder();
        bool pressed = false;
        QTimer::singleShot(300, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
            pressed = true;
        });
        doubleClick(0);
        QVERIFY(pressed);
        QTest::qWait(300);
        QVERIFY(!app_->state().compactionBusy());
        QCOMPARE(folder(), before);
    }

    void okCompactsAndKeepsTheBackup() {
        const QByteArray old = bytes("Kolvane.mdb");
        QSignalSpy starting(&app_->state(), &RunState::compactionStarting);
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        doubleClick(0);
        QVERIFY(app_->state().compactionBusy());
        QCOMPARE(starting.size(), 1);
        QCOMPARE(label5(), QStringLiteral("電話帳を最適化します。"));
        // A second double-click meanwhile does nothing.
        doubleClick(0);
        QCOMPARE(Dialogs::takeAsked().size(), 1);
        QVERIFY(finished.wait(20000));
        QVERIFY(!app_->state().compactionBusy());
        QCOMPARE(label5(), QStringLiteral("待機中．．．"));
        QCOMPARE(bytes("KolvaneOLD.mdb"), old);
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        QCOMPARE(numbersIn("Kolvane.mdb"), 30);
        // No message: it went well.
        QVERIFY(Dialogs::takeAsked().isEmpty());
        // Calls go on being recorded into the new file.
        QVERIFY(ring("0471234507"));
        QCOMPARE(historyIn("Kolvane.mdb"), 1);
    }

    // An open history window saves its layout, lets go of the file and closes; it stays closed.
    void openHistoryWindowIsClosed() {
        auto *historyButton = window_->findChild<QWidget *>(QStringLiteral("Picture4(6)"));
        QVERIFY(historyButton);
        QTest::mousePress(historyButton, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(historyButton, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(topLevel("Form2"));
        QVERIFY(topLevel("Form2")->isVisible());
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        doubleClick(0);
        QVERIFY(finished.wait(20000));
        QCOMPARE(Dialogs::takeAsked().size(), 1); // no failure: the file was let go
        QVERIFY(QFileInfo::exists(file("KolvaneOLD.mdb")));
        QVERIFY(QFileInfo::exists(file("Rireki.ini")));
        QTest::qWait(300);
        QVERIFY(!topLevel("Form2") || !topLevel("Form2")->isVisible());
    }

    void failureIsSaidAndTheFileStays_data() {
        QTest::addColumn<Compaction::Step>("step");
        QTest::newRow("copy fails") << Compaction::Step::WriteCopy;
        QTest::newRow("rename refused") << Compaction::Step::PutCopyInPlace;
    }
    void failureIsSaidAndTheFileStays() {
        QFETCH(Compaction::Step, step);
        const QByteArray before = bytes("Kolvane.mdb");
        Compaction::failNextRunAtForTest(step);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok); // the confirmation
        Dialogs::setNextAnswer(Dialogs::Answer::Ok); // the failure
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        doubleClick(0);
        QVERIFY(finished.wait(20000));
        QCOMPARE(Dialogs::takeAsked().size(), 2);
        QVERIFY(!app_->state().compactionBusy());
        QCOMPARE(label5(), QStringLiteral("待機中．．．"));
        QCOMPARE(bytes("Kolvane.mdb"), before);
        QVERIFY(!QFileInfo::exists(file("KolvaneNEW.mdb")));
        // The file is in use as before.
        QVERIFY(ring("0471234512"));
        QCOMPARE(label("Label7")->text(), QStringLiteral("名前12"));
        QCOMPARE(historyIn("Kolvane.mdb"), 1);
    }

    void failureMessage() {
        Compaction::failNextRunAtForTest(Compaction::Step::SetAsideOld);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        doubleClick(0);
        QVERIFY(finished.wait(20000));
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].icon, Dialogs::Icon::Exclamation);
        QCOMPARE(asked[1].buttons, Dialogs::Buttons::Ok);
        QVERIFY(asked[1].text.contains(
            QStringLiteral("「Kolvane.mdb」を「KolvaneOLD.mdb」として残せません")));
        QVERIFY(asked[1].text.contains(QStringLiteral("最適化する前のまま")));
    }

    // A call reported while the copy is written waits in the port and is shown and recorded
    // as soon as the compaction ends, not at the next call (whose read would hold both).
    void reportDuringCompactionIsRecordedWhenItEnds() {
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        // Another writer holds the file: the copy waits for it to finish.
        QSqlDatabase writer = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "writer");
        writer.setDatabaseName(file("Kolvane.mdb"));
        QVERIFY(writer.open());
        {
            QSqlQuery q(writer);
            QVERIFY(q.exec(QStringLiteral("BEGIN IMMEDIATE")));
            Dialogs::setNextAnswer(Dialogs::Answer::Ok);
            doubleClick(0);
            QVERIFY(app_->state().compactionBusy());
            sim_->send("0471234503\n");
            QTest::qWait(1000);
            QCOMPARE(handled.size(), 0);
            QCOMPARE(label5(), QStringLiteral("電話帳を最適化します。"));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
        }
        writer.close();
        writer = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        QVERIFY(finished.wait(20000));
        QVERIFY2(Dialogs::takeAsked().size() == 1, "no failure message");
        QVERIFY(handled.size() == 1 || handled.wait(5000));
        QCOMPARE(app_->state().call().Number, QStringLiteral("0471234503"));
        QCOMPARE(label("Label7")->text(), QStringLiteral("名前3"));
        QCOMPARE(historyIn("Kolvane.mdb"), 1);
        QVERIFY(QFileInfo::exists(file("KolvaneOLD.mdb")));
        // The next call is a call of its own.
        QVERIFY(ring("0471234504"));
        QCOMPARE(app_->state().call().Number, QStringLiteral("0471234504"));
        QCOMPARE(historyIn("Kolvane.mdb"), 2);
    }

    // Compacting at once after start: the run's first reading of a long history is still under
    // way, and stops. Nothing of the program holds the file when the copy is taken, so the
    // compaction goes through, with every call.
    void compactionRightAfterStart() {
        app_.reset();
        const int calls = 300000;
        QVERIFY(fillCalls(file("Kolvane.mdb"), calls));
        // Changed since this process last found it sound: the start reads it through.
        QVERIFY(changedElsewhere(file("Kolvane.mdb")));
        app_ = std::make_unique<KolvaneApp>();
        window_ = app_->mainWindow();
        window_->show();
        // The double-click comes as soon as the reading has the file open (a waiting test
        // would find it ended).
        QDeadlineTimer patience(10000);
        while (timesOpen(file("Kolvane.mdb")) == 0 && !patience.hasExpired())
            QCoreApplication::processEvents();
        QVERIFY(window_->findChild<db::OpeningCheck *>());
        QVERIFY(timesOpen(file("Kolvane.mdb")) > 0);
        int heldAtStart = -1;
        connect(&app_->state(), &RunState::compactionStarting, this,
                [&] { heldAtStart = timesOpen(file("Kolvane.mdb")); });
        QSignalSpy finished(&app_->state(), &RunState::compactionFinished);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok); // a failure, were there one
        doubleClick(0);
        QCOMPARE(heldAtStart, 0);
        QVERIFY(finished.wait(60000));
        QCOMPARE(Dialogs::takeAsked().size(), 1);
        QCOMPARE(label5(), QStringLiteral("待機中．．．"));
        QVERIFY(QFileInfo::exists(file("KolvaneOLD.mdb")));
        QCOMPARE(historyIn("Kolvane.mdb"), calls);
    }

private:
    // How many times this process has the file open.
    static int timesOpen(const QString &path) {
        const QString wanted = QFileInfo(path).canonicalFilePath();
        int n = 0;
        const QDir fds(QStringLiteral("/proc/self/fd"));
        for (const QString &fd :
             fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            n += QFileInfo(fds.filePath(fd)).symLinkTarget() == wanted;
        return n;
    }

    QString file(const char *name) const { return desktop_->file(QString::fromLatin1(name)); }
    QByteArray bytes(const char *name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QMap<QString, QByteArray> folder() const {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(desktop_->folder()).entryList(QDir::Files)) {
            QFile f(desktop_->file(name));
            if (f.open(QIODevice::ReadOnly))
                files.insert(name, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1));
        }
        return files;
    }

    static QWidget *topLevel(const char *name) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name))
                return w;
        return nullptr;
    }

    void doubleClick(int item) {
        QWidget *image = window_->findChild<QWidget *>(QStringLiteral("Image1(%1)").arg(item));
        QVERIFY(image);
        QTest::mouseDClick(image, Qt::LeftButton, {}, image->rect().center());
    }

    QLabel *label(const char *name) const {
        return window_->findChild<QLabel *>(QString::fromLatin1(name));
    }
    QString label5() const { return label("Label5")->text(); }

    bool ring(const QByteArray &field) {
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        sim_->send(field + "\n");
        return handled.wait(5000);
    }

    int countIn(const char *name, const QString &table) const {
        int n = -1;
        {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "count");
            d.setDatabaseName(file(name));
            if (d.open()) {
                QSqlQuery q(d);
                if (q.exec(QStringLiteral("SELECT count(*) FROM ") + table) && q.next())
                    n = q.value(0).toInt();
            }
            d.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("count"));
        return n;
    }
    int numbersIn(const char *name) const { return countIn(name, QStringLiteral("電話番号")); }
    int historyIn(const char *name) const { return countIn(name, QStringLiteral("着信履歴")); }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
    MainWindow *window_ = nullptr;
    Settings settings_;
};

QTEST_MAIN(CompactionCommandTest)
#include "tst_compactioncommand.moc"
