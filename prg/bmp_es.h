#pragma once
// The party logos carried inside the program: complete 24-bit BMP files named "logo_"
// followed by the party's acronym in lower case, "logo_psoe" to "logo_um" in the order of
// the party list. The windows show them from their bytes or through bitmap handles.
#include <cstdint>
#include <span>
#include <string>

#include "Value.h"

class TWindowBase;

// The logo called `name`, compared exactly (case counts; the first of the 35 that matches).
// Without a window: its BMP bytes as a string. With a window: a new bitmap handle made
// from those bytes (CreateMemBitmap), one per call.
// Any other name stands in for the image: without a window it comes back unchanged; with
// one the toolkit cannot read it as a picture, raises its error record and gives handle 0.
Value BITMAPSLOGOS(const std::string& name, const TWindowBase* window = nullptr);

// Image bytes as the image functions hand them out: the bytes as a string without a
// window, a new bitmap handle with one.
Value imageForWindow(std::span<const uint8_t> bytes, const TWindowBase* window);
