// The phonebook window driven as a user drives it: presses on its picture buttons, clicks into
// its boxes, typed text and Enter; and registration of callers from the main window and the
// history through the program object.
#include "app/KolvaneApp.h"
#include "callerid/CallLookup.h"
#include "db/Database.h"
#include "exchange/VCard.h"
#include "platform/TerminationSignals.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/Shell.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/PhonebookRows.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/main/MainWindow.h"
#include "ui/phonebook/PhonebookWindow.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>
#include <csignal>
#include <memory>

namespace {

void addCall(const db::Database &d, int id, const QString &number, int caller,
             const QString &name = {}, const QString &memo = {}, const QString &date = {}) {
    db::RowSet t = d.openTable(QStringLiteral("着信履歴"));
    QVERIFY(t.addNew());
    t.setField(QStringLiteral("履歴ID"), id);
    t.setField(QStringLiteral("日時"), date.isEmpty() ? QStringLiteral("2024/01/02") : date);
    t.setField(QStringLiteral("時間"), QStringLiteral("10:%1:00").arg(id % 60, 2, 10, QChar('0')));
    t.setField(QStringLiteral("電番"), number);
    if (!name.isEmpty())
        t.setField(QStringLiteral("氏名"), name);
    if (!memo.isEmpty())
        t.setField(QStringLiteral("メモ"), memo);
    t.setField(QStringLiteral("着信者ID"), caller);
    QVERIFY(t.update());
}

void setIndex(const db::Database &d, int id, const QString &letter) {
    QSqlQuery q(d.sqlDatabase());
    q.prepare(QStringLiteral("UPDATE 住所録 SET 索引インデックス = :l WHERE ID = :id"));
    q.bindValue(QStringLiteral(":l"), letter);
    q.bindValue(QStringLiteral(":id"), id);
    QVERIFY(q.exec());
}

} // namespace

class PhonebookWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_.reset();
        desktop_ = std::make_unique<TestDesktop>();
        QVERIFY(desktop_->isValid());
        Shell::setMailResultForTest(true);
    }

    void cleanup() {
        window_.reset();
        app_.reset();
        state_.reset();
        // Every box a test caused was answered and checked by it.
        const bool noBoxLeft = Dialogs::takeAsked().isEmpty();
        desktop_.reset();
        QVERIFY(noBoxLeft);
    }

    // --- browsing ---

    void emptyPhonebook() {
        open();
        QVERIFY(!window_->openAtLastPending());
        QCOMPARE(label("Label3(0)"), QStringLiteral("0"));
        QCOMPARE(label("Label3(1)"), QStringLiteral("0"));
        QCOMPARE(label("Label3(2)"), QStringLiteral("／"));
        QCOMPARE(window_->shownEntryId(), 0);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(line(QStringLiteral("Text2(%1)").arg(i))->text(), QString());
            QCOMPARE(window_->numberId(i), std::nullopt);
        }
        // Calls of callers outside the phonebook (着信者ID 0) are not listed.
        QCOMPARE(grid("MSFlexGrid2")->model()->rowCount(), 0);
        QCOMPARE(grid("MSFlexGrid1")->model()->rowCount(), 0);
        QVERIFY(window_->findChild<QRadioButton *>("Option1(0)")->isChecked());
        // Nothing to type into until there is an entry.
        QVERIFY(line("Text1(1)")->isReadOnly());
        // Entering a number row with no entry shown creates nothing.
        clickInto(line("Text2(0)"));
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 0);
    }

    // A position saved for a screen that is gone opens on the screen there is.
    void offScreenPositionComesBack() {
        state_ = std::make_unique<RunState>();
        state_->changeSettings([](Settings &s) {
            s.PhonebookLeft = 30000;
            s.PhonebookTop = 20000;
        });
        open();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(QRect(window_->pos(), QSize(40, 40))));
    }

    // Moving on from an entry writes only what the user changed: text the boxes show in
    // another form (CR LF as LF in the address box) is not written back.
    void lookingAtAnEntryKeepsItsBytes_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("nameAfter");
        QTest::newRow("CR LF, only looked at") << "東京都\r\n港区"
                                               << ""
                                               << "前田";
        QTest::newRow("lone CR, only looked at") << "東京都\r港区"
                                                 << ""
                                                 << "前田";
        QTest::newRow("CR LF, name changed") << "東京都\r\n港区"
                                             << "様"
                                             << "前田様";
    }

    void lookingAtAnEntryKeepsItsBytes() {
        QFETCH(QString, address);
        QFETCH(QString, typedName);
        QFETCH(QString, nameAfter);
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("前田"), address);
            addEntry(d, QStringLiteral("後藤"));
        }
        open();
        press("Picture4(0)"); // first: the entry with the address
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("前田"));
        if (!typedName.isEmpty()) {
            line("Text1(1)")->setFocus();
            QTest::keyClick(line("Text1(1)"), Qt::Key_End);
            type(line("Text1(1)"), typedName);
        }
        press("Picture4(2)"); // next
        press("Picture4(0)"); // and back
        window_->close();
        QCOMPARE(value("SELECT 住所 FROM 住所録 ORDER BY ID LIMIT 1").toString(), address);
        QCOMPARE(value("SELECT 氏名 FROM 住所録 ORDER BY ID LIMIT 1").toString(), nameAfter);
    }

    void opensOnLastEntryWithNumbersAndCalls() {
        {
            db::Database d(dbPath());
            const int first = addEntry(d, QStringLiteral("青木"));
            const int last = addEntry(d, QStringLiteral("山田花子"), QStringLiteral("東京都港区"));
            addNumber(d, last, QStringLiteral("0311111111"), QStringLiteral("自宅"));
            addNumber(d, first, QStringLiteral("0999999999"));
            addNumber(d, last, QStringLiteral("09022222222"), QStringLiteral("携帯"));
            addNumber(d, last, QStringLiteral("0333333333"), QStringLiteral("Ｆａｘ"));
            addNumber(d, last, QStringLiteral("0344444444"), QStringLiteral("勤務先"));
            addCall(d, 1, QStringLiteral("0311111111"), last, {}, QStringLiteral("古い"),
                    QStringLiteral("2024/01/01"));
            addCall(d, 2, QStringLiteral("0999999999"), first);
            addCall(d, 3, QStringLiteral("0333333333"), last, {}, QStringLiteral("新しい"),
                    QStringLiteral("2024/03/04"));
            addCall(d, 4, QStringLiteral("0120000000"), 0);
        }
        open();
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("山田花子"));
        QCOMPARE(plain("Text1(2)")->toPlainText(), QStringLiteral("東京都港区"));
        QCOMPARE(label("Label3(0)"), QStringLiteral("2"));
        QCOMPARE(label("Label3(1)"), QStringLiteral("2"));
        // The first three numbers in TelID order.
        QCOMPARE(line("Text2(0)")->text(), QStringLiteral("0311111111"));
        QCOMPARE(line("Text2(1)")->text(), QStringLiteral("09022222222"));
        QCOMPARE(line("Text2(2)")->text(), QStringLiteral("0333333333"));
        QCOMPARE(combo("Combo1(1)")->currentText(), QStringLiteral("携帯"));
        QCOMPARE(combo("Combo1(2)")->currentText(), QStringLiteral("Ｆａｘ"));
        // Only this entry's calls, newest first, date above time.
        QAbstractItemModel *m = grid("MSFlexGrid2")->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("着信日時"));
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QStringLiteral("メモ"));
        QCOMPARE(m->index(0, 0).data().toString(),
                 QStringLiteral("2024/03/04") + QChar::LineSeparator + QStringLiteral("10:03:00"));
        QCOMPARE(m->index(0, 1).data().toString(), QStringLiteral("新しい"));
        QCOMPARE(m->index(1, 1).data().toString(), QStringLiteral("古い"));
        QVERIFY(grid("MSFlexGrid2")->rowHeight(0) >= 33);
        QCOMPARE(grid("MSFlexGrid1")->columnWidth(0), 173);
        QVERIFY(grid("MSFlexGrid1")->isColumnHidden(1));
        QCOMPARE(window_->size(), QSize(543, 487));
    }

    void indexButtons_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("shown"); // a letter shows its first entry
        QTest::newRow("all") << 0 << "*" << QStringList{"ア", "ヲ", "ン", "無"} << "無";
        QTest::newRow("ｱ") << 1 << "ｱ" << QStringList{"ア"} << "ア";
        QTest::newRow("ｦ") << 45 << "ｦ" << QStringList{"ヲ"} << "ヲ";
        QTest::newRow("ﾝ") << 46 << "ﾝ" << QStringList{"ン"} << "ン";
        QTest::newRow("no entries") << 2 << "ｲ" << QStringList{} << "無";
    }

    void indexButtons() {
        QFETCH(int, k);
        QFETCH(QString, label);
        QFETCH(QStringList, names);
        QFETCH(QString, shown);
        {
            db::Database d(dbPath());
            setIndex(d, addEntry(d, QStringLiteral("ア")), QStringLiteral("ｱ"));
            setIndex(d, addEntry(d, QStringLiteral("ヲ")), QStringLiteral("ｦ"));
            setIndex(d, addEntry(d, QStringLiteral("ン")), QStringLiteral("ﾝ"));
            addEntry(d, QStringLiteral("無"));
        }
        open();
        QRadioButton *option =
            window_->findChild<QRadioButton *>(QStringLiteral("Option1(%1)").arg(k));
        QVERIFY(option);
        if (k == 0) // start from a letter so the all-entries button has work to do
            QTest::mouseClick(window_->findChild<QRadioButton *>("Option1(5)"), Qt::LeftButton);
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("無"));
        QTest::mouseClick(option, Qt::LeftButton);
        QVERIFY(option->isChecked());
        QCOMPARE(window_->indexLetter(), label);
        QCOMPARE(listNames(), names);
        QCOMPARE(grid("MSFlexGrid1")->model()->columnCount(), k == 0 ? 2 : 3);
        QCOMPARE(line("Text1(1)")->text(), shown);
    }

    void indexButtonsInKanaTableLayout() {
        open();
        const auto at = [this](int k) {
            return window_->findChild<QRadioButton *>(QStringLiteral("Option1(%1)").arg(k))
                ->geometry();
        };
        QCOMPARE(window_->findChild<QRadioButton *>("Option1(45)")->text(), QStringLiteral("ｦ"));
        QCOMPARE(window_->findChild<QRadioButton *>("Option1(46)")->text(), QStringLiteral("ﾝ"));
        QCOMPARE(at(2).x(), at(1).x()); // ｲ under ｱ
        QVERIFY(at(2).y() > at(1).y());
        QVERIFY(at(6).x() > at(1).x()); // ｶ right of ｱ
        QCOMPARE(at(6).y(), at(1).y());
        QCOMPARE(at(37).x(), at(36).x()); // ﾕ under ﾔ
        QCOMPARE(at(45).x(), at(44).x()); // ｦ and ﾝ under ﾜ
        QCOMPARE(at(46).y(), at(3).y());
        QVERIFY(at(0).y() > at(5).y()); // "全登録リスト" below the table
    }

    void navigationPastBothEnds() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            addEntry(d, QStringLiteral("二"));
            addEntry(d, QStringLiteral("三"));
        }
        open();
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("三"));
        press("Picture4(2)"); // next: after the last
        QCOMPARE(label("Label3(0)"), QStringLiteral("0"));
        QCOMPARE(line("Text1(1)")->text(), QString());
        press("Picture4(2)"); // stays there
        press("Picture4(1)"); // back to the last
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("三"));
        press("Picture4(0)");
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("一"));
        QCOMPARE(label("Label3(0)"), QStringLiteral("1"));
        press("Picture4(1)"); // before the first
        press("Picture4(1)");
        QCOMPARE(label("Label3(0)"), QStringLiteral("0"));
        press("Picture4(2)"); // and back to the first
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("一"));
        press("Picture4(2)");
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("二"));
        press("Picture4(3)");
        QCOMPARE(label("Label3(0)"), QStringLiteral("3"));
        // A release outside the button does nothing.
        ImageButton *next = button("Picture4(2)");
        QTest::mousePress(next, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(next, Qt::LeftButton, {}, QPoint(34, 34));
        QCOMPARE(label("Label3(0)"), QStringLiteral("3"));
        QCOMPARE(next->shownFace(), 236);
    }

    // ◀ and ▶ step on from the entry shown, however it came to be shown: the opening, a
    // click on the list, an index letter.
    void stepsFromTheShownEntry_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("step"); // the navigation button pressed twice
        QTest::addColumn<QStringList>("names");
        QTest::newRow("opened, ◀") << ""
                                   << "Picture4(1)" << QStringList{"三", "二", "一"};
        QTest::newRow("opened, ▶") << ""
                                   << "Picture4(2)" << QStringList{"三", "", ""};
        QTest::newRow("list, ▶") << "list"
                                 << "Picture4(2)" << QStringList{"一", "二", "三"};
        QTest::newRow("letter, ▶") << "letter"
                                   << "Picture4(2)" << QStringList{"二", "三", ""};
        QTest::newRow("letter, ◀") << "letter"
                                   << "Picture4(1)" << QStringList{"二", "一", ""};
    }
    void stepsFromTheShownEntry() {
        QFETCH(QString, how);
        QFETCH(QString, step);
        QFETCH(QStringList, names);
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            setIndex(d, addEntry(d, QStringLiteral("二")), QStringLiteral("ﾆ"));
            addEntry(d, QStringLiteral("三"));
        }
        open();
        if (how == QLatin1String("list")) {
            QTableView *list = grid("MSFlexGrid1");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
        } else if (how == QLatin1String("letter")) {
            QTest::mouseClick(window_->findChild<QRadioButton *>("Option1(22)"), Qt::LeftButton);
        }
        QStringList seen{line("Text1(1)")->text()};
        for (int i = 0; i < 2; ++i) {
            press(step);
            seen << line("Text1(1)")->text();
        }
        QCOMPARE(seen, names);
    }

    void clickOnListLineShowsThatEntry() {
        int second = 0;
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            second = addEntry(d, QStringLiteral("二"));
            addNumber(d, second, QStringLiteral("0522222222"));
            addEntry(d, QStringLiteral("三"));
        }
        open();
        QTableView *list = grid("MSFlexGrid1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("二"));
        QCOMPARE(window_->shownEntryId(), second);
        QCOMPARE(line("Text2(0)")->text(), QStringLiteral("0522222222"));
        QCOMPARE(label("Label3(0)"), QStringLiteral("2"));
    }

    // The number lines' TelIDs go with the shown entry: its rows in TelID order, then none;
    // a line that does not exist has none.
    void numberIdsFollowShownEntry() {
        int first = 0;
        int second = 0;
        {
            db::Database d(dbPath());
            first = addEntry(d, QStringLiteral("一"));
            addNumber(d, first, QStringLiteral("0311111111"));
            second = addEntry(d, QStringLiteral("二"));
            addNumber(d, second, QStringLiteral("0322222222"));
            addNumber(d, second, QStringLiteral("0333333333"));
        }
        open();
        QCOMPARE(window_->shownEntryId(), second);
        QCOMPARE(shownNumberIds(), telIdsOf(second) << std::nullopt);
        press("Picture4(0)");
        QCOMPARE(window_->shownEntryId(), first);
        QCOMPARE(shownNumberIds(), telIdsOf(first) << std::nullopt << std::nullopt);
        QCOMPARE(window_->numberId(-1), std::nullopt);
        QCOMPARE(window_->numberId(PhonebookWindow::NumberLineCount), std::nullopt);
        press("Picture4(1)"); // before the first: no entry, no numbers
        QCOMPARE(window_->shownEntryId(), 0);
        QCOMPARE(shownNumberIds(), QList<std::optional<qint32>>(3, std::nullopt));
    }

    // --- editing ---

    void newEntryStoredByEnterInNameBox() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("既存"));
        }
        open();
        press("Picture7");
        QVERIFY(window_->newEntryPending());
        QCOMPARE(line("Text1(1)")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), line("Text1(1)"));
        type(line("Text1(1)"), QStringLiteral("新田一郎"));
        QTest::keyClick(line("Text1(1)"), Qt::Key_Return);
        QVERIFY(!window_->newEntryPending());
        QVERIFY(focusIs(combo("Combo2")));
        QCOMPARE(count("SELECT COUNT(*) FROM 住所録"), 2);
        QCOMPARE(value("SELECT 氏名 FROM 住所録 ORDER BY ID DESC").toString(),
                 QStringLiteral("新田一郎"));
        QCOMPARE(label("Label3(1)"), QStringLiteral("2"));
        QCOMPARE(label("Label3(0)"), QStringLiteral("2"));
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("新田一郎"));
        // The rest is filled as an edit of the stored row, written when the cursor leaves it.
        combo("Combo2")->lineEdit()->setFocus();
        type(combo("Combo2")->lineEdit(), QStringLiteral("ﾆ"));
        press("Picture4(0)");
        QCOMPARE(value("SELECT 索引インデックス FROM 住所録 ORDER BY ID DESC").toString(),
                 QStringLiteral("ﾆ"));
    }

    void enterMovesInFocusOrder() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("順番"));
        }
        open();
        clickInto(line("Text1(1)"));
        // Screen order, the birthday beside the postal code included; from the last box
        // (その他) Enter goes round to the name, not off into the lists.
        const QList<QWidget *> order{combo("Combo2"),    line("Text2(0)"),   combo("Combo1(0)"),
                                     line("Text2(1)"),   combo("Combo1(1)"), line("Text2(2)"),
                                     combo("Combo1(2)"), plain("Text1(2)"),  line("Text1(3)"),
                                     line("Text1(0)"),   line("Text1(5)"),   line("Text1(6)"),
                                     line("Text1(7)"),   line("Text1(1)")};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY2(focusIs(next), qPrintable(next->objectName()));
        }
        // What is typed as a birthday lands in the birthday.
        clickInto(line("Text1(3)"));
        QTest::keyClick(line("Text1(3)"), Qt::Key_Return);
        type(QApplication::focusWidget(), QStringLiteral("1970/01/02"));
        QCOMPARE(line("Text1(0)")->text(), QStringLiteral("1970/01/02"));
        QCOMPARE(line("Text1(5)")->text(), QString());
        // Tab goes on from その他 to the entry list.
        clickInto(line("Text1(7)"));
        QTest::keyClick(line("Text1(7)"), Qt::Key_Tab);
        QVERIFY(focusIs(grid("MSFlexGrid1")));
        // Enter never breaks a line in the address box.
        clickInto(plain("Text1(2)"));
        type(QApplication::focusWidget(), QStringLiteral("港区"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(plain("Text1(2)")->toPlainText(), QStringLiteral("港区"));
        QVERIFY(focusIs(line("Text1(3)")));
    }

    void inputMethodPerBox_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("on");
        QTest::newRow("name") << "Text1(1)" << true;
        QTest::newRow("address") << "Text1(2)" << true;
        QTest::newRow("other") << "Text1(7)" << true;
        QTest::newRow("number") << "Text2(0)" << false;
        QTest::newRow("zip") << "Text1(3)" << false;
        QTest::newRow("mail 1") << "Text1(5)" << false;
        QTest::newRow("mail 2") << "Text1(6)" << false;
    }

    void inputMethodPerBox() {
        QFETCH(QString, name);
        QFETCH(bool, on);
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("入力"));
        }
        open();
        QWidget *box = window_->findChild<QWidget *>(name);
        QVERIFY(box);
        QCOMPARE(box->testAttribute(Qt::WA_InputMethodEnabled), on);
        QCOMPARE(bool(box->inputMethodHints() & Qt::ImhPreferLatin), !on);
    }

    void numberRowCreatedOnceAndWrittenOnLeave() {
        int id = 0;
        {
            db::Database d(dbPath());
            id = addEntry(d, QStringLiteral("番号"));
            addNumber(d, id, QStringLiteral("0311112222"));
        }
        open();
        clickInto(line("Text2(1)"));
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 2);
        const std::optional<qint32> telId = window_->numberId(1);
        QVERIFY(telId);
        QCOMPARE(window_->selectedNumberLine(), 1);
        clickInto(line("Text1(3)")); // left without typing
        clickInto(line("Text2(1)")); // entered again
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 2);
        type(line("Text2(1)"), QStringLiteral("09012345678"));
        QTest::keyClick(line("Text2(1)"), Qt::Key_Return);
        QVERIFY(focusIs(combo("Combo1(1)")));
        QCOMPARE(value(QStringLiteral("SELECT 電番 FROM 電話番号 WHERE TelID = %1").arg(*telId))
                     .toString(),
                 QStringLiteral("09012345678"));
        QCOMPARE(value(QStringLiteral("SELECT IDsub FROM 電話番号 WHERE TelID = %1").arg(*telId))
                     .toInt(),
                 id);
        type(combo("Combo1(1)")->lineEdit(), QStringLiteral("携帯"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(value(QStringLiteral("SELECT 摘要 FROM 電話番号 WHERE TelID = %1").arg(*telId))
                     .toString(),
                 QStringLiteral("携帯"));
    }

    void clearingNumberBoxKeepsStoredValue() {
        {
            db::Database d(dbPath());
            addNumber(d, addEntry(d, QStringLiteral("消さない")), QStringLiteral("0311112222"));
        }
        open();
        clickInto(line("Text2(0)"));
        line("Text2(0)")->selectAll();
        QTest::keyClick(line("Text2(0)"), Qt::Key_Delete);
        QCOMPARE(line("Text2(0)")->text(), QString());
        QTest::keyClick(line("Text2(0)"), Qt::Key_Return);
        QCOMPARE(value("SELECT 電番 FROM 電話番号").toString(), QStringLiteral("0311112222"));
        press("Picture4(0)");
        QCOMPARE(line("Text2(0)")->text(), QStringLiteral("0311112222"));
    }

    void deleteNumberZeroOfTwo() {
        {
            db::Database d(dbPath());
            const int id = addEntry(d, QStringLiteral("二つ"));
            addNumber(d, id, QStringLiteral("0311111111"));
            addNumber(d, id, QStringLiteral("0322222222"), QStringLiteral("携帯"));
        }
        open();
        clickInto(line("Text2(1)"));
        clickInto(line("Text2(0)"));
        QCOMPARE(window_->selectedNumberLine(), 0);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        press("Picture6(3)");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("0311111111を削除します。"));
        QCOMPARE(asked[0].title, QStringLiteral("削除の確認"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(asked[0].buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(asked[0].defaultButton, std::optional(Dialogs::Answer::Cancel));
        QVERIFY(asked[0].systemModal);
        QCOMPARE(line("Text2(0)")->text(), QStringLiteral("0322222222"));
        QCOMPARE(combo("Combo1(0)")->currentText(), QStringLiteral("携帯"));
        QCOMPARE(line("Text2(1)")->text(), QString());
        QCOMPARE(window_->numberId(1), std::nullopt);
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 1);
        QCOMPARE(button("Picture6(3)")->shownFace(), 212);
    }

    void bothConfirmationsWithCancel() {
        {
            db::Database d(dbPath());
            addNumber(d, addEntry(d, QStringLiteral("残る")), QStringLiteral("0311111111"));
        }
        open();
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        press("Picture6(2)");
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        press("Picture6(3)");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].text, QStringLiteral("残るの全情報を削除します。"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Stop);
        QCOMPARE(asked[0].defaultButton, std::optional(Dialogs::Answer::Cancel));
        QCOMPARE(asked[1].text, QStringLiteral("0311111111を削除します。"));
        QCOMPARE(count("SELECT COUNT(*) FROM 住所録"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 1);
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("残る"));
    }

    void deleteEntryKeepsItsCalls() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("最初"));
            const int gone = addEntry(d, QStringLiteral("消える"));
            addNumber(d, gone, QStringLiteral("0311111111"));
            addCall(d, 1, QStringLiteral("0311111111"), gone, QStringLiteral("消える"));
        }
        open();
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        press("Picture6(2)");
        QCOMPARE(Dialogs::takeAsked().size(), 1);
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("最初"));
        QCOMPARE(label("Label3(1)"), QStringLiteral("1"));
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号"), 0);
        QCOMPARE(value("SELECT 氏名 FROM 着信履歴").toString(), QStringLiteral("消える"));
        // The deleted name leaves the list at once.
        QCOMPARE(listNames(), QStringList{"最初"});
    }

    // The entry of a caller registered without a name: stored as "No Name", shown as
    // "（名前なし）" (in the list, as the name box's hint, in the delete question); looking at it
    // changes nothing, and a name typed for it shows in the list as soon as the box is left.
    void namelessEntryShownInJapaneseAndRenamed() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            addEntry(d, QStringLiteral("No Name"));
            addEntry(d, QStringLiteral("三"));
        }
        open();
        press("Picture4(1)");
        QCOMPARE(line("Text1(1)")->text(), QString());
        QCOMPARE(line("Text1(1)")->placeholderText(), QStringLiteral("（名前なし）"));
        QCOMPARE(listNames(), (QStringList{"一", "（名前なし）", "三"}));
        Dialogs::setNextAnswer(Dialogs::Answer::Cancel);
        press("Picture6(2)");
        QCOMPARE(Dialogs::takeAsked().value(0).text,
                 QStringLiteral("（名前なし）の全情報を削除します。"));
        // Another field changed: the stored name stays.
        clickInto(line("Text1(7)"));
        type(line("Text1(7)"), QStringLiteral("備考"));
        press("Picture4(0)");
        QCOMPARE(value("SELECT 氏名 FROM 住所録 WHERE その他 = '備考'").toString(),
                 QStringLiteral("No Name"));
        press("Picture4(2)");
        clickInto(line("Text1(1)"));
        type(line("Text1(1)"), QStringLiteral("二郎"));
        QTest::keyClick(line("Text1(1)"), Qt::Key_Return);
        QCOMPARE(listNames(), (QStringList{"一", "二郎", "三"}));
        QCOMPARE(value("SELECT 氏名 FROM 住所録 WHERE その他 = '備考'").toString(),
                 QStringLiteral("二郎"));
        // The list marks the shown entry, and a click on it shows it.
        QCOMPARE(grid("MSFlexGrid1")->currentIndex().row(), 1);
        press("Picture4(3)");
        QTableView *list = grid("MSFlexGrid1");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("二郎"));
    }

    void fieldEditsWrittenOnMoveAndOnClose() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            addEntry(d, QStringLiteral("二"));
        }
        open();
        clickInto(line("Text1(7)"));
        type(line("Text1(7)"), QStringLiteral("メモ書き"));
        press("Picture4(0)");
        QCOMPARE(value("SELECT その他 FROM 住所録 WHERE 氏名 = '二'").toString(),
                 QStringLiteral("メモ書き"));
        clickInto(line("Text1(5)"));
        type(line("Text1(5)"), QStringLiteral("ichi@example.jp"));
        press("Picture6(0)"); // close
        QCOMPARE(value("SELECT Ｅメール1 FROM 住所録 WHERE 氏名 = '一'").toString(),
                 QStringLiteral("ichi@example.jp"));
    }

    void mailLinks() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("メール"));
        }
        open();
        QTest::mouseClick(labelWidget("Label6(0)"), Qt::LeftButton);
        QCOMPARE(Recorder::take(), QStringList{}); // no address: nothing
        line("Text1(6)")->setText(QStringLiteral("b@example.jp"));
        QTest::mouseClick(labelWidget("Label6(1)"), Qt::LeftButton);
        QCOMPARE(Recorder::take(), QStringList{"shell mailto:b@example.jp"});
        Shell::setMailResultForTest(false);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        QTest::mouseClick(labelWidget("Label6(1)"), Qt::LeftButton);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].icon, Dialogs::Icon::Stop);
        QCOMPARE(asked[0].text, QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n"
                                               "メッセージ作成画面の立ち上げは出来ない様です"));
        Recorder::take();
    }

    void placeStoredOnCloseAndCompactionCloses() {
        open();
        window_->move(150, 90);
        QSignalSpy unloaded(window_.get(), &PhonebookWindow::unloaded);
        state_->announceCompactionStarting();
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!window_->isVisible());
        QCOMPARE(state_->settings().PhonebookLeft, 150 * 15);
        QCOMPARE(state_->settings().PhonebookTop, 90 * 15);
        // Reopened where it was closed.
        window_.reset();
        open();
        QCOMPARE(window_->pos(), QPoint(150, 90));
    }

    void keepOnTopToggles() {
        open();
        press("Picture6(1)");
        QVERIFY(window_->keptOnTop());
        QVERIFY(window_->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(button("Picture6(1)")->shownFace(), 115);
        press("Picture6(1)");
        QCOMPARE(button("Picture6(1)")->shownFace(), 116);
    }

    // --- the program: opening, registration, closing ---

    // Opened from the main window and pressed at once, before the window was first
    // activated: the presses step from the last entry, which is shown from the start, and the
    // activation that follows does not move the window elsewhere.
    void stepsBeforeTheFirstActivation() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("一"));
            addEntry(d, QStringLiteral("二"));
            addEntry(d, QStringLiteral("三"));
        }
        startApp();
        pressOn(app_->mainWindow(), "Picture4(4)");
        PhonebookWindow *w = app_->phonebookWindow();
        QVERIFY(w);
        const auto shown = [w] { return w->findChild<QLineEdit *>("Text1(1)")->text(); };
        QStringList seen{shown()};
        for (const char *step : {"Picture4(1)", "Picture4(1)", "Picture4(2)"}) {
            pressOn(w, step);
            seen << shown();
        }
        QTRY_VERIFY(!w->openAtLastPending());
        QTest::qWait(50);
        seen << shown();
        QCOMPARE(seen, (QStringList{"三", "二", "一", "二", "二"}));
    }

    void phonebookButtonOpensOneWindow() {
        startApp();
        pressOn(app_->mainWindow(), "Picture4(4)");
        PhonebookWindow *w = app_->phonebookWindow();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        pressOn(app_->mainWindow(), "Picture4(4)");
        QCOMPARE(app_->phonebookWindow(), w);
        QCOMPARE(app_->mainWindow()->findChildren<PhonebookWindow *>().size(), 0);
    }

    void registerFromMainWindow() {
        startApp();
        {
            db::Database d(dbPath());
            addCall(d, 5, QStringLiteral("0612345678"), 0, QStringLiteral("大阪商店"),
                    QStringLiteral("見積もり"));
        }
        showCall(QStringLiteral("0612345678"), QStringLiteral("大阪商店"), 5);
        pressOn(app_->mainWindow(), "Picture4(9)");
        QVERIFY(Dialogs::takeAsked().isEmpty());
        PhonebookWindow *w = app_->phonebookWindow();
        QVERIFY(w);
        QTRY_VERIFY(!w->openAtLastPending());
        QCOMPARE(w->findChild<QLineEdit *>("Text1(1)")->text(), QStringLiteral("大阪商店"));
        QCOMPARE(w->findChild<QLineEdit *>("Text2(0)")->text(), QStringLiteral("0612345678"));
        QCOMPARE(w->findChild<QLineEdit *>("Text1(7)")->text(), QStringLiteral("見積もり"));
        QCOMPARE(button(app_->mainWindow(), "Picture4(9)")->shownFace(), 112);
        // The next call from this number shows the name.
        IncomingCall call;
        call.Number = QStringLiteral("0612345678");
        db::Database d(dbPath());
        LookUpOwnPhonebook(d, call);
        QCOMPARE(call.CallerName, QStringLiteral("大阪商店"));
    }

    // A memo typed in the memo panel for this call and not saved yet is the remark all the same.
    void registerFromMainWindowTakesTypedMemo() {
        startApp();
        {
            db::Database d(dbPath());
            addCall(d, 6, QStringLiteral("0612345678"), 0, {}, QStringLiteral("保存済み"));
        }
        showCall(QStringLiteral("0612345678"), QString(), 6);
        app_->mainWindow()->ShowMemoPanel();
        auto *memo = app_->mainWindow()->findChild<QPlainTextEdit *>("Text1");
        QTRY_VERIFY(memo->isVisible());
        QCOMPARE(memo->toPlainText(), QStringLiteral("保存済み"));
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_End);
        type(memo, QStringLiteral("、折り返し"));
        pressOn(app_->mainWindow(), "Picture4(9)");
        QCOMPARE(value("SELECT その他 FROM 住所録 ORDER BY ID DESC").toString(),
                 QStringLiteral("保存済み、折り返し"));
    }

    void registerWithheldFromMainWindow() {
        startApp();
        showCall(QStringLiteral("0612345678"), QString(), 1);
        // A withheld call leaves the button as the call before set it.
        app_->state().call().Number = QStringLiteral("ユーザ拒否");
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        pressOn(app_->mainWindow(), "Picture4(9)");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("電話番号が非通知の場合電話帳に登録できません。"));
        QCOMPARE(asked[0].title, QStringLiteral("電話番号がありません。"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(asked[0].buttons, Dialogs::Buttons::Ok);
        QVERIFY(asked[0].systemModal);
        QCOMPARE(count("SELECT COUNT(*) FROM 住所録"), 0);
        QVERIFY(!app_->phonebookWindow());
    }

    // The register button from the main window, pressed twice as an impatient user does: a new
    // caller is filed once and the button turns off; a number already filed (as typed with
    // hyphens) is refused with the history window's message; a file held by another program is
    // said with the reason and opens nothing.
    void registerFromMainWindowOnce_data() {
        QTest::addColumn<QString>("filed");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("buttonAfter");
        QTest::newRow("new caller") << "" << false << "" << 1 << false;
        QTest::newRow("already filed")
            << "06-1234-5678" << false << "既に電話番号が電話帳に登録されています。" << 1 << false;
        QTest::newRow("file held elsewhere")
            << "" << true << "電話帳に登録できませんでした（使用中です）。" << 0 << true;
    }

    void registerFromMainWindowOnce() {
        QFETCH(QString, filed);
        QFETCH(bool, held);
        QFETCH(QString, message);
        QFETCH(int, entries);
        QFETCH(bool, buttonAfter);
        startApp();
        {
            db::Database d(dbPath());
            addCall(d, 5, QStringLiteral("0612345678"), 0, QStringLiteral("大阪商店"));
            if (!filed.isEmpty())
                addNumber(d, addEntry(d, QStringLiteral("既存")), filed);
        }
        showCall(QStringLiteral("0612345678"), QStringLiteral("大阪商店"), 5);
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
        {
            other.setDatabaseName(dbPath());
            QVERIFY(other.open());
            QSqlQuery q(other);
            if (held)
                QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            if (!message.isEmpty())
                Dialogs::setNextAnswer(Dialogs::Answer::Ok);
            pressOn(app_->mainWindow(), "Picture4(9)");
            if (held)
                QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
        }
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(asked[0].text, message);
        QCOMPARE(bool(app_->phonebookWindow()), message.isEmpty());
        ImageButton *b = button(app_->mainWindow(), "Picture4(9)");
        QCOMPARE(b->isEnabled(), buttonAfter);
        // A second press files nothing more (once the file is free, the held case files it).
        pressOn(app_->mainWindow(), "Picture4(9)");
        QCOMPARE(Dialogs::takeAsked().size(), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号 WHERE 電番キー = '0612345678'"),
                 buttonAfter ? 1 : entries);
    }

    void registerFromHistory_data() {
        QTest::addColumn<int>("historyId");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("entries");
        QTest::newRow("withheld") << 1 << "電話番号が非通知の場合電話帳に登録できません。" << 2;
        QTest::newRow("duplicate") << 2 << "既に電話番号が電話帳に登録されています。" << 2;
        QTest::newRow("with memo") << 3 << "" << 3;
        QTest::newRow("no such row") << 99 << "電話番号が非通知の場合電話帳に登録できません。" << 2;
        QTest::newRow("duplicate typed with hyphens")
            << 4 << "既に電話番号が電話帳に登録されています。" << 2;
    }

    void registerFromHistory() {
        QFETCH(int, historyId);
        QFETCH(QString, message);
        QFETCH(int, entries);
        startApp();
        {
            db::Database d(dbPath());
            addNumber(d, addEntry(d, QStringLiteral("既存")), QStringLiteral("0311111111"));
            addCall(d, 1, QStringLiteral("ユーザ拒否"), 0);
            addCall(d, 2, QStringLiteral("0311111111"), 1, QStringLiteral("既存"));
            addCall(d, 3, QStringLiteral("0455555555"), 0, {}, QStringLiteral("折り返し希望"));
            addNumber(d, addEntry(d, QStringLiteral("手入力")), QStringLiteral("03-2222-3333"));
            addCall(d, 4, QStringLiteral("0322223333"), 0);
        }
        if (!message.isEmpty())
            Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        app_->RegisterCallerFromHistory(historyId);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(asked[0].text, message);
            QCOMPARE(asked[0].title, QStringLiteral("電話番号がありません。"));
        }
        QCOMPARE(count("SELECT COUNT(*) FROM 住所録"), entries);
        QCOMPARE(bool(app_->phonebookWindow()), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(value("SELECT 氏名 FROM 住所録 ORDER BY ID DESC").toString(),
                     QStringLiteral("No Name"));
            QCOMPARE(value("SELECT その他 FROM 住所録 ORDER BY ID DESC").toString(),
                     QStringLiteral("折り返し希望"));
        }
    }

    // The open window is closed (its edits written) and opened again on the new entry.
    void registerWhilePhonebookOpen() {
        startApp();
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("編集中"));
            addCall(d, 3, QStringLiteral("0455555555"), 0, QStringLiteral("新顔"));
        }
        pressOn(app_->mainWindow(), "Picture4(4)");
        QPointer<PhonebookWindow> first = app_->phonebookWindow();
        QTRY_VERIFY(!first->openAtLastPending());
        auto *other = first->findChild<QLineEdit *>("Text1(7)");
        other->setFocus();
        type(other, QStringLiteral("書きかけ"));
        app_->RegisterCallerFromHistory(3);
        QCOMPARE(value("SELECT その他 FROM 住所録 WHERE 氏名 = '編集中'").toString(),
                 QStringLiteral("書きかけ"));
        PhonebookWindow *second = app_->phonebookWindow();
        QVERIFY(second);
        QVERIFY(second != first);
        QTRY_VERIFY(!second->openAtLastPending());
        QCOMPARE(second->findChild<QLineEdit *>("Text1(1)")->text(), QStringLiteral("新顔"));
        QTRY_VERIFY(!first);
    }

    // SIGTERM closes the program as its close button does: the phonebook's pending edit and
    // its place reach the files.
    void pendingEditReachesDatabaseOnSigterm() {
        {
            db::Database d(dbPath());
            addEntry(d, QStringLiteral("終了前"));
        }
        startApp();
        auto *termination = TerminationSignals::install(app_.get());
        QVERIFY(termination);
        connect(termination, &TerminationSignals::terminationRequested, app_.get(),
                &KolvaneApp::RequestClose);
        QSignalSpy finished(app_.get(), &KolvaneApp::finished);
        pressOn(app_->mainWindow(), "Picture4(4)");
        PhonebookWindow *w = app_->phonebookWindow();
        QTRY_VERIFY(!w->openAtLastPending());
        w->move(120, 60);
        auto *name = w->findChild<QLineEdit *>("Text1(1)");
        name->setFocus();
        name->selectAll();
        type(name, QStringLiteral("終了後"));
        auto *number = w->findChild<QLineEdit *>("Text2(0)");
        QTest::mouseClick(number, Qt::LeftButton);
        type(number, QStringLiteral("0799999999"));
        ::raise(SIGTERM);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(value("SELECT 氏名 FROM 住所録").toString(), QStringLiteral("終了後"));
        QCOMPARE(value("SELECT 電番 FROM 電話番号").toString(), QStringLiteral("0799999999"));
        Settings s;
        QVERIFY(ReadSettingsFile(Program::filePath("Kolvane.ini"), s));
        QCOMPARE(s.PhonebookLeft, 120 * 15);
        QCOMPARE(s.PhonebookTop, 60 * 15);
    }

    // --- vCard from the context menu ---

    // A right-click on the list, "vCardから読み込み…", the file chosen: the new entry is shown
    // and listed, the known number is named, and what was being typed was written first.
    void importVCardFromContextMenu() {
        {
            db::Database d(dbPath());
            addNumber(d, addEntry(d, "田中 太郎"), "0312345678", "自宅");
        }
        const QString file = desktop_->file("in.vcf");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:田中 太郎\r\nTEL:03-1234-5678\r\n"
                    "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:佐藤 花子\r\n"
                    "SORT-STRING:さとう\r\nTEL;TYPE=CELL:090-1111-2222\r\n"
                    "TEL;TYPE=HOME:045-111-2222\r\nTEL;TYPE=WORK:03-9999-0000\r\n"
                    "TEL:011-000-0000\r\nEND:VCARD\r\n");
        }
        open();
        clickInto(line("Text1(7)"));
        type(line("Text1(7)"), "打ちかけ");
        FileChooser::setNextFileName(file);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        QTableView *list = grid("MSFlexGrid1");
        chooseFromContextMenu(list->viewport(), QPoint(20, list->viewport()->height() - 5),
                              "vCardから読み込み…");
        QCOMPARE(FileChooser::takeAsked().size(), 1);
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("1件を読み込みました。\n\n"
                                               "電話帳に既にあるため追加しなかった番号：\n"
                                               "03-1234-5678 (田中 太郎)"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Information);
        QCOMPARE(value("SELECT その他 FROM 住所録 WHERE ID = 1").toString(),
                 QStringLiteral("打ちかけ"));
        QCOMPARE(count("SELECT COUNT(*) FROM 電話番号 WHERE IDsub = 2"), 4);
        // The window shows the new entry (three of its four numbers) and lists it.
        QCOMPARE(line("Text1(1)")->text(), QStringLiteral("佐藤 花子"));
        QCOMPARE(combo("Combo2")->currentText(), QStringLiteral("ｻ"));
        QCOMPARE(line("Text2(0)")->text(), QStringLiteral("090-1111-2222"));
        QCOMPARE(combo("Combo1(0)")->currentText(), QStringLiteral("携帯"));
        QCOMPARE(combo("Combo1(2)")->currentText(), QStringLiteral("勤務先"));
        QCOMPARE(label("Label3(1)"), QStringLiteral("2"));
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("佐藤 花子"));
    }

    void importVCardFailureSaysWhy() {
        const QString file = desktop_->file("notes.txt");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("just some notes\n");
        }
        open();
        FileChooser::setNextFileName(file);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        chooseFromContextMenu(window_.get(), QPoint(5, 5), "vCardから読み込み…");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("vCardから読み込めませんでした。\n") + file +
                                    QStringLiteral(" はvCardファイルではありません。"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Exclamation);
        QCOMPARE(count("SELECT COUNT(*) FROM 住所録"), 0);
    }

    // "vCardで保存…": every entry in the file; a place that cannot be written is said.
    void exportVCardFromContextMenu() {
        {
            db::Database d(dbPath());
            addNumber(d, addEntry(d, "田中 太郎", "東京都"), "0312345678", "Ｆａｘ");
            addEntry(d, "佐藤 花子");
        }
        open();
        const QString file = desktop_->file("out.vcf");
        FileChooser::setNextFileName(file);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        chooseFromContextMenu(window_.get(), QPoint(5, 5), "vCardで保存…");
        QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("2件をvCardで保存しました。"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const exchange::VCardFile back = exchange::ParseVCards(f.readAll());
        QCOMPARE(back.entries.size(), 2);
        QCOMPARE(back.entries[0].address, QStringLiteral("東京都"));
        QCOMPARE(back.entries[0].numbers[0].kind, QStringLiteral("Ｆａｘ"));

        FileChooser::setNextFileName(desktop_->folder());
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        chooseFromContextMenu(window_.get(), QPoint(5, 5), "vCardで保存…");
        asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("vCardで保存できませんでした。\n") +
                                    desktop_->folder() + QStringLiteral(" はフォルダです。"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Exclamation);
    }

private:
    QString dbPath() const { return Program::DatabasePath(); }

    void open() {
        if (!state_)
            state_ = std::make_unique<RunState>();
        window_ = std::make_unique<PhonebookWindow>(*state_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->activateWindow();
        QTRY_VERIFY(!window_->openAtLastPending());
    }

    void startApp() {
        Settings s;
        s.PortNumber = 0;
        QVERIFY(WriteSettingsFile(Program::filePath("Kolvane.ini"), s));
        app_ = std::make_unique<KolvaneApp>();
        app_->mainWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(app_->mainWindow()));
    }

    // A call as the call path leaves it: recorded, shown, the register button enabled.
    void showCall(const QString &number, const QString &name, int historyId) {
        IncomingCall &call = app_->state().call();
        call = IncomingCall();
        call.Number = number;
        call.CallerName = name;
        call.HistoryId = historyId;
        app_->mainWindow()->ShowCaller(DescribeCall(call));
        QVERIFY(button(app_->mainWindow(), "Picture4(9)")->isEnabled());
    }

    int count(const char *sql) const { return value(sql).toInt(); }
    QVariant value(const QString &sql) const {
        db::Database d(dbPath());
        QSqlQuery q(d.sqlDatabase());
        return q.exec(sql) && q.next() ? q.value(0) : QVariant();
    }

    QList<std::optional<qint32>> telIdsOf(int entry) const {
        db::Database d(dbPath());
        QSqlQuery q(d.sqlDatabase());
        QList<std::optional<qint32>> ids;
        if (q.exec(QStringLiteral("SELECT TelID FROM 電話番号 WHERE IDsub = %1 ORDER BY TelID")
                       .arg(entry)))
            while (q.next())
                ids << q.value(0).toInt();
        return ids;
    }
    QList<std::optional<qint32>> shownNumberIds() const {
        QList<std::optional<qint32>> ids;
        for (int i = 0; i < PhonebookWindow::NumberLineCount; ++i)
            ids << window_->numberId(i);
        return ids;
    }

    bool focusIs(QWidget *w) const {
        QWidget *f = QApplication::focusWidget();
        return f == w || (f && f->parentWidget() == w && qobject_cast<QComboBox *>(w));
    }

    QLineEdit *line(const QString &name) const { return window_->findChild<QLineEdit *>(name); }
    QPlainTextEdit *plain(const QString &name) const {
        return window_->findChild<QPlainTextEdit *>(name);
    }
    QComboBox *combo(const QString &name) const { return window_->findChild<QComboBox *>(name); }
    QTableView *grid(const QString &name) const { return window_->findChild<QTableView *>(name); }
    QStringList listNames() const {
        QAbstractItemModel *m = grid("MSFlexGrid1")->model();
        QStringList names;
        for (int r = 0; r < m->rowCount(); ++r)
            names << m->index(r, 0).data().toString();
        return names;
    }
    QLabel *labelWidget(const QString &name) const { return window_->findChild<QLabel *>(name); }
    QString label(const QString &name) const {
        QLabel *l = labelWidget(name);
        return l ? l->text() : QStringLiteral("<missing>");
    }
    ImageButton *button(const QString &name) const { return button(window_.get(), name); }
    static ImageButton *button(QWidget *w, const QString &name) {
        return w->findChild<ImageButton *>(name);
    }
    void press(const QString &name) { pressOn(window_.get(), name); }
    static void pressOn(QWidget *w, const QString &name) {
        ImageButton *b = button(w, name);
        QVERIFY2(b, qPrintable(name));
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    }
    // Typed text: ASCII key by key, Japanese as the input method commits it.
    static void type(QWidget *box, const QString &text) {
        bool latin = true;
        for (QChar c : text)
            latin = latin && c.unicode() < 0x80;
        if (latin) {
            QTest::keyClicks(box, text);
            return;
        }
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
    }
    static void clickInto(QWidget *box) {
        QVERIFY(box);
        QWidget *target = box;
        if (auto *p = qobject_cast<QPlainTextEdit *>(box))
            target = p->viewport();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(box->hasFocus());
    }

    // A right-click at `at` on `target`, then a click on the menu's entry `entry`.
    void chooseFromContextMenu(QWidget *target, QPoint at, const QString &entry) {
        // The press and release of the right button, then the menu request the desktop makes
        // of them.
        QTest::mousePress(target, Qt::RightButton, {}, at);
        QTest::mouseRelease(target, Qt::RightButton, {}, at);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &request);
        QMenu *menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())));
        QCOMPARE(menu->objectName(), QStringLiteral("VCardMenu"));
        QAction *chosen = nullptr;
        for (QAction *a : menu->actions())
            if (a->text() == entry)
                chosen = a;
        QVERIFY2(chosen, qPrintable(entry));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<RunState> state_;
    std::unique_ptr<PhonebookWindow> window_;
    std::unique_ptr<KolvaneApp> app_;
};

QTEST_MAIN(PhonebookWindowTest)
#include "tst_phonebookwindow.moc"
