#pragma once
// What the desktop tells and does: system metrics and opening addresses.
#include <functional>
#include <string>

#include "Color.h"

// Height of a window caption bar, of a menu bar, and width of a vertical scroll bar, in pixels.
int captionHeight();
int menuBarHeight();
int scrollBarWidth();
// Size of the screen's area available to windows, in pixels.
int screenWidth();
int screenHeight();

// Asks the desktop to open a web address or a "mailto:" link; false when it could not.
bool OpenUrl(const std::string& address);

// Replaces the desktop's opener (tests record addresses instead); empty restores it.
void setUrlOpenerForTests(std::function<bool(const std::string&)> opener);

// Colours of the desktop's palette that drawings fall back on.
enum class SystemColor { ButtonText, ButtonFace, Window, WindowText };
Color systemColor(SystemColor which);
// The desktop's warning sound.
void systemBeep();
