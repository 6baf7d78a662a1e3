#include "platform/desktop/FileChooser.h"

#include <QFileDialog>
#include <QQueue>

namespace FileChooser {
namespace {

QQueue<QString> nextNames;
QList<Request> asked;

QString Choose(QWidget *owner, const QString &filter, bool preview) {
    const Request request{QStringLiteral("ファイルを開く"), filter, preview};
    if (!nextNames.isEmpty()) {
        asked.append(request);
        return nextNames.dequeue();
    }
    // The file must exist; the desktop's chooser says so itself when it does not.
    return QFileDialog::getOpenFileName(owner, request.title, QString(), filter);
}

} // namespace

QString OpenFileWithPreview(QWidget *owner, const QString &filter) {
    return Choose(owner, filter, true);
}

QString OpenFile(QWidget *owner, const QString &filter) {
    return Choose(owner, filter, false);
}

QString SaveFile(QWidget *owner, const QString &filter, const QString &name) {
    const Request request{QStringLiteral("名前を付けて保存"), filter, false};
    if (!nextNames.isEmpty()) {
        asked.append(request);
        return nextNames.dequeue();
    }
    return QFileDialog::getSaveFileName(owner, request.title, name, filter);
}

void setNextFileName(const QString &path) {
    nextNames.enqueue(path);
}

QList<Request> takeAsked() {
    QList<Request> taken;
    taken.swap(asked);
    return taken;
}

void resetForTest() {
    nextNames.clear();
    asked.clear();
}

} // namespace FileChooser
