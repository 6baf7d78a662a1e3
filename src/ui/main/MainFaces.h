#pragma once

#include "ui/chrome/ImageButton.h"

// The main window's pictures and geometry, in one table: event handlers use these names.
namespace MainFaces {

// Twips.
constexpr int WindowWidth = 4335;
// The window's width while the memo panel is open.
constexpr int MemoPanelWindowWidth = 7600;
// Height of the main panel Picture3.
constexpr int MainPanelHeight = 2940;
// The window below and above the main panel (title area and bottom edge).
constexpr int WindowHeightAbovePanel = 675;
constexpr int WindowHeightBelowPanel = 200;
constexpr int WindowHeight = MainPanelHeight + WindowHeightAbovePanel + WindowHeightBelowPanel;

// Picture4 items.
enum Command {
    Exit,
    Setup,
    KeepOnTop,
    RingOnOff,
    Phonebook,
    Memo,
    History,
    About,
    DateTime,
    Register,
    CommandCount
};

// The command buttons Picture4(0..9): place (twips in Picture3), tooltip, pressed and normal
// faces (the toggles' normal faces follow their state instead).
constexpr FaceButton Commands[CommandCount] = {
    {0, 2355, "終了", 103, 104},
    {540, 2355, "設定", 101, 102},
    {1080, 2355, "常に前面に表示する。", 115, 116},
    {1620, 2355, "着信音　ON/OFF", 119, 120},
    {2700, 2355, "電話帳のメンテナンス", 117, 118},
    {3270, 690, "メモを書き込む", 105, 106},
    {3270, 1770, "着信履歴表示", 109, 110},
    {3240, 2355, "Ａｂｏｕｔを表示します。", 123, 124},
    {2160, 2355, "日時・時間設定", 125, 126},
    {3270, 1230, "着信情報を電話帳に登録。", 111, 112},
};

// The keys of the commands, shown after their tooltips, and of the tray button.
constexpr const char *CommandKeys[CommandCount] = {
    "Ctrl+Q", "Ctrl+,", "Ctrl+T", "Ctrl+S", "Ctrl+B",
    "Ctrl+M", "Ctrl+H", "Ctrl+I", "Ctrl+D", "Ctrl+R",
};
constexpr const char *TrayKey = "Ctrl+W";

// Toggles: the face that shows each state.
constexpr int KeepOnTopOn = 115;
constexpr int KeepOnTopOff = 116;
constexpr int RingOn = 119;
constexpr int RingOff = 120;
constexpr int MemoPanelShown = 105;
constexpr int MemoReady = 106;
constexpr int MemoDisabled = 113;
constexpr int RegisterReady = 112;
constexpr int RegisterDisabled = 114;

// The clock's two mode buttons Picture6(0) (time) and Picture6(1) (date): each shows whether
// its mode is in force, and looks in force while pressed.
constexpr int TimeButtonInForce = 189;
constexpr int TimeButtonNotInForce = 190;
constexpr int DateButtonInForce = 191;
constexpr int DateButtonNotInForce = 192;

// Title bar: close Picture5 and to-the-tray Picture7.
constexpr int ClosePressed = 181;
constexpr int CloseNormal = 182;
constexpr int TrayPressed = 251;
constexpr int TrayNormal = 252;

} // namespace MainFaces
