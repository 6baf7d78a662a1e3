#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// One program per folder: a lock file in the folder ("Kolvane.lock"), taken over when the
// program that held it is gone, and a local socket through which a second start asks the
// running program to bring its window forward.
class ProgramLock : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        Acquired,       // this program runs the folder
        AskedToShow,    // another one does and was asked to show its window
        AlreadyRunning, // another one does and could not be asked
    };

    explicit ProgramLock(const QString &folder, QObject *parent = nullptr);
    ~ProgramLock() override;

    Outcome acquire();

    // The lock file of a folder.
    static QString lockPath(const QString &folder);

signals:
    // A second start asked for the window.
    void showRequested();

private:
    bool ask() const;

    QString folder_;
    QLockFile lock_;
    QLocalServer *server_ = nullptr;
};
