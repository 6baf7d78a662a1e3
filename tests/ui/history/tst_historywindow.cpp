// The call-history window Form2, driven as a user drives it: the main window's history button,
// real presses and releases on the image buttons, clicks on the grid, calls played by
// tools/ta-sim, and Rireki.ini as the window leaves it.
#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "settings/HistoryLayoutFile.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "support/TaSim.h"
#include "support/TestDesktop.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/history/HistoryModel.h"
#include "ui/history/HistoryWindow.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QtTest>
#include <algorithm>
#include <memory>

using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

namespace {

// Text typed as a Japanese input method delivers it: committed strings.
void typeText(QWidget *w, const QString &text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(w, &commit);
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeRaw(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class HistoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        desktop_ = std::make_unique<TestDesktop>();
        QVERIFY(desktop_->isValid());
    }

    void cleanup() {
        app_.reset();
        sim_.reset();
        desktop_.reset();
    }

    void noLayoutFileGivesDefaultsAndCloseCreatesIt() {
        start();
        HistoryWindow *w = open();
        // The default size; without a place of its own it opens beside the main window.
        QCOMPARE(w->size(), QSize(TwipsToPixelsX(8550), TwipsToPixelsY(6000)));
        QCOMPARE(w->findChild<ImageButton *>("Picture4(1)")->shownFace(), 116);
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!QFile::exists(layoutPath()));
        // The widths the window found for its columns are the ones it stores.
        HistoryLayout shown;
        for (int i = 0; i < 6; ++i)
            shown.ColumnWidth[i] = WindowChrome::PixelsToTwipsX(w->grid()->columnWidth(i));
        click(w, "Picture4(0)");
        QTRY_VERIFY(!app_->historyWindow());
        // Its place is where it opened, beside the main window.
        HistoryLayout stored;
        QVERIFY(ReadHistoryLayoutFile(layoutPath(), stored));
        QVERIFY(stored.Left != 0 || stored.Top != 0);
        stored.Left = stored.Top = 0;
        QCOMPARE(stored, shown);
    }

    void damagedLayoutFileGivesDefaults() {
        QVERIFY(writeRaw(layoutPath(), "900\r\n800\r\nbroken\r\n"));
        start();
        HistoryWindow *w = open();
        QCOMPARE(w->layout().Width, HistoryLayout().Width);
        QCOMPARE(w->size(), QSize(TwipsToPixelsX(8550), TwipsToPixelsY(6000)));
        QCOMPARE(w->grid()->columnWidth(0), TwipsToPixelsX(w->layout().ColumnWidth[0]));
        // The close writes the layout; what the file held is kept beside it.
        click(w, "Picture4(0)");
        QTRY_VERIFY(!app_->historyWindow());
        QCOMPARE(readAll(layoutPath() + ".damaged"), QByteArray("900\r\n800\r\nbroken\r\n"));
    }

