#include "platform/desktop/Dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QQueue>

namespace Dialogs {
namespace {

QQueue<Answer> nextAnswers;
QQueue<std::optional<QString>> nextTexts;
QList<MessageBox> asked;

QMessageBox::Icon QtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QList<Answer> ButtonsOf(Buttons buttons) {
    switch (buttons) {
    case Buttons::OkCancel:
        return {Answer::Ok, Answer::Cancel};
    case Buttons::YesNo:
        return {Answer::Yes, Answer::No};
    case Buttons::Ok:
        break;
    }
    return {Answer::Ok};
}

QMessageBox::StandardButton QtButton(Answer answer) {
    switch (answer) {
    case Answer::Ok:
        return QMessageBox::Ok;
    case Answer::Cancel:
        return QMessageBox::Cancel;
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

bool AnyWindowKeptOnTop() {
    for (const QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return true;
    return false;
}

} // namespace

Answer Show(QWidget *parent, const MessageBox &request) {
    const QList<Answer> buttons = ButtonsOf(request.buttons);
    MessageBox box = request;
    box.keptOnTop = box.systemModal || AnyWindowKeptOnTop();
    if (!nextAnswers.isEmpty()) {
        asked.append(box);
        return nextAnswers.dequeue();
    }
    QMessageBox m(parent);
    m.setIcon(QtIcon(box.icon));
    m.setWindowTitle(box.title);
    // Texts may carry names from outside: never read them as markup.
    m.setTextFormat(Qt::PlainText);
    m.setText(box.text);
    for (Answer a : buttons)
        m.addButton(QtButton(a));
    m.setDefaultButton(QtButton(box.defaultButton.value_or(buttons.first())));
    m.setEscapeButton(QtButton(buttons.size() > 1 ? buttons.last() : buttons.first()));
    if (box.systemModal)
        m.setWindowModality(Qt::ApplicationModal);
    if (box.keptOnTop)
        m.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m.exec();
    for (Answer a : buttons)
        if (m.clickedButton() == m.button(QtButton(a)))
            return a;
    return buttons.size() > 1 ? buttons.last() : buttons.first();
}

void setNextAnswer(Answer answer) {
    nextAnswers.enqueue(answer);
}

QList<MessageBox> takeAsked() {
    QList<MessageBox> taken;
    taken.swap(asked);
    return taken;
}

void setNextText(const std::optional<QString> &answer) {
    nextTexts.enqueue(answer);
}

std::optional<QString> AskText(QWidget *parent, const QString &text, const QString &title,
                               const QString &initial) {
    if (!nextTexts.isEmpty()) {
        MessageBox box;
        box.text = text;
        box.title = title;
        box.buttons = Buttons::OkCancel;
        asked.append(box);
        return nextTexts.dequeue();
    }
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, title, text, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

void resetForTest() {
    nextTexts.clear();
    nextAnswers.clear();
    asked.clear();
}

bool Confirm(QWidget *parent, const QString &text, const QString &title, Icon icon,
             Modality modality) {
    MessageBox box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    box.buttons = Buttons::OkCancel;
    box.defaultButton = Answer::Cancel;
    box.systemModal = modality == Modality::System;
    return Show(parent, box) == Answer::Ok;
}

void Tell(QWidget *parent, const QString &text, const QString &title, Icon icon,
          Modality modality) {
    MessageBox box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    box.buttons = Buttons::Ok;
    box.systemModal = modality == Modality::System;
    Show(parent, box);
}

} // namespace Dialogs
