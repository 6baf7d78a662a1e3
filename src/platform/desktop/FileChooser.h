#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// The open-file choosers and the save chooser. Each returns the chosen file's full path, or empty
// text when the user cancels. The filter is in the desktop's form: "説明(*.a *.b);;説明2(*)". A
// test answers the next chooser itself (setNextFileName): then nothing is shown and the request is
// recorded.
namespace FileChooser {

struct Request {
    QString title;
    QString filter;
    bool preview = false;
};

// The chooser of the ring sound (with a preview where the desktop offers one).
QString OpenFileWithPreview(QWidget *owner, const QString &filter);
// The plain chooser.
QString OpenFile(QWidget *owner, const QString &filter);
// The chooser of a file to write (the desktop asks before one is replaced); `name` is the
// name it suggests.
QString SaveFile(QWidget *owner, const QString &filter, const QString &name);

// Tests: the next chooser returns this path (empty text: cancelled).
void setNextFileName(const QString &path);
QList<Request> takeAsked();
void resetForTest();

} // namespace FileChooser
