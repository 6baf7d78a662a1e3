// Numbers as people type them reduce to the same digits.
#include "phone/NumberKey.h"

#include <QtTest>

class NumberKeyTest : public QObject {
    Q_OBJECT
private slots:
    void key_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("key");
        QTest::newRow("as the TA sends it") << "0312345678"
                                            << "0312345678";
        QTest::newRow("hyphens") << "03-1234-5678"
                                 << "0312345678";
        QTest::newRow("spaces") << "03 1234 5678"
                                << "0312345678";
        QTest::newRow("full width") << "０３－１２３４－５６７８"
                                    << "0312345678";
        QTest::newRow("parentheses") << "(03) 1234-5678"
                                     << "0312345678";
        QTest::newRow("international") << "+81 3 1234 5678"
                                       << "0312345678";
        QTest::newRow("international, full-width plus") << "＋８１ ３ １２３４ ５６７８"
                                                        << "0312345678";
        QTest::newRow("international without plus") << "81-90-1234-5678"
                                                    << "09012345678";
        QTest::newRow("international with the trunk in parentheses") << "+81 (0)3 1234 5678"
                                                                     << "0312345678";
        QTest::newRow("a short number starting 81 stays") << "8123"
                                                          << "8123";
        QTest::newRow("a country code alone stays") << "+81"
                                                    << "81";
        QTest::newRow("a reason letter has none") << "P"
                                                  << "";
        QTest::newRow("a name has none") << "山田 太郎"
                                         << "";
        QTest::newRow("a plus later is nothing") << "03+1234"
                                                 << "031234";
        QTest::newRow("other scripts' digits do not count") << "٠٣١٢"
                                                            << "";
    }
    void key() {
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QCOMPARE(NumberKey(typed), key);
    }
};

QTEST_APPLESS_MAIN(NumberKeyTest)
#include "tst_numberkey.moc"
