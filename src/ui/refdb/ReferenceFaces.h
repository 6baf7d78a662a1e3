#pragma once

// The reference-database window's geometry (twips) and faces, in one table.
namespace ReferenceFaces {

constexpr int WindowWidth = 5400;
constexpr int WindowHeight = 6480;

// Left edge of the step marks and of the boxes.
constexpr int MarkLeft = 300;
constexpr int BoxLeft = 600;
constexpr int BoxRight = 5040;
constexpr int FieldBoxLeft = 2100;
constexpr int RowHeight = 360;

// The apply and cancel buttons (Picture12), 75 x 35 pixels.
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 35;
constexpr int ApplyLeft = 1200;
constexpr int CancelLeft = 3000;
constexpr int ButtonsTop = 5700;
constexpr int ApplyPressed = 203;
constexpr int ApplyNormal = 204;
constexpr int CancelPressed = 201;
constexpr int CancelNormal = 202;

// The field boxes (Combo2 items).
enum Field { Phone, Name, Address, Zip, FieldCount };
// The field boxes' tops: top to bottom they go phone, name, postal code, address.
constexpr int FieldTops[FieldCount] = {3240, 3690, 4590, 4140};

} // namespace ReferenceFaces
