#pragma once

#include <QObject>
#include <QString>

#include "db/DatabaseHealth.h"

class QThread;

namespace db {

// The first opening of a run on a thread of its own: the whole file read for damage, a file
// made before the kept count or number keys given them. Start is then the same at any size of
// the history, and the first call usually finds the file known sound.
class OpeningCheck : public QObject {
    Q_OBJECT
public:
    explicit OpeningCheck(const QString &path, QObject *parent = nullptr);
    // Stops the check and waits for the thread (a moment, whatever the file's size).
    ~OpeningCheck() override;
    void start();
    bool started() const { return thread_ != nullptr; }

signals:
    // The reason the file cannot be used in the program's words, empty when it can.
    void finished(const QString &problem);

private:
    QString path_;
    QString problem_;
    CheckStop stop_;
    QThread *thread_ = nullptr;
};

} // namespace db
