#pragma once

class QWidget;

// A list or other control that the mouse wheel changes only once the user
// has given it the keyboard focus. Without the focus a turn of the wheel
// leaves it alone and goes on to the window under it (which may scroll),
// and the wheel never gives it the focus, so scrolling over a window does
// not change a setting on the way.
namespace WheelGuard
{

void takeWheelOnlyWithFocus(QWidget *control);

} // namespace WheelGuard
