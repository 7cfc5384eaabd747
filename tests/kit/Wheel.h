#pragma once
class QWidget;

// Turns the mouse wheel by the given notches (positive: away from the user) with the
// pointer over the middle of a widget, delivered as the window system delivers a real turn:
// to whatever stands under the pointer in the widget's window, focus rules included.
void TurnWheel(QWidget *widget, int notches);
