// Times the call-history window on its real model, at 100 to 1 000 000 calls: (a) the main
// window's history button pressed to the window shown with its first screen of rows, (b) a
// call recorded by the call path while the window is open to the row shown at the top,
// (c) delete selected on the newest call and on one in the middle, (d) the memory the open
// window adds, scrolled to the end and about, (e) a click on each heading (from the smallest
// up, then the other way) to the first screen of rows in that order, and a jump to the middle
// and to the end of the sorted list, (f) the sorting indexes made for an older file at its
// first opening. Prints median and worst per case.
//
// Usage: bench_history [--data DIR] [--calls N]
//   DIR keeps the generated databases between runs (default: the build tree's bench/data);
//   N is the number of timed runs per case (default 11).
//   KOLVANE_BENCH_ONLY_LARGEST=1 runs the million alone (its memory then starts from a
//   process that has not held the smaller lists).

#include "app/KolvaneApp.h"
#include "callerid/CallHandler.h"
#include "db/Database.h"
#include "db/History.h"
#include "db/Schema.h"
#include "platform/Clock.h"
#include "settings/Program.h"
#include "settings/SettingsFile.h"
#include "ui/chrome/ImageButton.h"
#include "ui/history/HistoryModel.h"
#include "ui/history/HistoryWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <cstdio>

#include "BenchSupport.h"

namespace {

// Resident memory of this process in KiB.
qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// A press and a release inside the button, as the user gives them.
void press(ImageButton *button) {
    const QPointF at(5, 5);
    QMouseEvent down(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &up);
}

// A click on a heading of the list, as the user gives it.
void clickHeading(HistoryWindow *w, int column) {
    QHeaderView *header = w->grid()->horizontalHeader();
    const QPointF at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                     header->height() / 2);
    QWidget *target = header->viewport();
    QMouseEvent down(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &up);
}

// The rows in view drawn (every cell asked of the model).
void paintRows(HistoryWindow *w) {
    (void)w->grid()->viewport()->grab();
}

// A Kolvane.mdb with `calls` history rows in `folder`, made once and kept between runs (a
// run deletes a few rows; they are put back).
bool prepareFolder(const QString &folder, int calls) {
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("Kolvane.mdb"));
    QFile::remove(QDir(folder).filePath(QStringLiteral("Rireki.ini")));
    int have = 0;
    {
        db::Database d(path);
        QSqlQuery q(d.sqlDatabase());
        if (!d.isOpen() || !q.exec(QStringLiteral("SELECT COUNT(*) FROM 着信履歴")) || !q.next())
            return false;
        have = q.value(0).toInt();
    }
    return have >= calls || FillHistory(path, calls - have);
}

// The open figure of the smallest size, for the ratios.
double smallestOpen = 0;