    // Sizes of two thousand million twips open a window no larger than the screen.
    void hugeLayoutIsHeldToTheScreen() {
        QVERIFY(writeRaw(layoutPath(), "2147483647\r\n1100\r\n1515\r\n1515\r\n2070\r\n"
                                       "2147483647\r\n0\r\n0\r\n2147483647\r\n"
                                       "2147483647\r\nFalse\r\n"));
        start();
        HistoryWindow *w = open();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(w->geometry()),
                 qPrintable(QStringLiteral("%1 x %2").arg(w->width()).arg(w->height())));
        for (int i : {0, 5})
            QVERIFY(w->grid()->columnWidth(i) <= screen.width());
    }

    void customLayoutFileIsHonouredAndWrittenBackUnchanged() {
        const QByteArray custom("900 \r\n 0\r\n1801\r\n2222\r\n3000\r\n4500\r\n1500\r\n2010\r\n"
                                "9001\r\n4005\r\nTrue\r\n");
        QVERIFY(writeRaw(layoutPath(), custom));
        start();
        HistoryWindow *w = open();
        QCOMPARE(w->geometry(), QRect(TwipsToPixelsX(1500), TwipsToPixelsY(2010),
                                      TwipsToPixelsX(9001), TwipsToPixelsY(4005)));
        QCOMPARE(w->grid()->columnWidth(0), TwipsToPixelsX(900));
        QCOMPARE(w->grid()->columnWidth(1), 0);
        QCOMPARE(w->grid()->columnWidth(5), TwipsToPixelsX(4500));
        QCOMPARE(w->findChild<ImageButton *>("Picture4(1)")->shownFace(), 115);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        w->findChild<QWidget *>("Picture1")->findChild<ImageButton *>("Picture5(0)");
        click(w->findChild<QWidget *>("Picture1"), "Picture5(0)");
        QTRY_VERIFY(!app_->historyWindow());
        HistoryLayout back;
        QVERIFY(ReadHistoryLayoutFile(layoutPath(), back));
        QCOMPARE(FormatHistoryLayoutFile(back),
                 QByteArray("900\r\n0\r\n1801\r\n2222\r\n3000\r\n4500\r\n1500\r\n2010\r\n"
                            "9001\r\n4005\r\nTrue\r\n"));
    }

    void onTopIsToggledAndStored() {
        start();
        HistoryWindow *w = open();
        ImageButton *b = w->findChild<ImageButton *>("Picture4(1)");
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 115);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(32, 32));
        QCOMPARE(b->shownFace(), 115);
        QVERIFY(w->windowFlags() & Qt::WindowStaysOnTopHint);
        w->close();
        HistoryLayout back;
        QVERIFY(ReadHistoryLayoutFile(layoutPath(), back));
        QVERIFY(back.HistoryOnTop);
    }

    void minimumSize() {
        start();
        HistoryWindow *w = open();
        w->resize(30, 20);
        QCOMPARE(w->size(), QSize(TwipsToPixelsX(4000), TwipsToPixelsY(1600)));
        // The grip and the command bars follow the size.
        QWidget *grip = w->findChild<QWidget *>("Picture2");
        QCOMPARE(grip->pos(), QPoint(TwipsToPixelsX(4000 - 450), TwipsToPixelsY(1600 - 450)));
    }

    // Close, on top, memo and register in the bar at the left, the two deletes in the bar at
    // the right; both bars keep their distance from the bottom (and the right one from the
    // right edge) as the window is resized.
    void commandButtonsSitInTheirBars_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("bar");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("tip");
        QTest::newRow("close") << 0 << "Picture3" << 0 << "終了";
        QTest::newRow("on top") << 1 << "Picture3" << 1 << "常に前面に表示する。";
        QTest::newRow("memo") << 2 << "Picture3" << 2 << "メモの編集。";
        QTest::newRow("register") << 3 << "Picture3" << 3 << "着信情報を電話帳に登録。";
        QTest::newRow("delete selected") << 4 << "Picture6" << 0 << "選択履歴を削除";
        QTest::newRow("delete all") << 5 << "Picture6" << 1 << "全履歴削除";
    }
    void commandButtonsSitInTheirBars() {
        QFETCH(int, item);
        QFETCH(QString, bar);
        QFETCH(int, slot);
        QFETCH(QString, tip);
        start();
        HistoryWindow *w = open();
        QVERIFY(w);
        auto *b = w->findChild<ImageButton *>(QStringLiteral("Picture4(%1)").arg(item));
        QVERIFY(b);
        QCOMPARE(b->parentWidget()->objectName(), bar);
        QCOMPARE(b->pos(), QPoint(TwipsToPixelsX(slot * 540), 0));
        QCOMPARE(b->toolTip(), tip);
        w->resize(TwipsToPixelsX(7000), TwipsToPixelsY(5000));
        const int inner = WindowChrome::PixelsToTwipsY(w->height());
        const int left = bar == QLatin1String("Picture3")
                             ? 240
                             : WindowChrome::PixelsToTwipsX(w->width()) - 1600;
        QCOMPARE(b->parentWidget()->pos(),
                 QPoint(TwipsToPixelsX(left), TwipsToPixelsY(inner - 685)));
    }

    void hiddenColumnsAndHeadings() {
        seed({1, 2});
        start();
        HistoryWindow *w = open();
        const QStringList headings = {"日時", "時間", "電番",   "氏名",
                                      "住所", "メモ", "履歴ID", "郵便番号"};
        for (int c = 0; c < 8; ++c) {
            QCOMPARE(w->model()->headerData(c, Qt::Horizontal).toString(), headings[c]);
            QCOMPARE(w->grid()->isColumnHidden(c), c >= 6);
        }
        QCOMPARE(w->grid()->horizontalHeader()->height(), TwipsToPixelsY(300));
        // Still hidden after a refresh, and the user's widths kept.
        w->grid()->setColumnWidth(2, 140);
        w->grid()->setColumnHidden(6, false);
        w->RefreshList();
        QVERIFY(w->grid()->isColumnHidden(6));
        QVERIFY(w->grid()->isColumnHidden(7));
        QCOMPARE(w->grid()->columnWidth(2), 140);
        // Closed and opened again: hidden again.
        w->close();
        QTRY_VERIFY(!app_->historyWindow());
        w = open();
        QVERIFY(w->grid()->isColumnHidden(6));
        QCOMPARE(w->grid()->columnWidth(2), 140);
    }

    // Without Rireki.ini every shown column is inside the list at the window's first size, and
    // the date, time and number show whole (the style's own measure of the cells); widths
    // stored in the file still win.
    void defaultWidthsShowEveryColumn_data() {
        QTest::addColumn<bool>("stored");
        QTest::newRow("no layout file") << false;
        QTest::newRow("widths stored") << true;
    }
    void defaultWidthsShowEveryColumn() {
        QFETCH(bool, stored);
        if (stored)
            QVERIFY(writeRaw(layoutPath(),
                             "900\r\n800\r\n1801\r\n2222\r\n3000\r\n4500\r\n0\r\n0\r\n"
                             "8550\r\n6000\r\nFalse\r\n"));
        seed({1});
        {
            db::Database d(dbPath());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("UPDATE 着信履歴 SET 日時 = '2026/12/31', "
                                          "時間 = '23:59:59', 電番 = '09012345678'")));
        }
        start();
        HistoryWindow *w = open();
        QTableView *grid = w->grid();
        if (stored) {
            for (const auto &[column, twips] : {std::pair{0, 900}, {1, 800}, {5, 4500}})
                QCOMPARE(grid->columnWidth(column), TwipsToPixelsX(twips));
            return;
        }
        // What the view itself needs to show the cells whole.
        const QAbstractItemView *view = grid;
        for (int c = 0; c < 3; ++c)
            QVERIFY2(grid->columnWidth(c) >= view->sizeHintForColumn(c),
                     qPrintable(QStringLiteral("column %1: %2 < %3")
                                    .arg(c)
                                    .arg(grid->columnWidth(c))
                                    .arg(view->sizeHintForColumn(c))));
        QHeaderView *header = grid->horizontalHeader();
        const int memo = 5;
        QVERIFY2(
            header->sectionViewportPosition(memo) + header->sectionSize(memo) <=
                grid->viewport()->width(),
            qPrintable(QStringLiteral("memo ends at %1 of %2")
                           .arg(header->sectionViewportPosition(memo) + header->sectionSize(memo))
                           .arg(grid->viewport()->width())));
        QVERIFY(header->sectionSize(memo) >= grid->viewport()->width() / 8);
    }

    // A click on a heading sorts the list by that column from the smallest up, the next click
    // the other way; the top row is selected, the widths stay, and a call that arrives keeps
    // its place in the order.
    void headingClickSorts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QList<int>>("ascending"); // ids, top to bottom
        QTest::addColumn<QList<int>>("withCall");  // descending, with the call 5; empty: any
        // Names and times out of step with the ids: 3 has no name, 1 was at 9 o'clock.
        QTest::newRow("date") << 0 << QList<int>{1, 2, 3, 4} << QList<int>{5, 4, 3, 2, 1};
        QTest::newRow("time") << 1 << QList<int>{1, 4, 2, 3} << QList<int>{};
        QTest::newRow("name") << 3 << QList<int>{3, 4, 2, 1} << QList<int>{1, 2, 4, 5, 3};
    }
    void headingClickSorts() {
        QFETCH(int, column);
        QFETCH(QList<int>, ascending);
        QFETCH(QList<int>, withCall);
        seed({1, 2, 3, 4});
        {
            db::Database d(dbPath());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral(
                "UPDATE 着信履歴 SET 氏名 = CASE 履歴ID WHEN 1 THEN 'ワ' WHEN 2 THEN 'カ' "
                "WHEN 3 THEN NULL ELSE 'ア' END, 時間 = CASE 履歴ID WHEN 1 THEN '9:00:00' "
                "WHEN 2 THEN '11:00:00' WHEN 3 THEN '12:00:00' ELSE '10:00:00' END")));
        }
        startWithTa();
        HistoryWindow *w = open();
        QHeaderView *header = w->grid()->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), -1);
        const QList<int> widths = columnWidths(w);
        QList<int> descending(ascending.rbegin(), ascending.rend());
        clickRow(w, 2);
        for (const bool up : {true, false}) {
            const QList<int> &expected = up ? ascending : descending;
            clickHeading(w, column);
            QCOMPARE(shownIds(w), expected);
            QCOMPARE(header->sortIndicatorSection(), column);
            QCOMPARE(header->sortIndicatorOrder(), up ? Qt::AscendingOrder : Qt::DescendingOrder);
            QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(expected.first()));
            QCOMPARE(columnWidths(w), widths);
        }
        // The next call (today, no name known) stands where its keys put it.
        call("0312345678");
        QTRY_COMPARE(w->model()->rowCount(), 5);
        if (!withCall.isEmpty())
            QCOMPARE(shownIds(w), withCall);
        QCOMPARE(header->sortIndicatorSection(), column);
        // Closed and opened again: newest first.
        w->close();
        QTRY_VERIFY(!app_->historyWindow());
        w = open();
        QCOMPARE(shownIds(w), (QList<int>{5, 4, 3, 2, 1}));
        QCOMPARE(w->grid()->horizontalHeader()->sortIndicatorSection(), -1);
    }

    // A list longer than the grid's window: each way to the oldest call gets there through
    // every call, the list's bar follows, and a selected call stays selected while the
    // window is away from it.
    void longListMovesItsWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("selects"); // the way moves the selection with it
        QTest::newRow("bar dragged") << "drag" << false;
        QTest::newRow("wheel over the list") << "wheel" << false;
        QTest::newRow("Page Down") << "pagedown" << true;
        QTest::newRow("Down") << "down" << true;
        QTest::newRow("Ctrl+End") << "ctrlend" << true;
    }
    void longListMovesItsWindow() {
        QFETCH(QString, how);
        QFETCH(bool, selects);
        const int calls = 300;
        QList<int> rowIds;
        for (int id = 1; id <= calls; ++id)
            rowIds << id;
        seed(rowIds);
        start();
        HistoryWindow *w = open();
        w->model()->setWindowRows(40);
        w->RefreshList();
        QTableView *grid = w->grid();
        QScrollBar *bar = w->listScrollBar();
        QCOMPARE(w->model()->rowCount(), 40);
        QCOMPARE(w->model()->listRowCount(), calls);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(calls));
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), calls - bar->pageStep());
        // The list's bar on the way, and the calls selected.
        QList<int> places, chosen;
        for (int step = 0; step < 2 * calls && bar->value() < bar->maximum(); ++step) {
            if (how == QLatin1String("drag")) {
                dragThumb(bar, step + 1);
            } else if (how == QLatin1String("wheel")) {
                QWheelEvent wheel(QPointF(20, 20), grid->viewport()->mapToGlobal(QPointF(20, 20)),
                                  QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(grid->viewport(), &wheel);
            } else {
                QTest::keyClick(grid,
                                how == QLatin1String("pagedown") ? Qt::Key_PageDown
                                : how == QLatin1String("down")   ? Qt::Key_Down
                                                                 : Qt::Key_End,
                                how == QLatin1String("ctrlend") ? Qt::ControlModifier
                                                                : Qt::NoModifier);
            }
            places << bar->value();
            chosen << w->selectedHistoryId().value_or(0);
            // The call where the list's bar stands is in the grid, in view.
            const int row = w->model()->rowInWindow(bar->value());
            QVERIFY2(row >= 0, qPrintable(QString::number(bar->value())));
            QCOMPARE(w->model()->historyId(row), calls - bar->value());
            QVERIFY(
                grid->visualRect(w->model()->index(row, 0)).intersects(grid->viewport()->rect()));
        }
        QCOMPARE(bar->value(), bar->maximum());
        const QModelIndex oldest = w->model()->index(w->model()->rowCount() - 1, 0);
        QCOMPARE(w->model()->historyId(oldest.row()), 1);
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(oldest)));
        for (int i = 1; i < places.size(); ++i)
            QVERIFY2(places[i] >= places[i - 1], qPrintable(QString::number(i)));
        if (selects) {
            // Down visits every call; the others end on the oldest.
            if (how != QLatin1String("pagedown"))
                QCOMPARE(chosen.last(), 1);
            if (how == QLatin1String("down"))
                QCOMPARE(chosen.size(), calls - 1);
            for (int i = 1; i < chosen.size(); ++i)
                QVERIFY(chosen[i] < chosen[i - 1]);
            QCOMPARE(w->model()->historyId(grid->currentIndex().row()), chosen.last());
        } else {
            QVERIFY(!grid->currentIndex().isValid());
            QVERIFY(
                std::all_of(chosen.cbegin(), chosen.cend(), [](int id) { return id == calls; }));
            // Back at the top, the call is shown selected again.
            dragThumb(bar, 0);
            QCOMPARE(bar->value(), 0);
            QVERIFY(grid->currentIndex().isValid());
            QCOMPARE(w->model()->historyId(grid->currentIndex().row()), calls);
            QVERIFY(grid->selectionModel()->isRowSelected(grid->currentIndex().row()));
        }
        // Ctrl+Home: the newest call, from anywhere.
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(calls));
        QCOMPARE(bar->value(), 0);
        QCOMPARE(w->model()->historyId(grid->rowAt(0)), calls);
    }

    // One click deletes the selected call, asking nothing; 「元に戻す」 in the list's menu or
    // Ctrl+Z brings it back as it was, memo included, and selects it. Only the last deletion,
    // once; a delete of all calls cannot be undone.
    void undoTheLastDeletion_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << "menu";
        QTest::newRow("ctrl+z") << "key";
    }
    void undoTheLastDeletion() {
        QFETCH(QString, how);
        seed({1, 2, 3, 4});
        {
            db::Database d(dbPath());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral("UPDATE 着信履歴 SET メモ = '折り返し', 着信者ID = 7 "
                                          "WHERE 履歴ID = 2")));
        }
        start();
        HistoryWindow *w = open();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        const auto undo = [&] {
            if (how == "menu") {
                QStringList offered;
                rightClickRowAndChoose(w, 0, QStringLiteral("元に戻す"), &offered);
            } else {
                QTest::keyClick(w->grid(), Qt::Key_Z, Qt::ControlModifier);
            }
        };
        // Nothing deleted yet: nothing to undo.
        QVERIFY(!w->canUndo());
        if (how == "key")
            undo();
        QCOMPARE(ids(), (QList<int>{4, 3, 2, 1}));
        clickRow(w, 1);
        click(w, "Picture4(4)");
        QVERIFY(Dialogs::takeAsked().isEmpty());
        clickRow(w, 1);
        click(w, "Picture4(4)"); // 3, then 2: the last deletion is 2
        QCOMPARE(ids(), (QList<int>{4, 1}));
        undo();
        QCOMPARE(ids(), (QList<int>{4, 2, 1}));
        QCOMPARE(memoOf(2), QVariant(QStringLiteral("折り返し")));
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(2));
        QCOMPARE(w->model()->data(w->model()->index(1, 5)).toString(), QStringLiteral("折り返し"));
        QVERIFY(!w->canUndo());
        // Undone once only.
        if (how == "key")
            undo();
        QCOMPARE(ids(), (QList<int>{4, 2, 1}));
        // A delete of everything ends what could be undone.
        click(w, "Picture4(4)");
        QVERIFY(w->canUndo());
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        click(w, "Picture4(5)");
        Dialogs::takeAsked();
        QVERIFY(!w->canUndo());
        QCOMPARE(ids(), QList<int>{});
    }

    void secondPressRaisesTheOpenWindow() {
        start();
        HistoryWindow *w = open();
        click(app_->mainWindow(), "Picture4(6)");
        QCOMPARE(app_->historyWindow(), w);
        QCOMPARE(app_->mainWindow()->findChild<ImageButton *>("Picture4(6)")->shownFace(), 110);
    }

    void callWhileOpenComesFirstAndIsSelected() {
        seed({1, 2, 3});
        startWithTa();
        HistoryWindow *w = open();
        clickRow(w, 2);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(1));
        call("0312345678");
        QTRY_COMPARE(w->model()->rowCount(), 4);
        QCOMPARE(w->model()->historyId(0), 4);
        QCOMPARE(w->grid()->currentIndex().row(), 0);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(4));
        QCOMPARE(w->model()->data(w->model()->index(0, 2)).toString(),
                 QStringLiteral("0312345678"));
    }

    void deleteSelectedAfterOpeningAndTwice() {
        seed({0, 1, 2, 3, 4});
        start();
        HistoryWindow *w = open();
        // Right after opening: the newest goes.
        click(w, "Picture4(4)");
        QCOMPARE(ids(), (QList<int>{3, 2, 1, 0}));
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(3));
        // The chosen call, then the newest.
        clickRow(w, 2);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(1));
        click(w, "Picture4(4)");
        QCOMPARE(ids(), (QList<int>{3, 2, 0}));
        click(w, "Picture4(4)");
        QCOMPARE(ids(), (QList<int>{2, 0}));
        QCOMPARE(w->model()->rowCount(), 2);
        QCOMPARE(w->findChild<ImageButton *>("Picture4(4)")->shownFace(), 212);
    }

    void deleteAll_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::newRow("ok") << int(Dialogs::Answer::Ok) << true;
        QTest::newRow("cancel") << int(Dialogs::Answer::Cancel) << false;
    }

    void deleteAll() {
        QFETCH(int, answer);
        QFETCH(bool, deleted);
        seed({5, 6});
        startWithTa();
        HistoryWindow *w = open();
        call("0311112222");
        QTRY_COMPARE(w->model()->rowCount(), 3);
        QCOMPARE(w->model()->historyId(0), 7);
        Dialogs::setNextAnswer(Dialogs::Answer(answer));
        click(w, "Picture4(5)");
        const QList<Dialogs::MessageBox> asked = Dialogs::takeAsked();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].text, QStringLiteral("すべての着信履歴を削除します。"));
        QCOMPARE(asked[0].title, QStringLiteral("着信履歴削除の確認"));
        QCOMPARE(asked[0].icon, Dialogs::Icon::Question);
        QCOMPARE(asked[0].buttons, Dialogs::Buttons::OkCancel);
        QCOMPARE(asked[0].defaultButton, std::optional<Dialogs::Answer>(Dialogs::Answer::Cancel));
        QVERIFY(asked[0].systemModal);
        QCOMPARE(w->findChild<ImageButton *>("Picture4(5)")->shownFace(), 214);
        QCOMPARE(ids(), deleted ? QList<int>{} : (QList<int>{7, 6, 5}));
        QCOMPARE(w->model()->rowCount(), deleted ? 0 : 3);
        QCOMPARE(w->selectedHistoryId().has_value(), !deleted);
        // The next call into the emptied table takes the id after the one given last, so a memo
        // still open on a deleted call never lands on it.
        call("0399998888");
        QTRY_COMPARE(w->model()->rowCount(), deleted ? 1 : 4);
        QCOMPARE(w->model()->historyId(0), 8);
    }

    // The editor opened on one call, another selected before saving: the memo goes to the
    // call the editor shows, and the row selected meanwhile stays selected and untouched.
    void editorSavesToTheCallItShows() {
        seed({1, 2, 3, 4, 5});
        start();
        HistoryWindow *w = open();
        auto *frame = w->findChild<QGroupBox *>("Frame1");
        QVERIFY(!frame->isVisible());
        clickRow(w, 2);
        click(w, "Picture4(2)");
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->title(), QStringLiteral("メモの編集"));
        QCOMPARE(frame->findChild<QLabel *>("Label1(2)")->text(), QStringLiteral("033"));
        QCOMPARE(frame->findChild<QLabel *>("Label1(0)")->text(), QStringLiteral("2024/05/3"));
        // Centred in the window.
        QCOMPARE(frame->geometry().center().x(), w->rect().center().x());
        auto *text = frame->findChild<QPlainTextEdit *>("Text1");
        QVERIFY(text->hasFocus() || !w->isActiveWindow());
        clickRow(w, 0);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(5));
        text->setPlainText(QString());
        typeText(text, QStringLiteral("<b>折返し</b> \"要\""));
        QTest::keyClick(text, Qt::Key_Return);
        typeText(text, QStringLiteral("二行目"));
        const QString memo = QStringLiteral("<b>折返し</b> \"要\"\n二行目");
        QCOMPARE(text->toPlainText(), memo);
        click(frame, "Picture17(0)", 75, 35);
        QVERIFY(!frame->isVisible());
        QCOMPARE(memoOf(3), QVariant(memo));
        QCOMPARE(memoOf(5), QVariant());
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(5));
        QCOMPARE(w->model()->data(w->model()->index(2, 5)).toString(), memo);

        // Saving on a row further down keeps that row selected after the refresh.
        clickRow(w, 3);
        click(w, "Picture4(2)");
        text->setPlainText(QStringLiteral("二つ目"));
        click(frame, "Picture17(0)");
        QCOMPARE(memoOf(2), QVariant(QStringLiteral("二つ目")));
        QCOMPARE(w->grid()->currentIndex().row(), 3);
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(2));

        // Close writes nothing.
        click(w, "Picture4(2)");
        text->setPlainText(QStringLiteral("捨てる"));
        click(frame, "Picture17(1)");
        QVERIFY(!frame->isVisible());
        QCOMPARE(memoOf(2), QVariant(QStringLiteral("二つ目")));
    }

    void doubleClickOnlyOnTheMemoColumn() {
        seed({1, 2});
        start();
        HistoryWindow *w = open();
        auto *frame = w->findChild<QGroupBox *>("Frame1");
        doubleClickCell(w, 1, 0);
        QVERIFY(!frame->isVisible());
        doubleClickCell(w, 1, 5);
        QVERIFY(frame->isVisible());
        QCOMPARE(frame->findChild<QLabel *>("Label1(2)")->text(), QStringLiteral("031"));
    }

    void hiddenIdZeroOpensNothing() {
        seed({0});
        start();
        HistoryWindow *w = open();
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(0));
        click(w, "Picture4(2)");
        QVERIFY(!w->findChild<QGroupBox *>("Frame1")->isVisible());
        doubleClickCell(w, 0, 5);
        QVERIFY(!w->findChild<QGroupBox *>("Frame1")->isVisible());
    }

    void emptyHistoryStaysUsable() {
        start();
        HistoryWindow *w = open();
        QSignalSpy registered(w, &HistoryWindow::registerRequested);
        QCOMPARE(w->model()->rowCount(), 0);
        QVERIFY(!w->selectedHistoryId());
        // The list's bar only when the list does not fit, as the grid's own bar was.
        QVERIFY(w->listScrollBar()->isHidden());
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseDClick(w->grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        for (int i : {2, 3, 4})
            click(w, QStringLiteral("Picture4(%1)").arg(i));
        Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        click(w, "Picture4(5)");
        QCOMPARE(registered.size(), 0);
        QVERIFY(!w->findChild<QGroupBox *>("Frame1")->isVisible());
        QVERIFY(w->isVisible());
        QCOMPARE(w->model()->rowCount(), 0);
    }

    void registerAsksWithTheSelectedId() {
        seed({1, 2, 3});
        start();
        HistoryWindow *w = open();
        QSignalSpy registered(w, &HistoryWindow::registerRequested);
        ImageButton *b = w->findChild<ImageButton *>("Picture4(3)");
        QCOMPARE(b->toolTip(), QStringLiteral("着信情報を電話帳に登録。"));
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 111);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(b->shownFace(), 112);
        clickRow(w, 1);
        click(w, "Picture4(3)");
        QCOMPARE(registered.size(), 2);
        QCOMPARE(registered[0][0].value<qint32>(), 3);
        QCOMPARE(registered[1][0].value<qint32>(), 2);
    }

    void releaseOutsideRunsNothing_data() {
        QTest::addColumn<int>("item");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<Qt::MouseButton>("mouseButton");
        QTest::addColumn<int>("face");
        QTest::newRow("close, right of it") << 0 << QPoint(33, 5) << Qt::LeftButton << 104;
        QTest::newRow("on top, below it") << 1 << QPoint(5, 33) << Qt::LeftButton << 116;
        QTest::newRow("memo, left of it") << 2 << QPoint(-1, 5) << Qt::LeftButton << 106;
        QTest::newRow("register, above it") << 3 << QPoint(5, -1) << Qt::LeftButton << 112;
        QTest::newRow("delete, outside") << 4 << QPoint(40, 40) << Qt::LeftButton << 212;
        QTest::newRow("delete, right button") << 4 << QPoint(5, 5) << Qt::RightButton << 212;
        QTest::newRow("delete all, outside") << 5 << QPoint(33, 33) << Qt::LeftButton << 214;
    }

    void releaseOutsideRunsNothing() {
        QFETCH(int, item);
        QFETCH(QPoint, release);
        QFETCH(Qt::MouseButton, mouseButton);
        QFETCH(int, face);
        seed({1, 2});
        start();
        HistoryWindow *w = open();
        QSignalSpy registered(w, &HistoryWindow::registerRequested);
        ImageButton *b = w->findChild<ImageButton *>(QStringLiteral("Picture4(%1)").arg(item));
        QTest::mousePress(b, mouseButton, {}, QPoint(5, 5));
        QTest::mouseRelease(b, mouseButton, {}, release);
        QCOMPARE(b->shownFace(), face);
        QCOMPARE(ids(), (QList<int>{2, 1}));
        QVERIFY(app_->historyWindow());
        QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!w->findChild<QGroupBox *>("Frame1")->isVisible());
        QCOMPARE(registered.size(), 0);
        QCOMPARE(Dialogs::takeAsked().size(), 0);
    }

    // Compaction closes the window, which writes its layout and lets go of the file.
    void compactionClosesTheWindow() {
        seed({1});
        start();
        HistoryWindow *w = open();
        w->move(TwipsToPixelsX(3000), TwipsToPixelsY(1500));
        app_->state().announceCompactionStarting();
        QTRY_VERIFY(!app_->historyWindow());
        HistoryLayout back;
        QVERIFY(ReadHistoryLayoutFile(layoutPath(), back));
        QCOMPARE(back.Left, 3000);
        QCOMPARE(back.Top, 1500);
    }

    // A call database that cannot record calls is said here too, and the notice goes when a
    // call is recorded again.
    void unusableDatabaseIsSaid() {
        const QString path = Program::DatabasePath();
        startWithTa();
        HistoryWindow *w = open();
        QVERIFY(w);
        auto *notice = w->findChild<QLabel *>(QStringLiteral("HistoryNotice"));
        QVERIFY(notice);
        QVERIFY(notice->isHidden());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "locker");
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
            call("0471234567");
            QVERIFY(handled.wait(10000));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QVERIFY(!notice->isHidden());
        QCOMPARE(notice->text(), QStringLiteral("着信履歴に記録できません（使用中です）"));
        QSignalSpy handled(&app_->callHandler(), &CallHandler::callHandled);
        call("0471234567");
        QVERIFY(handled.wait(10000));
        QVERIFY(notice->isHidden());
    }

    // The list's context menu, as a user has it: a right-click on a row, 「CSVで保存…」 chosen
    // with the mouse, a file name given in the chooser (or the chooser cancelled). The list
    // selects one row at a time, so the whole history is saved; the result is said in a box.
    void contextMenuSavesTheHistoryAsCsv_data() {
        QTest::addColumn<QString>("chosen"); // "@" is the program's folder; empty: cancelled
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("failureSaid");
        QTest::newRow("saved") << "@/着信履歴.csv" << true << false;
        QTest::newRow("cancelled") << "" << false << false;
        QTest::newRow("missing folder") << "@/no/such/着信履歴.csv" << false << true;
    }
    void contextMenuSavesTheHistoryAsCsv() {
        QFETCH(QString, chosen);
        QFETCH(bool, written);
        QFETCH(bool, failureSaid);
        chosen.replace("@", Program::AppFolder);
        seed({1, 2, 3});
        {
            db::Database d(dbPath());
            QSqlQuery q(d.sqlDatabase());
            QVERIFY(q.exec(QStringLiteral(
                "UPDATE 着信履歴 SET メモ = '至急, \"折り返し\"' || char(10) || '済' "
                "WHERE 履歴ID = 2")));
        }
        start();
        HistoryWindow *w = open();
        QVERIFY(w);
        FileChooser::resetForTest();
        FileChooser::setNextFileName(chosen);
        if (!chosen.isEmpty())
            Dialogs::setNextAnswer(Dialogs::Answer::Ok);
        QStringList offered;
        rightClickRowAndChoose(w, 1, QStringLiteral("CSVで保存…"), &offered);
        QCOMPARE(offered, (QStringList{QStringLiteral("元に戻す"), QStringLiteral("CSVで保存…"),
                                       QString(), QStringLiteral("迷惑電話として登録…"),
                                       QStringLiteral("迷惑電話の登録を解除")}));
        // The right-click selected the row under the pointer, as a left click does.
        QCOMPARE(w->selectedHistoryId(), std::optional<qint32>(2));

        const QList<FileChooser::Request> asked = FileChooser::takeAsked();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].save);
        QCOMPARE(asked[0].suggestedName, QStringLiteral("着信履歴.csv"));
        QCOMPARE(asked[0].filter, QStringLiteral("CSV (*.csv)"));
        if (written)
            QCOMPARE(readAll(chosen),
                     QByteArray("\xEF\xBB\xBF日時,時間,電番,氏名,住所,郵便番号,メモ,迷惑理由\r\n"
                                "2024/05/3,10:00:3,033,名前3,,,,\r\n"
                                "2024/05/2,10:00:2,032,名前2,,,\"至急, \"\"折り返し\"\"\n済\",\r\n"
                                "2024/05/1,10:00:1,031,名前1,,,,\r\n"));
        else
            QVERIFY(chosen.isEmpty() || !QFile::exists(chosen));
        const QList<Dialogs::MessageBox> boxes = Dialogs::takeAsked();
        QCOMPARE(boxes.size(), chosen.isEmpty() ? 0 : 1);
        if (written) {
            // Success is said too: how many calls, and where.
            QCOMPARE(boxes[0].text, QStringLiteral("3件をCSVファイルに保存しました。\n") + chosen);
            QCOMPARE(boxes[0].icon, Dialogs::Icon::Information);
            QCOMPARE(boxes[0].title, QStringLiteral("着信履歴"));
        }
        if (failureSaid) {
            QVERIFY2(
                boxes[0].text.startsWith(QStringLiteral("CSVファイルに保存できませんでした。\n")),
                qPrintable(boxes[0].text));
            QVERIFY2(boxes[0].text.contains(chosen), qPrintable(boxes[0].text));
            QCOMPARE(boxes[0].icon, Dialogs::Icon::Exclamation);
            QCOMPARE(boxes[0].title, QStringLiteral("着信履歴"));
            QCOMPARE(boxes[0].buttons, Dialogs::Buttons::Ok);
            QVERIFY(!boxes[0].systemModal);
        }
        // The window goes on as before.
        QCOMPARE(w->model()->rowCount(), 3);
        FileChooser::resetForTest();
    }

    // The list's menu marks the number of the call under the pointer, with the reason typed,
    // and takes the mark off again.
    void contextMenuMarksTheNumber_data() {
        QTest::addColumn<QString>("reason"); // typed; empty: the dialog cancelled
        QTest::newRow("marked") << "しつこい勧誘";
        QTest::newRow("cancelled") << "";
    }

    void contextMenuMarksTheNumber() {
        QFETCH(QString, reason);
        seed({1, 2, 3});
        start();
        HistoryWindow *w = open();
        QVERIFY(w);
        Dialogs::setNextText(reason.isEmpty() ? std::optional<QString>() : reason);
        QStringList offered;
        rightClickRowAndChoose(w, 1, QStringLiteral("迷惑電話として登録…"), &offered);
        {
            db::Database d(dbPath());
            const QList<db::NuisanceMark> marks = db::ReadNuisanceMarks(d);
            QCOMPARE(marks.size(), reason.isEmpty() ? 0 : 1);
            if (!reason.isEmpty()) {
                QCOMPARE(marks.first().Number, QStringLiteral("032"));
                QCOMPARE(marks.first().Reason, reason);
            }
        }
        if (reason.isEmpty())
            return;
        rightClickRowAndChoose(w, 1, QStringLiteral("迷惑電話の登録を解除"), &offered);
        db::Database d(dbPath());
        QVERIFY(db::ReadNuisanceMarks(d).isEmpty());
    }

