#pragma once

#include <QFrame>

class QLabel;
class QPlainTextEdit;
class ImageButton;

// Picture15: the main window's memo panel on one call. It keeps the call it was opened for
// (MemoHistoryId), so a call arriving while it is open does not move it.
class MemoPanel : public QFrame {
    Q_OBJECT
public:
    // Twips: the panel's place in the main window and its size.
    static constexpr int Left = 4100, Top = 725, Width = 3250, Height = 2830;
    // Picture17(0) save and (1) close: 75 x 35 pixels.
    static constexpr int SavePressed = 203, SaveNormal = 204;
    static constexpr int ClosePressed = 201, CloseNormal = 202;

    explicit MemoPanel(QWidget *parent);

    // Takes the call and shows its date, time, number, name and memo (Q_履歴メモ). When the
    // call is not found the lines keep what they showed.
    void Load(qint32 historyId);
    qint32 memoHistoryId() const { return MemoHistoryId; }
    // Writes the memo text to the panel's call; false when the call is gone.
    bool Save();
    QPlainTextEdit *text() const { return Text1; }

signals:
    void saveClicked();
    void closeClicked();

private:
    qint32 MemoHistoryId = 0;
    QLabel *Label12 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label10 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    ImageButton *Picture17[2] = {};
};
