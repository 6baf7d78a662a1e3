#pragma once

#include "ui/chrome/ImageButton.h"

// The phonebook window's pictures and geometry, in one table: event handlers use these names.
// Positions and sizes are twips in the window.
namespace PhonebookFaces {

constexpr int WindowWidth = 8150;
constexpr int WindowHeight = 7300;

struct Box {
    int left, top, width, height;
};

// Title strip: the caption and the title-bar buttons (close, minimise).
constexpr Box Caption{300, 180, 2400, 330};
constexpr Box TitleButtons{6615, 180, 1200, 300};
constexpr int MinimizePressed = 184;

// Entry list MSFlexGrid1 and its two columns; the position display Label3 under it.
constexpr Box EntryList{210, 630, 2880, 3060};
constexpr int EntryNameColumnWidth = 2600;
constexpr Box Position{210, 3720, 2880, 270};

// Navigation Picture4(0..3): first, previous, next, last.
enum Navigation { First, Previous, Next, Last, NavigationCount };
constexpr FaceButton NavigationButtons[NavigationCount] = {
    {210, 4020, "最初のレコードに移動", 233, 234},
    {900, 4020, "前のレコードに移動", 231, 232},
    {1710, 4020, "次のレコードに移動", 235, 236},
    {2400, 4020, "最後のレコードに移動", 237, 238},
};

// The index frame with Option1(0..46): ten kana columns of five lines, "全登録リスト" below.
constexpr Box IndexFrame{210, 4620, 2880, 2520};
constexpr int IndexColumnWidth = 285;
constexpr int IndexLineHeight = 330;
constexpr int IndexFirstTop = 270;
constexpr int IndexLeft = 15;

// Picture6: close, keep on top, delete entry, delete number; Picture7: new entry.
enum Command { Close, KeepOnTop, DeleteEntry, DeleteNumber, CommandCount };
constexpr FaceButton Commands[CommandCount] = {
    {7410, 6660, "電話帳を閉じます。", 103, 104},
    {6780, 6660, "常に前面に表示。", 115, 116},
    {5400, 6660, "表示中のデータを削除", 213, 214},
    {7410, 1230, "選択電話番号の削除", 211, 212},
};
constexpr int KeepOnTopOn = 115;
constexpr int KeepOnTopOff = 116;
constexpr FaceButton NewEntry{4170, 6660, "新規登録", 221, 222};
constexpr int NewEntryHitWidth = 75;
constexpr int NewEntryHitHeight = 32;
constexpr int CommandHit = 32;

// Captions (left column) and boxes (right of them).
constexpr int CaptionLeft = 3180;
constexpr int CaptionWidth = 960;
constexpr int BoxLeft = 4170;
constexpr int LineHeight = 330;

constexpr Box NameBox{4170, 660, 2400, 330};         // Text1(1)
constexpr Box IndexCaption{6600, 630, 420, 390};     // "ｲﾝﾃﾞ" over "ｯｸｽ"
constexpr Box IndexBox{7050, 660, 885, 330};         // Combo2
constexpr int NumberTop = 1050;                      // Text2(0), then one line each
constexpr Box NumberBox{4170, 0, 2100, 330};         // Text2(i)
constexpr Box KindBox{6330, 0, 1020, 330};           // Combo1(i)
constexpr Box AddressBox{4170, 2070, 3765, 600};     // Text1(2), multi-line
constexpr Box ZipBox{4170, 2730, 1200, 330};         // Text1(3)
constexpr Box BirthdayCaption{5460, 2730, 900, 330}; //
constexpr Box BirthdayBox{6360, 2730, 1575, 330};    // Text1(0)
constexpr Box Mail1Box{4170, 3090, 3765, 330};       // Text1(5)
constexpr Box Mail2Box{4170, 3450, 3765, 330};       // Text1(6)
constexpr Box OtherBox{4170, 3810, 3765, 330};       // Text1(7)

// History list MSFlexGrid2: date above time, then the memo; two text lines a call.
constexpr Box HistoryList{4170, 4200, 3765, 2370};
constexpr int HistoryDateColumnWidth = 1200;
constexpr int HistoryMemoColumnWidth = 2000;
constexpr int HistoryLineHeight = 500;

} // namespace PhonebookFaces
