#pragma once

#include "ui/chrome/ImageButton.h"

// The history window's pictures and geometry, in one table: event handlers use these names.
namespace HistoryFaces {

// Twips, in the window's inner area (w, h: its inner width and height).
constexpr int MinimumWidth = 4000;
constexpr int MinimumHeight = 1600;
constexpr int GripFromRight = 450, GripFromBottom = 450;           // the resize grip (Picture2)
constexpr int TitleButtonsFromRight = 1200, TitleButtonsTop = 200; // the title buttons (Picture1)
constexpr int CommandBarLeft = 240, CommandBarFromBottom = 685; // the left command bar (Picture3)
constexpr int RightBarFromRight = 1600;                         // the right command bar (Picture6)
constexpr int PanelLeft = 240, PanelTop = 660, PanelWidthLess = 480, PanelHeightLess = 1400;
constexpr int GridLeft = 300, GridTop = 740, GridWidthLess = 620, GridHeightLess = 1550;
constexpr int HeadingRowHeight = 300;
// Command buttons: 32 x 32 pixels, one every 540 twips along their bar.
constexpr int CommandStep = 540;
constexpr int CommandBarHeight = 540;

// The command buttons (Picture4 items).
enum Command { Close, OnTop, Memo, Register, DeleteSelected, DeleteAll, CommandCount };

// Laid out along their bars, one every CommandStep.
constexpr FaceButton Commands[CommandCount] = {
    {0, 0, "終了", 103, 104},           {0, 0, "常に前面に表示する。", 115, 116},
    {0, 0, "メモの編集。", 105, 106},   {0, 0, "着信情報を電話帳に登録。", 111, 112},
    {0, 0, "選択履歴を削除", 211, 212}, {0, 0, "全履歴削除", 213, 214},
};
constexpr int OnTopOn = 115;
constexpr int OnTopOff = 116;

// The list's columns when there is no layout of the user's (Rireki.ini): those with a widest
// text as wide as it is shown (and their heading), the others sharing what is left of the list
// in the window's size, by their share. A column not named here keeps its width.
struct ColumnFit {
    const char *field;
    const char *widestText;
    int share;
};
constexpr ColumnFit ColumnFits[] = {
    {"日時", "2026/12/31", 0}, {"時間", "23:59:59", 0}, {"電番", "09012345678", 0},
    {"氏名", "", 1515},        {"住所", "", 2070},      {"メモ", "", 2070},
};

// The memo editor (Frame1) and its buttons (Picture17) save and close: 75 x 35 pixels.
constexpr int EditorWidth = 4200, EditorHeight = 2700;
constexpr int MemoSavePressed = 203, MemoSaveNormal = 204;
constexpr int MemoClosePressed = 201, MemoCloseNormal = 202;

} // namespace HistoryFaces