private:
    // A right button pressed and released on the row, the context menu the desktop then asks
    // for, and the entry `text` clicked in the menu that opens. `offered`: the menu's entries.
    static void rightClickRowAndChoose(HistoryWindow *w, int row, const QString &text,
                                       QStringList *offered) {
        QWidget *viewport = w->grid()->viewport();
        const QPoint at = w->grid()->visualRect(w->model()->index(row, 0)).center();
        QTest::mousePress(viewport, Qt::RightButton, {}, at);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
        bool chosen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            poll.stop();
            for (QAction *a : menu->actions())
                offered->append(a->text());
            for (QAction *a : menu->actions())
                if (a->text() == text) {
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
                    chosen = true;
                    return;
                }
            menu->close();
        });
        poll.start();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        poll.stop();
        QVERIFY2(chosen, qPrintable(text));
    }

    static void clickHeading(HistoryWindow *w, int column) {
        QHeaderView *header = w->grid()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    static QList<int> shownIds(HistoryWindow *w) {
        QList<int> out;
        for (int r = 0; r < w->model()->rowCount(); ++r)
            out << w->model()->historyId(r);
        return out;
    }

    static QList<int> columnWidths(HistoryWindow *w) {
        QList<int> out;
        for (int c = 0; c < 6; ++c)
            out << w->grid()->columnWidth(c);
        return out;
    }

    static QString layoutPath() { return Program::filePath(QStringLiteral("Rireki.ini")); }
    static QString dbPath() { return Program::DatabasePath(); }

    // History rows with these ids: number "03" + id, name "名前" + id.
    static void seed(const QList<int> &rowIds) {
        db::Database d(dbPath());
        QSqlQuery q(d.sqlDatabase());
        for (int id : rowIds) {
            q.prepare(
                QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 着信者ID) "
                               "VALUES (?, ?, ?, ?, ?, 0)"));
            q.addBindValue(id);
            q.addBindValue(QStringLiteral("2024/05/%1").arg(id));
            q.addBindValue(QStringLiteral("10:00:%1").arg(id));
            q.addBindValue(QStringLiteral("03%1").arg(id));
            q.addBindValue(QStringLiteral("名前%1").arg(id));
            QVERIFY(q.exec());
        }
    }

    static QList<int> ids() {
        db::Database d(dbPath());
        QSqlQuery q(d.sqlDatabase());
        q.exec(QStringLiteral("SELECT 履歴ID FROM 着信履歴 ORDER BY 履歴ID DESC"));
        QList<int> out;
        while (q.next())
            out << q.value(0).toInt();
        return out;
    }

    static QVariant memoOf(int id) {
        db::Database d(dbPath());
        QSqlQuery q(d.sqlDatabase());
        q.prepare(QStringLiteral("SELECT メモ FROM 着信履歴 WHERE 履歴ID = ?"));
        q.addBindValue(id);
        if (!q.exec() || !q.next() || q.isNull(0))
            return QVariant();
        return q.value(0);
    }

    void start(const QString &device = QString()) {
        Settings s;
        s.ShowDate = 0;
        s.PortNumber = 0;
        s.PortName = device;
        QVERIFY(WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s));
        app_ = std::make_unique<KolvaneApp>();
        app_->mainWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(app_->mainWindow()));
    }

    void startWithTa() {
        sim_ = std::make_unique<TaSim>();
        QVERIFY(!sim_->device().isEmpty());
        start(sim_->device());
        QTRY_VERIFY(!app_->state().firstActivation());
    }

    void call(const QByteArray &field) { sim_->send(field + "\n"); }

    HistoryWindow *open() {
        click(app_->mainWindow(), "Picture4(6)");
        HistoryWindow *w = app_->historyWindow();
        if (w)
            (void)QTest::qWaitForWindowExposed(w);
        return w;
    }

    static void click(QWidget *in, const QString &name, int x = 5, int y = 5) {
        ImageButton *b = in->findChild<ImageButton *>(name);
        QVERIFY2(b, qPrintable(name));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(x, y));
    }

    // The bar's thumb pressed, moved to where the bar's value is `value`, and released.
    static void dragThumb(QScrollBar *bar, int value) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = option.sliderValue = bar->value();
        option.pageStep = bar->pageStep();
        option.singleStep = bar->singleStep();
        const QRect groove = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                          QStyle::SC_ScrollBarGroove, bar);
        const QRect thumb = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                         QStyle::SC_ScrollBarSlider, bar);
        const QPoint from = thumb.center();
        const int span = groove.height() - thumb.height();
        const QPoint to(from.x(), groove.top() + (from.y() - thumb.top()) +
                                      QStyle::sliderPositionFromValue(bar->minimum(),
                                                                      bar->maximum(), value, span));
        const auto send = [bar](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
            QMouseEvent e(type, at, bar->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(bar, &e);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    static void clickRow(HistoryWindow *w, int row) {
        const QRect cell = w->grid()->visualRect(w->model()->index(row, 0));
        QVERIFY(cell.isValid());
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    static void doubleClickCell(HistoryWindow *w, int row, int column) {
        w->grid()->scrollTo(w->model()->index(row, column));
        const QRect cell =
            w->grid()->visualRect(w->model()->index(row, column)) & w->grid()->viewport()->rect();
        QVERIFY(cell.isValid());
        // A user's double-click: press, release, then the second press that the window system
        // reports as a double-click, and its release.
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(w->grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    std::unique_ptr<TestDesktop> desktop_;
    std::unique_ptr<TaSim> sim_;
    std::unique_ptr<KolvaneApp> app_;
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_historywindow.moc"
