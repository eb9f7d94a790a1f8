#pragma once

class QKeyEvent;

// Keys the player handles itself (Esc, Space, Alt+Enter); the main window's typed-character
// handling never sees them.
bool isPlayerKey(const QKeyEvent* event);
