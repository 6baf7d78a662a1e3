// The up-down control over its buddy text box, pressed with the mouse.
#include "platform/desktop/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

class UpDownTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        parent_ = new QWidget;
        parent_->resize(200, 100);
        buddy_ = new QLineEdit(parent_);
        buddy_->setGeometry(10, 10, 64, 24);
        spin_ = new UpDown(parent_);
        spin_->setRange(10, 600);
        spin_->setPosition(5);
        spin_->setBuddy(buddy_);
        parent_->show();
        QVERIFY(QTest::qWaitForWindowExposed(parent_));
    }
    void cleanup() { delete parent_; }

    void sitsAtTheBuddysRightEdge() {
        QCOMPARE(spin_->geometry(), QRect(56, 10, 18, 24));
        QCOMPARE(buddy_->geometry(), QRect(10, 10, 46, 24));
        QCOMPARE(spin_->parentWidget(), parent_);
        // An initial position below the range is held at the lower limit.
        QCOMPARE(spin_->position(), 10);
        QCOMPARE(buddy_->text(), QStringLiteral("10"));
    }

    void stepsFromTheTypedValue_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("shown");
        QTest::newRow("up") << "20" << true << "21";
        QTest::newRow("down") << "20" << false << "19";
        QTest::newRow("up at the upper limit") << "600" << true << "600";
        QTest::newRow("down at the lower limit") << "10" << false << "10";
        QTest::newRow("typed beyond the limit") << "900" << false << "599";
        QTest::newRow("typed below the limit") << "3" << true << "11";
        QTest::newRow("not a number: from the last position") << "x" << true << "11";
    }

    void stepsFromTheTypedValue() {
        QFETCH(QString, typed);
        QFETCH(bool, up);
        QFETCH(QString, shown);
        buddy_->clear();
        QTest::keyClicks(buddy_, typed);
        QToolButton *arrow = up ? spin_->upButton() : spin_->downButton();
        QTest::mouseClick(arrow, Qt::LeftButton, {}, arrow->rect().center());
        QCOMPARE(buddy_->text(), shown);
        QCOMPARE(QString::number(spin_->position()), shown);
    }

    void releasedWithItsParent() {
        QPointer<UpDown> spin = spin_;
        delete parent_;
        parent_ = nullptr;
        QVERIFY(spin.isNull());
    }

private:
    QWidget *parent_ = nullptr;
    QLineEdit *buddy_ = nullptr;
    UpDown *spin_ = nullptr;
};

QTEST_MAIN(UpDownTest)
#include "tst_updown.moc"
