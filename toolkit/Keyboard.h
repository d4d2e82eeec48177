#pragma once
// The keyboard as the toolkit reads it: "is this key down now", for the few keys the
// application polls (Escape during a lock wait, arrows, Shift and Control while moving in
// a browse), and a count of key presses for waits that end on any key. Reading lets
// pending input events (and calls already posted) arrive first, and nothing else: no
// timer runs and no window paints meanwhile, so a busy wait that polls a key does not
// run other parts of the program. Tests replace the state with their own.
#include <functional>

enum class Key { Escape, Enter, Up, Down, Left, Right, Shift, Control, Other };

bool keyDown(Key k);
// Key presses seen by the application since it started (never goes back).
long keyPressCount();

// Replaces the key state for the whole process (tests); an empty function restores it.
void setKeyboardForTests(std::function<bool(Key)> isDown);
