#pragma once

class QWidget;

// Moves a top-level window to the middle of its screen's available area.
void CenterOnScreen(QWidget* window);

// Moves a top-level window so that its middle is over the middle of another window, kept
// within the screen's available area where it fits (its top-left corner always is).
void CenterOverWindow(QWidget* window, const QWidget* over);
