#pragma once

#include <QWidget>

// Form1: the main window. Its life is the program's life.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

signals:
    void unloaded();
};
