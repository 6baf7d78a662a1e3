#pragma once

#include <QWidget>

class ImageButton;

// The title-bar buttons of a secondary window, in a holder 1200 x 300 twips: close,
// maximise / restore and minimise, each a 20 x 20 image button acting on the holder's
// top-level window.
class TitleBarButtons : public QWidget {
    Q_OBJECT
public:
    enum Button { Close = 0x1, Maximize = 0x2, Minimize = 0x4 };
    Q_DECLARE_FLAGS(Buttons, Button)

    // Faces: close pressed / normal; maximise pressed / normal; minimise pressed / normal;
    // restore pressed / normal (while the window is maximised).
    static constexpr int ClosePressed = 181, CloseNormal = 182;
    static constexpr int MaximizePressed = 183, MaximizeNormal = 184;
    static constexpr int MinimizePressed = 185, MinimizeNormal = 186;
    static constexpr int RestorePressed = 187, RestoreNormal = 188;

    // `closeToolTip`: "終了" on the history window, "電話帳を閉じる。" on the phonebook.
    TitleBarButtons(Buttons buttons, const QString &closeToolTip, QWidget *parent);

    // Item 0 close, 1 maximise / restore, 2 minimise; null for a button the holder lacks.
    ImageButton *button(int item) const;

signals:
    void closeClicked();
    void maximizeClicked();
    void minimizeClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followWindowState();

    ImageButton *buttons_[3] = {nullptr, nullptr, nullptr};
    QWidget *window_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TitleBarButtons::Buttons)
