#pragma once

#include <QFrame>

class QLabel;
class QPlainTextEdit;
class ImageButton;

// Picture15: the main window's memo panel on one call. It keeps the call it was opened for
// (its history id), so a call arriving while it is open does not move it.
class MemoPanel : public QFrame {
    Q_OBJECT
public:
    // Twips: the panel's place in the main window and its size.
    static constexpr int Left = 4100, Top = 725, Width = 3250, Height = 2830;
    // The save button Picture17(0) and the close button (1): 75 x 35 pixels.
    static constexpr int SavePressed = 203, SaveNormal = 204;
    static constexpr int ClosePressed = 201, CloseNormal = 202;

    explicit MemoPanel(QWidget *parent);

    // Takes the call and shows its date, time, number, name and memo (Q_履歴メモ). When the
    // call is not found the lines keep what they showed.
    void Load(qint32 historyId);
    qint32 memoHistoryId() const { return memoHistoryId_; }
    // Writes the memo text to the panel's call; false when the call is gone.
    bool Save();
    QPlainTextEdit *text() const { return memoText_; }

signals:
    void saveClicked();
    void closeClicked();

private:
    qint32 memoHistoryId_ = 0;
    QLabel *dateLine_ = nullptr;
    QLabel *numberLine_ = nullptr;
    QLabel *nameLine_ = nullptr;
    QPlainTextEdit *memoText_ = nullptr;
    ImageButton *saveCloseButtons_[2] = {};
};
