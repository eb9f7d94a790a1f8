#pragma once

#include <functional>

class QWidget;

// Esc in `window` runs `close` (by default it closes the window), as it does in a dialog.
void closeOnEscape(QWidget* window, std::function<void()> close = {});
