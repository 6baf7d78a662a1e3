#pragma once

#include "ui/chrome/SkinnedWindow.h"
#include "ui/refdb/ReferenceFaces.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ImageButton;
class RunState;

// Form4: the reference-database settings. The user names the reference phonebook file,
// picks its table and the four columns; apply stores them in the settings and switches the
// reference lookup on. The lists are filled from the file when their boxes take the focus or
// drop down, and filled again once the file or the table named has changed.
class ReferenceWindow : public SkinnedWindow {
    Q_OBJECT
public:
    explicit ReferenceWindow(RunState &state, QWidget *parent = nullptr);
    // The file box loses its focus while the window is taken apart: its end of editing must
    // not reach a window half destroyed.
    ~ReferenceWindow() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildGuide();
    void BuildBoxes();
    void BuildButtons();
    void Load();
    void ChooseFile();
    // Fill a list from the file when its box takes the focus or drops down.
    void FillTableList();
    void FillFieldLists(int field);
    void Apply();
    bool Check(const QString &value, const QString &message);

    RunState &state_;
    // The step marks, instructions and field names.
    QList<QLabel *> guide_;
    QLineEdit *fileBox_ = nullptr;
    QPushButton *chooseFileButton_ = nullptr;
    QComboBox *tableBox_ = nullptr;
    // By ReferenceFaces::Field.
    QComboBox *fieldBoxes_[ReferenceFaces::FieldCount] = {};
    ImageButton *applyButton_ = nullptr;
    ImageButton *cancelButton_ = nullptr;
    // What the lists were filled from: the path, and the path and table.
    QString tablesOf_;
    QStringList fieldsOf_;
};
