#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// Every message box of the program. A test answers the next boxes itself (setNextAnswer):
// then nothing is shown, and the box is recorded with its text, title, icon, buttons and
// default button, so a test can check what the user would have been asked.
namespace Dialogs {

enum class Icon { None, Information, Question, Exclamation, Stop };
enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBox {
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    // The button that Enter presses; the first button when not given.
    std::optional<Answer> defaultButton;
    // Above every window of the desktop, as a system-modal box.
    bool systemModal = false;
    // Set by Show: the box is kept on top, as a system-modal box is and as every box is while
    // a window of the program (the main window's keep-on-top) is, so none opens under it.
    bool keptOnTop = false;
};

// Shows the box (modal over parent) and returns the button pressed. Closing the box with
// Escape or its close button answers Cancel (No for Yes/No, Ok for a box with Ok alone).
Answer Show(QWidget *parent, const MessageBox &box);

enum class Modality { Window, System };

// The two boxes the windows ask: a question answered with OK or キャンセル (Cancel by Enter),
// true for OK; and a statement with OK alone. Both go through Show.
bool Confirm(QWidget *parent, const QString &text, const QString &title, Icon icon,
             Modality modality = Modality::System);
void Tell(QWidget *parent, const QString &text, const QString &title, Icon icon,
          Modality modality = Modality::Window);

// Asks for one line of text, `initial` given; nullopt when the user cancels. Recorded like a
// box (its text and title) when a test answers it through setNextText.
std::optional<QString> AskText(QWidget *parent, const QString &text, const QString &title,
                               const QString &initial);
// Tests: the next AskText is not shown but answered with this (nullopt: cancelled).
void setNextText(const std::optional<QString> &answer);

// Tests: the next box is not shown but answered with this; several calls queue answers.
void setNextAnswer(Answer answer);
// The boxes answered through setNextAnswer since the last take(), in order.
QList<MessageBox> takeAsked();
// Forget queued answers and recorded boxes.
void resetForTest();

} // namespace Dialogs
