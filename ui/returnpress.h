#pragma once
// Return and Enter press a focused push button as Space does, as in Windows' own windows; Qt
// gives them to the buttons of dialogs only.

class QPushButton;

void pressWithReturn(QPushButton *button);
