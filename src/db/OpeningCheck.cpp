#include "db/OpeningCheck.h"

#include "db/Database.h"

#include <QThread>

namespace db {

OpeningCheck::OpeningCheck(const QString &path, QObject *parent) : QObject(parent), path_(path) {}

OpeningCheck::~OpeningCheck() {
    if (thread_) {
        stop_.stop();
        thread_->wait();
        delete thread_;
    }
}

void OpeningCheck::start() {
    if (thread_)
        return;
    thread_ = QThread::create([this] {
        const Database opened(path_, stop_);
        problem_ = ProblemText(opened.problem());
    });
    connect(thread_, &QThread::finished, this, [this] { emit finished(problem_); });
    thread_->start();
}

} // namespace db
