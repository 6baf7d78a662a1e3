#pragma once

#include <QObject>
#include <QPointer>

class QWidget;
class RunState;
class TaLink;
namespace db {
class CompactionJob;
}

// Compacting Kolvane.mdb at the double-click on the main window's title icon: asked first,
// then done off the window's thread while the call path waits; the windows that hold the file
// close themselves when the run state announces it, and a report that came meanwhile is read
// at the end.
class CompactionCommand : public QObject {
    Q_OBJECT
public:
    CompactionCommand(RunState &state, TaLink &link, QObject *parent = nullptr);

    // Asks over `window` (a double-click while a compaction runs does nothing), then starts.
    void CompactCallDatabase(QWidget *window);

private:
    void OnCompactionDone(bool ok, const QString &failure);

    RunState &state_;
    TaLink &link_;
    QPointer<QWidget> window_;
    QPointer<db::CompactionJob> job_;
};
