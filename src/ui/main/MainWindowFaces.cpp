#include "ui/main/MainWindow.h"

#include "runstate/RunState.h"

using namespace MainFaces;

// The faces that show a toggle's state.
int MainWindow::KeepOnTopFace() const {
    return state_.settings().AlwaysOnTop != 0 ? KeepOnTopOn : KeepOnTopOff;
}
int MainWindow::RingFace() const {
    return state_.settings().RingOn != 0 ? RingOn : RingOff;
}
int MainWindow::TimeButtonFace() const {
    return state_.settings().ShowDate != 0 ? TimeButtonNotInForce : TimeButtonInForce;
}
int MainWindow::DateButtonFace() const {
    return state_.settings().ShowDate != 0 ? DateButtonInForce : DateButtonNotInForce;
}
