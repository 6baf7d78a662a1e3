#pragma once

#include <QWidget>

class QPushButton;
class QTableWidget;

// The numbers marked as nuisance calls: seen, removed, read in from a list and saved to one.
// Opened from the settings panel; reads the marks afresh whenever they change.
class MarksWindow : public QWidget {
    Q_OBJECT
public:
    explicit MarksWindow(QWidget *parent = nullptr);

    // Reads the marks again (after a mark made elsewhere).
    void RefreshList();

signals:
    // The marks changed here (removed, read in).
    void marksChanged();

private:
    void RemoveSelected();
    void ImportList();
    void ExportList();

    QTableWidget *markList_ = nullptr;
    QPushButton *removeButton_ = nullptr;
    QPushButton *importButton_ = nullptr;
    QPushButton *exportButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
};
