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
// reference lookup on. The lists are filled from the file when their boxes first take the
// focus, once per window.
class ReferenceWindow : public SkinnedWindow {
    Q_OBJECT
public:
    explicit ReferenceWindow(RunState &state, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildLayout();
    void FormLoad();
    void Command1_Click();
    void Combo1_GotFocus();
    void Combo2_GotFocus(int index);
    void Apply();
    bool Check(const QString &value, const QString &message);

    RunState &state;
    QList<QLabel *> Label1;
    QLineEdit *Text5 = nullptr;
    QPushButton *Command1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2[ReferenceFaces::FieldCount] = {};
    ImageButton *Picture12[2] = {};
};
