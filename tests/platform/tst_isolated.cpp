// A program started afresh: its answer comes back whole, and a crash, a hang or a cancellation
// each end it with the reason instead of an answer.
#include "platform/Isolated.h"

#include <QtTest>
#include <atomic>
#include <thread>

class TestIsolated : public QObject {
    Q_OBJECT
private slots:
    // A program started afresh: what it writes is the answer; a failure, a crash, a hang, a
    // cancellation or a program that is not there each give the reason instead.
    void program_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("why"); // empty: the answer "rows\n"
        QTest::newRow("answer") << QByteArray("printf '\\005\\0\\0\\0\\0\\0\\0\\0rows\\n'")
                                << QByteArray("/bin/sh") << 5000 << "";
        // 24 MiB + 7 bytes, as a whole table's rows can be.
        QTest::newRow("a table's worth of rows")
            << QByteArray("printf '\\007\\0\\200\\001\\0\\0\\0\\0'; head -c 25165831 /dev/zero")
            << QByteArray("/bin/sh") << 30000 << "";
        QTest::newRow("cut answer") << QByteArray("printf '\\011\\0\\0\\0\\0\\0\\0\\0rows\\n'")
                                    << QByteArray("/bin/sh") << 5000 << "gave a cut answer";
        QTest::newRow("fails") << QByteArray("echo half; exit 3") << QByteArray("/bin/sh") << 5000
                               << "failed (status 3)";
        QTest::newRow("crash") << QByteArray("kill -ABRT $$") << QByteArray("/bin/sh") << 5000
                               << "crashed (signal 6)";
        QTest::newRow("hang") << QByteArray("exec sleep 30") << QByteArray("/bin/sh") << 300
                              << "no answer within 300 ms";
        QTest::newRow("cancelled")
            << QByteArray("exec sleep 30") << QByteArray("/bin/sh") << 60000 << "cancelled";
        QTest::newRow("no such program") << QByteArray("") << QByteArray("/nonexistent/reader")
                                         << 5000 << "cannot start /nonexistent/reader";
    }
    void program() {
        QFETCH(QByteArray, script);
        QFETCH(QByteArray, program);
        QFETCH(int, timeoutMs);
        QFETCH(QString, why);
        std::atomic<bool> cancelled{false};
        std::thread canceller;
        if (why == QLatin1String("cancelled"))
            canceller = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                cancelled = true;
            });
        QString reason;
        const std::optional<QByteArray> answer =
            RunIsolatedProgram(program, {QByteArray("-c"), script}, timeoutMs, &reason, &cancelled);
        if (canceller.joinable())
            canceller.join();
        QCOMPARE(reason, why);
        QCOMPARE(answer.has_value(), why.isEmpty());
        if (answer && answer->size() > 100)
            QVERIFY(*answer == QByteArray(24 * 1024 * 1024 + 7, '\0'));
        else if (answer)
            QCOMPARE(*answer, QByteArray("rows\n"));
    }
};

QTEST_GUILESS_MAIN(TestIsolated)
#include "tst_isolated.moc"
