// The reference-database window Form4, driven with real keys and presses: its lists filled
// from Access (Jet 3, Jet 4, Access 2007) and SQLite files on first focus, its four checks,
// and apply followed by a call that is looked up in the chosen file.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/main/MainWindow.h"
#include "ui/refdb/ReferenceWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const QString Fixtures = QStringLiteral(KOLVANE_FIXTURES_DIR "/");

} // namespace

class ReferenceWindowTest : public QObject {
    Q_OBJECT
private slots:
    // A reference file as another program leaves it: names with blanks, Japanese letters
    // and tables whose names begin with "MSys" in another letter case.
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QSqlDatabase s = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "build");
        s.setDatabaseName(sqlitePath());
        QVERIFY(s.open());
        QSqlQuery q(s);
        const QStringList statements = {
            "CREATE TABLE \"電話 帳\" (\"電話 番号\" TEXT, 氏名 TEXT, 〒 TEXT, 住所 TEXT)",
            "INSERT INTO \"電話 帳\" VALUES ('0312345678', '山田 花子', '100-0001', "
            "'東京都千代田区')",
            "CREATE TABLE MSysHidden (a TEXT)",
            "CREATE TABLE msysShown (a TEXT)",
            "CREATE TABLE MSYSAlso (a TEXT)",
            "CREATE TABLE \"MSys\" (a TEXT)",
        };
        for (const QString &sql : statements)
            QVERIFY2(q.exec(sql), qPrintable(sql));
        s.close();
        s = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("build"));
    }

    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        QVERIFY(desktop_->isValid());
        state_ = std::make_unique<RunState>();
    }

    void cleanup() {
        delete window_;
        window_ = nullptr;
        state_.reset();
        desktop_.reset();
    }

    // Load shows the stored settings, empty address and postal code included.
    void loadShowsTheSettings() {
        state_->changeSettings([](Settings &s) {
            s.RefDatabasePath = QStringLiteral("/data/電話帳.mdb");
            s.RefTable = QStringLiteral("顧客");
            s.RefPhoneField = QStringLiteral("TEL");
            s.RefNameField = QStringLiteral("名前");
        });
        open();
        QCOMPARE(text("Text5"), QStringLiteral("/data/電話帳.mdb"));
        QCOMPARE(box("Combo1")->currentText(), QStringLiteral("顧客"));
        QCOMPARE(box("Combo2(0)")->currentText(), QStringLiteral("TEL"));
        QCOMPARE(box("Combo2(1)")->currentText(), QStringLiteral("名前"));
        QCOMPARE(box("Combo2(2)")->currentText(), QString());
        QCOMPARE(box("Combo2(3)")->currentText(), QString());
        for (const char *name : {"Combo1", "Combo2(0)", "Combo2(1)", "Combo2(2)", "Combo2(3)"}) {
            QCOMPARE(box(name)->count(), 0);
            QVERIFY(box(name)->isEditable());
        }
        QCOMPARE(window_->windowTitle(), QStringLiteral("参照データベースの設定"));
        QVERIFY(window_->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(button("Picture12(0)")->shownFace(), 204);
        QCOMPARE(button("Picture12(1)")->shownFace(), 202);
        QCOMPARE(button("Picture12(0)")->toolTip(), QStringLiteral("設定を有効にする。"));
        QCOMPARE(button("Picture12(1)")->toolTip(), QStringLiteral("キャンセル"));
        for (QWidget *c : window_->findChildren<QWidget *>()) {
            if (!c->isVisibleTo(window_) || c->isWindow() || c->parentWidget() != window_)
                continue;
            QVERIFY2(window_->rect().contains(c->geometry()), qPrintable(c->objectName()));
        }
    }

    // The "..." button: the plain chooser with the database filter; cancelled, it leaves the
    // box and the lists as they were.
    void chooser() {
        open();
        FileChooser::setNextFileName(Fixtures + "nwind.mdb");
        QTest::mouseClick(window_->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(text("Text5"), Fixtures + "nwind.mdb");
        const QList<FileChooser::Request> asked = FileChooser::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].filter,
                 QStringLiteral("データベース(*.mdb *.accdb *.sqlite *.db);;すべてのファイル(*)"));
        QCOMPARE(asked[0].title, QStringLiteral("ファイルを開く"));
        QVERIFY(!asked[0].preview);
        QTest::mouseClick(window_->findChild<QLineEdit *>("Text5"), Qt::LeftButton);
        focusByTab(1);
        QVERIFY(box("Combo1")->count() > 0);
        FileChooser::setNextFileName(QString());
        QTest::mouseClick(window_->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(text("Text5"), Fixtures + "nwind.mdb");
        QVERIFY(box("Combo1")->count() > 0);
    }

    // The table list, filled when the table box first takes the focus (by the Tab key from
    // the path box): every table but the engine's "MSys" ones, in the file's order.
    void tablesOnFirstFocus_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("tables");
        QTest::newRow("Jet 3") << "nwind.mdb"
                               << QStringList{"Order Details", "Orders",     "Products",
                                              "Shippers",      "Categories", "Customers",
                                              "Employees",     "Suppliers",  "Umsätze"};
        // The hidden table of an attachment column is not an "MSys" table: it is listed.
        QTest::newRow("Jet 4") << "DateTestDatabase.mdb"
                               << QStringList{"DateTest",
                                              "f_75A72A8786B149369D90EB962DAB8A2C_Data"};
        QTest::newRow("Access 2007")
            << "testV2007.accdb" << QStringList{"Table1", "Table2", "Table3", "Table4"};
        QTest::newRow("SQLite") << "sqlite" << QStringList{"電話 帳", "msysShown", "MSYSAlso"};
    }

    void tablesOnFirstFocus() {
        QFETCH(QString, file);
        QFETCH(QStringList, tables);
        const QString path = file == QLatin1String("sqlite") ? sqlitePath() : Fixtures + file;
        open();
        typeInto("Text5", path);
        focusByTab(1);
        QVERIFY(box("Combo1")->hasFocus());
        QCOMPARE(items(box("Combo1")), tables);
        // Nothing typed was replaced.
        QCOMPARE(box("Combo1")->currentText(), QString());
        // A later focus adds nothing.
        focusByTab(-1);
        focusByTab(1);
        QCOMPARE(items(box("Combo1")), tables);
    }

    // An unreadable path gives an empty list; the next focus tries again.
    void tablesRetryAfterAnEmptyList() {
        open();
        typeInto("Text5", dir_.filePath("none.mdb"));
        focusByTab(1);
        QCOMPARE(box("Combo1")->count(), 0);
        focusByTab(-1);
        typeInto("Text5", Fixtures + "DateTestDatabase.mdb");
        focusByTab(1);
        QCOMPARE(items(box("Combo1")).value(0), QStringLiteral("DateTest"));
    }

    // The field lists, filled together when any field box first takes the focus, in the
    // table's column order; focusing another field box afterwards adds nothing.
    void fieldsOnFirstFocus_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("tabs"); // from the table box: 1 phone, 2 name, 3 zip, 4 address
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("Jet 3, postal code first")
            << "nwind.mdb"
            << "Customers" << 3
            << QStringList{"CustomerID", "CompanyName", "ContactName", "ContactTitle",
                           "Address",    "City",        "Region",      "PostalCode",
                           "Country",    "Phone",       "Fax"};
        QTest::newRow("Jet 3, table with a blank")
            << "nwind.mdb"
            << "Order Details" << 1
            << QStringList{"OrderID", "ProductID", "UnitPrice", "Quantity", "Discount"};
        QTest::newRow("Jet 3, non-ASCII table")
            << "nwind.mdb"
            << "Umsätze" << 2
            << QStringList{"OrderID",        "CustomerID",  "EmployeeID", "OrderDate",
                           "RequiredDate",   "ShippedDate", "ShipVia",    "Freight",
                           "ShipName",       "ShipAddress", "ShipCity",   "ShipRegion",
                           "ShipPostalCode", "ShipCountry"};
        QTest::newRow("Jet 4") << "testUnicodeCompV2003.mdb"
                               << "Table" << 4 << QStringList{"ID", "Unicode"};
        QTest::newRow("Access 2007")
            << "testV2007.accdb"
            << "Table1" << 2 << QStringList{"A", "B", "C", "D", "E", "F", "G", "H", "I"};
        QTest::newRow("SQLite") << "sqlite"
                                << "電話 帳" << 1 << QStringList{"電話 番号", "氏名", "〒", "住所"};
    }

    void fieldsOnFirstFocus() {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(int, tabs);
        QFETCH(QStringList, columns);
        const QString path = file == QLatin1String("sqlite") ? sqlitePath() : Fixtures + file;
        open();
        typeInto("Text5", path);
        focusByTab(1);
        typeText(box("Combo1")->lineEdit(), table);
        focusByTab(tabs);
        const char *order[] = {"Combo2(0)", "Combo2(1)", "Combo2(3)", "Combo2(2)"};
        QVERIFY(box(order[tabs - 1])->hasFocus());
        for (const char *name : {"Combo2(0)", "Combo2(1)", "Combo2(2)", "Combo2(3)"}) {
            QCOMPARE(items(box(name)), columns);
            QCOMPARE(box(name)->currentText(), QString());
        }
        // Every other field box in turn: nothing more.
        focusByTab(tabs == 4 ? -1 : 1);
        QCOMPARE(items(box("Combo2(0)")), columns);
        QCOMPARE(items(box("Combo2(2)")), columns);
        QCOMPARE(box("Combo1")->currentText(), table);
    }

    // A click on a list's arrow drops the list down, filled from the file as it opens (the
    // window does not move), whatever box had the focus before.
    void listsOpenOnAClick_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        const QStringList columns{"電話 番号", "氏名", "〒", "住所"};
        QTest::newRow("table") << "Combo1" << QStringList{"電話 帳", "msysShown", "MSYSAlso"};
        QTest::newRow("phone") << "Combo2(0)" << columns;
        QTest::newRow("name") << "Combo2(1)" << columns;
        QTest::newRow("address") << "Combo2(2)" << columns;
        QTest::newRow("postal code") << "Combo2(3)" << columns;
    }
    void listsOpenOnAClick() {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        state_->changeSettings([this](Settings &s) {
            s.RefDatabasePath = sqlitePath();
            s.RefTable = QStringLiteral("電話 帳");
        });
        open();
        const QPoint placed = window_->pos();
        QComboBox *list = box(qPrintable(name));
        QVERIFY(!list->view()->isVisible());
        clickArrow(list);
        QTRY_VERIFY(list->view()->isVisible());
        QCOMPARE(items(list), expected);
        QCOMPARE(window_->pos(), placed);
        // Nothing the box said was replaced.
        QCOMPARE(list->currentText(), name == "Combo1" ? QStringLiteral("電話 帳") : QString());
        QTest::keyClick(list->view(), Qt::Key_Escape);
        QTRY_VERIFY(!list->view()->isVisible());
    }

    // The lists are of the file and table the boxes name now: another file (typed or chosen)
    // or another table (typed or picked) fills them again when they next open.
    void listsFollowTheFileAndTable() {
        open();
        typeInto("Text5", sqlitePath());
        clickArrow(box("Combo1"));
        QTRY_VERIFY(box("Combo1")->view()->isVisible());
        QCOMPARE(items(box("Combo1")).value(0), QStringLiteral("電話 帳"));
        // Picked from the list: the field lists are of that table.
        QTest::keyClick(box("Combo1")->view(), Qt::Key_Return);
        QTRY_VERIFY(!box("Combo1")->view()->isVisible());
        QCOMPARE(box("Combo1")->currentText(), QStringLiteral("電話 帳"));
        clickArrow(box("Combo2(1)"));
        QTRY_VERIFY(box("Combo2(1)")->view()->isVisible());
        QCOMPARE(items(box("Combo2(1)")).value(0), QStringLiteral("電話 番号"));
        QTest::keyClick(box("Combo2(1)")->view(), Qt::Key_Escape);

        // Another file from the chooser, which opens beside the one named.
        FileChooser::setNextFileName(Fixtures + "nwind.mdb");
        QTest::mouseClick(window_->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(FileChooser::takeAsked().value(0).start, sqlitePath());
        clickArrow(box("Combo1"));
        QTRY_VERIFY(box("Combo1")->view()->isVisible());
        QCOMPARE(items(box("Combo1")).value(0), QStringLiteral("Order Details"));
        QTest::keyClick(box("Combo1")->view(), Qt::Key_Escape);
        QTRY_VERIFY(!box("Combo1")->view()->isVisible());
        // Another table typed: the field lists follow it.
        box("Combo1")->lineEdit()->selectAll();
        typeText(box("Combo1")->lineEdit(), QStringLiteral("Shippers"));
        clickArrow(box("Combo2(3)"));
        QTRY_VERIFY(box("Combo2(3)")->view()->isVisible());
        QCOMPARE(items(box("Combo2(0)")), (QStringList{"ShipperID", "CompanyName", "Phone"}));
        QTest::keyClick(box("Combo2(3)")->view(), Qt::Key_Escape);
        // A file typed that cannot be read: the old lists do not stay.
        typeInto("Text5", dir_.filePath("none.mdb"));
        focusByTab(1);
        QCOMPARE(box("Combo1")->count(), 0);
        QCOMPARE(box("Combo1")->currentText(), QStringLiteral("Shippers"));
    }

    // The four checks, in order, one message at a time; nothing is stored, the window stays.
    void applyChecks_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "データベースを指定してください。";
        QTest::newRow("path only") << "/x.mdb"
                                   << ""
                                   << ""
                                   << ""
                                   << "テーブルを指定してください。";
        QTest::newRow("phone before name") << "/x.mdb"
                                           << "T"
                                           << ""
                                           << ""
                                           << "電話番号フィールドを指定してください。";
        QTest::newRow("name") << "/x.mdb"
                              << "T"
                              << "P"
                              << ""
                              << "氏名フィールドを指定してください。";
        QTest::newRow("path missing, rest filled") << ""
                                                   << "T"
                                                   << "P"
                                                   << "N"
                                                   << "データベースを指定してください。";
    }

    void applyChecks() {
        QFETCH(QString, path);
        QFETCH(QString, table);
        QFETCH(QString, phone);
        QFETCH(QString, name);
        QFETCH(QString, message);
        const Settings before = state_->settings();
        open();
        typeInto("Text5", path);
        box("Combo1")->setEditText(table);
        box("Combo2(0)")->setEditText(phone);
        box("Combo2(1)")->setEditText(name);
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        click("Picture12(0)");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, message);
        QCOMPARE(asked[0].title, QStringLiteral("指定してください"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(asked[0].buttons, Dialogs::Buttons::Ok);
        QVERIFY(asked[0].systemModal);
        QCOMPARE(asked[0].defaultButton, std::optional<Dialogs::Answer>());
        QVERIFY(state_->settings() == before);
        QVERIFY(window_->isVisible());
        QCOMPARE(button("Picture12(0)")->shownFace(), 204);
    }

    // Apply stores the six names as typed and switches the lookup on; empty address and
    // postal code are stored empty. The window closes.
    void applyStores() {
        open();
        typeInto("Text5", sqlitePath());
        focusByTab(1);
        typeText(box("Combo1")->lineEdit(), QStringLiteral("電話 帳"));
        focusByTab(1);
        typeText(box("Combo2(0)")->lineEdit(), QStringLiteral("電話 番号"));
        focusByTab(1);
        typeText(box("Combo2(1)")->lineEdit(), QStringLiteral("氏名"));
        QPointer<ReferenceWindow> w = window_;
        click("Picture12(0)");
        QVERIFY(Dialogs::takeAsked().isEmpty());
        const Settings &s = state_->settings();
        QVERIFY(s.RefEnabled);
        QCOMPARE(s.RefDatabasePath, sqlitePath());
        QCOMPARE(s.RefTable, QStringLiteral("電話 帳"));
        QCOMPARE(s.RefPhoneField, QStringLiteral("電話 番号"));
        QCOMPARE(s.RefNameField, QStringLiteral("氏名"));
        QCOMPARE(s.RefAddressField, QString());
        QCOMPARE(s.RefZipField, QString());
        QVERIFY(!window_->isVisible());
    }

    // Cancel after editing every box keeps the settings.
    void cancelKeeps() {
        state_->changeSettings([](Settings &s) { s.RefTable = QStringLiteral("T"); });
        const Settings before = state_->settings();
        open();
        typeInto("Text5", sqlitePath());
        for (const char *name : {"Combo1", "Combo2(0)", "Combo2(1)", "Combo2(2)", "Combo2(3)"})
            box(name)->setEditText(QStringLiteral("x"));
        QTest::mousePress(button("Picture12(1)"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(button("Picture12(1)")->shownFace(), 201);
        QTest::mouseRelease(button("Picture12(1)"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(state_->settings() == before);
        QVERIFY(!window_->isVisible());
    }

    // From a fresh start: the settings panel's Command2 opens Form4, the user picks an
    // SQLite phonebook, and the next call is looked up there; all of it is in Kolvane.ini.
    void nextCallIsLookedUpInTheNewFile() {
        TaSim sim;
        Settings s;
        s.PortName = sim.device();
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        {
            KolvaneApp app;
            MainWindow *main = app.mainWindow();
            main->show();
            QTRY_VERIFY(!app.state().firstActivation());
            QTest::mouseClick(main->findChild<ImageButton *>("Picture4(1)"), Qt::LeftButton, {},
                              QPoint(5, 5));
            QTest::mouseClick(main->findChild<QPushButton *>("Command2"), Qt::LeftButton);
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == QLatin1String("Form4") && w->isVisible())
                    window_ = qobject_cast<ReferenceWindow *>(w);
            QVERIFY(window_);
            QVERIFY(QTest::qWaitForWindowExposed(window_));
            FileChooser::setNextFileName(sqlitePath());
            QTest::mouseClick(window_->findChild<QPushButton *>("Command1"), Qt::LeftButton);
            QTest::mouseClick(window_->findChild<QLineEdit *>("Text5"), Qt::LeftButton);
            focusByTab(1);
            box("Combo1")->setCurrentIndex(0);
            focusByTab(1);
            box("Combo2(0)")->setCurrentIndex(0);
            focusByTab(1);
            box("Combo2(1)")->setCurrentIndex(1);
            focusByTab(1);
            box("Combo2(3)")->setCurrentIndex(2);
            focusByTab(1);
            box("Combo2(2)")->setCurrentIndex(3);
            click("Picture12(0)");
            window_ = nullptr;
            QVERIFY(app.state().settings().RefEnabled);

            QSignalSpy handled(&app.callHandler(), &CallHandler::callHandled);
            sim.send("0312345678\n");
            QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, 5000);
            QCOMPARE(main->findChild<QLabel *>("Label7")->text(), QStringLiteral("山田 花子"));
            QVERIFY(main->findChild<QLabel *>("Label8")->text().contains(
                QStringLiteral("東京都千代田区")));
            // The apply also had the call path's index built for the file chosen.
            ReferenceIndex &index = app.callHandler().referenceIndex();
            QCOMPARE(index.source().path, sqlitePath());
            QCOMPARE(index.source().fields.name, QStringLiteral("氏名"));
            QTRY_COMPARE_WITH_TIMEOUT(index.state(), ReferenceIndex::State::Ready, 10000);
            QCOMPARE(index.table()->rowCount(), 1);
            main->close();
        }
        Settings back;
        QVERIFY(ReadSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), back));
        QVERIFY(back.RefEnabled);
        QCOMPARE(back.RefDatabasePath, sqlitePath());
        QCOMPARE(back.RefTable, QStringLiteral("電話 帳"));
        QCOMPARE(back.RefPhoneField, QStringLiteral("電話 番号"));
        QCOMPARE(back.RefNameField, QStringLiteral("氏名"));
        QCOMPARE(back.RefZipField, QStringLiteral("〒"));
        QCOMPARE(back.RefAddressField, QStringLiteral("住所"));
    }

private:
    QString sqlitePath() const { return dir_.filePath(QStringLiteral("参照 電話帳.sqlite")); }
    void open() {
        window_ = new ReferenceWindow(*state_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
    }
    QComboBox *box(const char *name) const {
        return window_->findChild<QComboBox *>(QString::fromLatin1(name));
    }
    QString text(const char *name) const {
        return window_->findChild<QLineEdit *>(QString::fromLatin1(name))->text();
    }
    ImageButton *button(const char *name) const {
        return window_->findChild<ImageButton *>(QString::fromLatin1(name));
    }
    void click(const char *name) const {
        QTest::mouseClick(button(name), Qt::LeftButton, {}, QPoint(5, 5));
    }
    // Clicks into the path box and replaces its text with keys.
    void typeInto(const char *name, const QString &value) const {
        auto *edit = window_->findChild<QLineEdit *>(QString::fromLatin1(name));
        QTest::mouseClick(edit, Qt::LeftButton);
        QVERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        typeText(edit, value);
    }
    // Keys for plain letters; other text arrives committed by the input method, as Japanese
    // text does.
    static void typeText(QWidget *edit, const QString &value) {
        for (const QChar c : value) {
            if (c.unicode() < 0x80) {
                QTest::keyClicks(edit, QString(c));
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(edit, &commit);
            }
        }
    }
    // Tab (forward) or Shift+Tab (backward) from the focused box.
    void focusByTab(int steps) const {
        for (int i = 0; i < std::abs(steps); ++i) {
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused);
            if (steps > 0)
                QTest::keyClick(focused, Qt::Key_Tab);
            else
                QTest::keyClick(focused, Qt::Key_Backtab, Qt::ShiftModifier);
        }
    }
    // A left click on the arrow at the box's right end.
    static void clickArrow(QComboBox *box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
    }
    static QStringList items(const QComboBox *box) {
        QStringList names;
        for (int i = 0; i < box->count(); ++i)
            names << box->itemText(i);
        return names;
    }

    QTemporaryDir dir_;
    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<RunState> state_;
    QPointer<ReferenceWindow> window_;
};

QTEST_MAIN(ReferenceWindowTest)
#include "tst_referencewindow.moc"
