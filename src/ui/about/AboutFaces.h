#pragma once

// The About window's pictures and geometry, in one table: event handlers use these names.
namespace AboutFaces {

// Twips.
constexpr int WindowWidth = 5100;
constexpr int WindowHeight = 3600;

struct Place {
    int left, top, width, height;
};
// Image1 items 0 (program icon, 32 x 32 pixels) and 1 (logo, 128 x 30 pixels).
constexpr Place IconPlace = {330, 330, 480, 480};
constexpr Place LogoPlace = {960, 345, 1920, 450};
constexpr Place Label23 = {960, 840, 3600, 300};  // "version " + the version
constexpr Place Label17 = {330, 1350, 4440, 300}; // author line
constexpr Place Label2 = {330, 1740, 1200, 300};  // "HomePage:"
constexpr Place Label3 = {1500, 1740, 3270, 300}; // home-page address (link)
constexpr Place Label4 = {330, 2100, 4440, 300};  // "e-mail:" + address (link)

// Picture12 items: 0 help, 1 close; 75 x 35 pixels each.
constexpr int ButtonWidthPx = 75;
constexpr int ButtonHeightPx = 35;
constexpr int ButtonTop = 2700;
constexpr int ButtonLeft[2] = {1275, 2700};
enum Button { Help, Close, ButtonCount };
constexpr const char *ButtonTip[ButtonCount] = {"ヘルプ", "閉じる"};
constexpr int HelpPressed = 205;
constexpr int HelpNormal = 206;
constexpr int ClosePressed = 201;
constexpr int CloseNormal = 202;

} // namespace AboutFaces
