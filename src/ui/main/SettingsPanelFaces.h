#pragma once

// The settings panels of the main window: geometry (twips) and faces, in one table.
namespace SettingsPanelFaces {

// The upper panel Picture9 and the lower panel Picture10.
constexpr int PanelLeft = 225;
constexpr int PanelWidth = 3825;
constexpr int UpperPanelTop = 675;
// Below the reference row: the warnings before a call is answered (BevelPanel5).
constexpr int WarningsTop = 2955;
constexpr int WarningsHeight = 1290;
constexpr int UpperPanelHeight = WarningsTop + WarningsHeight;
constexpr int LowerPanelHeight = 1425;
// The set-up panel: Picture10 alone, over the hidden main panel.
constexpr int SetupPanelTop = 1300;
// The window below the panels.
constexpr int WindowHeightBelowPanels = 200;
// The window after the panels close: the main panel plus this.
constexpr int WindowHeightBesideMainPanel = 875;

// The spin control of TrayDelaySeconds.
constexpr int DelayLower = 10;
constexpr int DelayUpper = 600;
constexpr int DelayInitial = 5;

// Picture12: apply and cancel, 75 x 35 pixels.
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 35;
constexpr int ApplyLeft = 810;
constexpr int CancelLeft = 1980;
constexpr int ButtonsTop = 840;
constexpr int ApplyPressed = 203;
constexpr int ApplyNormal = 204;
constexpr int CancelPressed = 201;
constexpr int CancelNormal = 202;

// Port numbers the port box offers before the devices present.
constexpr int PortNumbersOffered = 16;

} // namespace SettingsPanelFaces
