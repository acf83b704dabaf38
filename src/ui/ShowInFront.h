#pragma once
class QWidget;

namespace orvel {
// Shows a modeless window, or brings it to the front when it is open already,
// and gives it the keyboard.
void showInFront(QWidget *window);
} // namespace orvel
