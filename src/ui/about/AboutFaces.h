#pragma once

// The About window's pictures and geometry, in one table: event handlers use these names.
namespace AboutFaces {

// Twips.
constexpr int WindowWidth = 5100;
constexpr int WindowHeight = 3600;

struct Place {
    int left, top, width, height;
};
// The program icon (Image1(0), 32 x 32 pixels) and the logo (Image1(1), 128 x 30 pixels).
constexpr Place IconPlace = {330, 330, 480, 480};
constexpr Place LogoPlace = {960, 345, 1920, 450};
constexpr Place VersionPlace = {960, 840, 3600, 300};          // "version " + the version
constexpr Place AuthorPlace = {330, 1350, 4440, 300};          // author line
constexpr Place HomePageHeadingPlace = {330, 1740, 1200, 300}; // "HomePage:"
constexpr Place HomePagePlace = {1500, 1740, 3270, 300};       // home-page address (link)
constexpr Place MailPlace = {330, 2100, 4440, 300};            // "e-mail:" + address (link)

// The help and close buttons (Picture12 items 0 and 1), 75 x 35 pixels each.
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
