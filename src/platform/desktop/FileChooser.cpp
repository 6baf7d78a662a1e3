#include "platform/desktop/FileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>
#include <QRegularExpression>
#include <QStandardPaths>

namespace FileChooser {
namespace {

QQueue<QString> nextNames;
QList<Request> asked;

// The current file when its folder is there (the chooser selects it), else the current folder,
// which is the program's folder.
QString StartOf(const QString &currentFile) {
    if (!currentFile.trimmed().isEmpty()) {
        const QFileInfo file(currentFile);
        if (file.absoluteDir().exists())
            return file.absoluteFilePath();
    }
    return QDir::currentPath();
}

QString Choose(QWidget *owner, const QString &filter, bool preview, const QString &currentFile) {
    Request request;
    request.title = QStringLiteral("ファイルを開く");
    request.filter = filter;
    request.preview = preview;
    request.start = StartOf(currentFile);
    if (!nextNames.isEmpty()) {
        asked.append(request);
        return nextNames.dequeue();
    }
    // The file must exist; the desktop's chooser says so itself when it does not.
    return QFileDialog::getOpenFileName(owner, request.title, request.start, filter);
}

} // namespace

QString OpenFileWithPreview(QWidget *owner, const QString &filter, const QString &currentFile) {
    return Choose(owner, filter, true, currentFile);
}

QString OpenFile(QWidget *owner, const QString &filter, const QString &currentFile) {
    return Choose(owner, filter, false, currentFile);
}

QString SaveFile(QWidget *owner, const QString &title, const QString &suggestedName,
                 const QString &filter) {
    Request request;
    request.title = title;
    request.filter = filter;
    request.save = true;
    request.suggestedName = suggestedName;
    if (!nextNames.isEmpty()) {
        asked.append(request);
        return nextNames.dequeue();
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(owner, title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(suggestedName);
    // A name typed without an ending gets the filter's ("calls" → "calls.csv"), and the
    // question before replacing a file is asked about the name that is then written.
    static const QRegularExpression ending(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch m = ending.match(filter);
    if (m.hasMatch())
        dialog.setDefaultSuffix(m.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
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
