#pragma once

class QLabel;
class QWidget;

// The main window's word that Kolvane.ini did not read: over the clock while the program runs,
// above the set-up panel when the port did not open; it lets every press through to what lies
// under it, so no button is ever hidden behind it.
QLabel *MakeSettingsNotice(QWidget *window);