void runSize(int calls, int runs, const QString &dataDir) {
    const QString folder = QDir(dataDir).filePath(QStringLiteral("history-%1").arg(calls));
    if (!prepareFolder(folder, calls)) {
        out << "  cannot prepare " << folder << "\n";
        return;
    }
    Program::AppFolder = folder;
    Settings s;
    s.PortNumber = 0; // no TA: the call path is driven directly
    WriteSettingsFile(Program::filePath(QStringLiteral("Kolvane.ini")), s);
    KolvaneApp program;
    program.mainWindow()->show();
    QApplication::processEvents();
    auto *historyButton = program.mainWindow()->findChild<ImageButton *>("Picture4(6)");
    const QString size = QStringLiteral("%1 calls").arg(calls);
    QElapsedTimer t;

    // (a) Pressed to shown with the first screen of rows.
    Figures open;
    for (int i = 0; i < runs + 1; ++i) {
        t.start();
        press(historyButton);
        HistoryWindow *w = program.historyWindow();
        QApplication::processEvents();
        (void)w->grab();
        if (i > 0) // the first opening also loads fonts and pictures
            open.add(t.nsecsElapsed());
        w->close();
        QApplication::processEvents();
    }
    if (smallestOpen <= 0)
        smallestOpen = open.median();
    printRow(QStringLiteral("(a) open, %1").arg(size), open,
             QStringLiteral("x%1 of the smallest").arg(open.median() / smallestOpen, 0, 'f', 2));

    // (d) Memory over the closed window, open and scrolled to the end and about.
    const qint64 closedKiB = residentKiB();
    press(historyButton);
    HistoryWindow *w = program.historyWindow();
    QApplication::processEvents();
    (void)w->grab();
    QScrollBar *scroll = w->listScrollBar();
    scroll->setValue(scroll->maximum());
    paintRows(w);
    const qint64 endKiB = residentKiB();
    QRandomGenerator random(14);
    for (int i = 0; i < 200; ++i) {
        scroll->setValue(random.bounded(scroll->maximum() + 1));
        paintRows(w);
    }
    scroll->setValue(scroll->maximum());
    paintRows(w);
    const qint64 aboutKiB = residentKiB();
    out << QStringLiteral("  (d) memory, %1: +%2 MB at the end, +%3 MB after 200 jumps "
                          "(%4 pages held)\n")
               .arg(size)
               .arg(double(endKiB - closedKiB) / 1024, 0, 'f', 1)
               .arg(double(aboutKiB - closedKiB) / 1024, 0, 'f', 1)
               .arg(w->model()->list().pagesHeld());
    w->RefreshList();

    // (b) A call recorded while the window is open, to the row shown at the top.
    Figures call, refresh;
    for (int i = 0; i < runs; ++i) {
        t.start();
        program.callHandler().HandleIncomingCall(QStringLiteral("0312345678"), Clock::now());
        paintRows(w);
        call.add(t.nsecsElapsed());
        if (w->model()->historyId(0) != program.state().call().HistoryId ||
            w->grid()->currentIndex().row() != 0)
            out << "  the new call is not at the top!\n";
        t.start();
        w->RefreshList();
        paintRows(w);
        refresh.add(t.nsecsElapsed());
    }
    printRow(QStringLiteral("(b) call to top row, %1").arg(size), call);
    printRow(QStringLiteral("    the window's refresh alone, %1").arg(size), refresh);

    // (c) Delete selected: the newest, and a call in the middle.
    auto *deleteButton = w->findChild<ImageButton *>("Picture4(4)");
    Figures newest, middle;
    for (int i = 0; i < runs; ++i) {
        const int before = w->model()->listRowCount();
        t.start();
        press(deleteButton);
        paintRows(w);
        newest.add(t.nsecsElapsed());
        if (w->model()->listRowCount() != before - 1)
            out << "  delete newest deleted nothing!\n";
    }
    printRow(QStringLiteral("(c) delete newest, %1").arg(size), newest);
    for (int i = 0; i < runs; ++i) {
        const int before = w->model()->listRowCount();
        scroll->setValue(scroll->maximum() / 2);
        w->grid()->setCurrentIndex(w->grid()->indexAt(QPoint(5, 5)));
        paintRows(w);
        t.start();
        press(deleteButton);
        paintRows(w);
        middle.add(t.nsecsElapsed());
        if (w->model()->listRowCount() != before - 1)
            out << "  delete middle deleted nothing!\n";
    }
    printRow(QStringLiteral("(c) delete middle, %1").arg(size), middle);

    // (e) Each heading clicked: the list in that order, up then down, to the first screen; then
    // the middle and the end of the sorted list.
    for (int column = 0; column < 6; ++column) {
        const QString name = w->model()->headerData(column, Qt::Horizontal).toString();
        Figures up, down, jumps;
        for (int i = 0; i < runs; ++i) {
            for (Figures *f : {&up, &down}) {
                t.start();
                clickHeading(w, column);
                paintRows(w);
                f->add(t.nsecsElapsed());
            }
            for (const int top : {scroll->maximum() / 2, scroll->maximum()}) {
                t.start();
                scroll->setValue(top);
                paintRows(w);
                jumps.add(t.nsecsElapsed());
            }
        }
        if (w->grid()->horizontalHeader()->sortIndicatorSection() != column)
            out << "  the heading did not sort!\n";
        printRow(
            QStringLiteral("(e) sort by %1 up, %2").arg(name, size), up,
            QStringLiteral("x%1 of this size's open").arg(up.median() / open.median(), 0, 'f', 2));
        printRow(QStringLiteral("    sort by %1 down, %2").arg(name, size), down,
                 QStringLiteral("x%1 of this size's open")
                     .arg(down.median() / open.median(), 0, 'f', 2));
        printRow(QStringLiteral("    %1 sorted: to the middle / the end, %2").arg(name, size),
                 jumps);
    }
    w->close();
    QApplication::processEvents();

    // (f) An older file: the sorting indexes made at its first opening (once; kept after).
    {
        db::Database d(Program::DatabasePath());
        QSqlQuery q(d.sqlDatabase());
        for (const QString &statement : db::schema::historySortStatements())
            q.exec(QStringLiteral("DROP INDEX IF EXISTS ") +
                   statement.section(QLatin1Char(' '), 2, 2));
    }
    // Timed from the first opening after: that opening makes them.
    t.start();
    db::Database upgraded(Program::DatabasePath());
    const qint64 upgrade = t.nsecsElapsed();
    out << QStringLiteral("  (f) sorting indexes made for an older file, %1: %2 ms (%3; "
                          "the file %4 MB)\n")
               .arg(size)
               .arg(double(upgrade) / 1e6, 0, 'f', 0)
               .arg(upgraded.hasHistorySort() ? QStringLiteral("made") : QStringLiteral("FAILED"))
               .arg(double(QFileInfo(Program::DatabasePath()).size()) / 1048576, 0, 'f', 0);
}

} // namespace

int main(int argc, char **argv) {
    // The offscreen platform's notes on masks and raising are not figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type != QtWarningMsg && type != QtInfoMsg && type != QtDebugMsg)
            fprintf(stderr, "%s\n", qPrintable(text));
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString dataDir = QStringLiteral(KOLVANE_BENCH_DATA_DIR);
    int runs = 11;
    QList<int> sizes{100, 10000, 1000000};
    if (!ParseBenchArguments(app.arguments(), dataDir, runs, &sizes))
        return 2;
    QDir().mkpath(dataDir);
    printHeader(QStringLiteral("Call-history window on its real model"));
    const bool onlyLargest = qEnvironmentVariableIsSet("KOLVANE_BENCH_ONLY_LARGEST");
    for (int calls : sizes)
        if (!onlyLargest || calls == sizes.last())
            runSize(calls, runs, dataDir);
    return 0;
}
