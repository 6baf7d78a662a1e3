#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// The two open-file choosers and the save-file chooser. Each returns the chosen file's full path,
// or empty text when the user cancels. The filter is in the desktop's form: "説明(*.a
// *.b);;説明2(*)". A test answers the next chooser itself (setNextFileName): then nothing is shown
// and the request is recorded.
namespace FileChooser {

struct Request {
    QString title;
    QString filter;
    bool preview = false;
    // The open choosers: where they open (the current file, selected, or the program's
    // folder when there is none).
    QString start;
    // The save chooser: the file name it suggests.
    bool save = false;
    QString suggestedName;
};

// The chooser of the ring sound (with a preview where the desktop offers one). Both open
// choosers open beside `currentFile` (the file the box names now), or in the program's folder
// when it names none whose folder is there.
QString OpenFileWithPreview(QWidget *owner, const QString &filter,
                            const QString &currentFile = QString());
// The plain chooser.
QString OpenFile(QWidget *owner, const QString &filter, const QString &currentFile = QString());

// The chooser of a file to write, in the user's documents folder with `suggestedName` filled
// in; the desktop's chooser asks before an existing file is replaced.
QString SaveFile(QWidget *owner, const QString &title, const QString &suggestedName,
                 const QString &filter);

// Tests: the next chooser returns this path (empty text: cancelled).
void setNextFileName(const QString &path);
QList<Request> takeAsked();
void resetForTest();

} // namespace FileChooser
