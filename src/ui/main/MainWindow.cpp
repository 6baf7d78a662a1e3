#include "ui/main/MainWindow.h"

MainWindow::MainWindow(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("Form1")); }
