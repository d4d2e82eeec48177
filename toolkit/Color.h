#pragma once
// Colours as the application writes them: Windows RGB values with red in the low byte,
// green in the middle byte and blue in the high byte, so RGB(33, 0, 127) is 8323105 and
// 16711680 is pure blue. The toolkit converts them to the windowing system's colours inside.
#include <cstdint>

using Color = uint32_t;

constexpr Color RGB(int r, int g, int b) {
    return Color(r & 255) | (Color(g & 255) << 8) | (Color(b & 255) << 16);
}
constexpr int redOf(Color c) {
    return int(c & 255);
}
constexpr int greenOf(Color c) {
    return int((c >> 8) & 255);
}
constexpr int blueOf(Color c) {
    return int((c >> 16) & 255);
}

namespace colors {
constexpr Color black = RGB(0, 0, 0);
constexpr Color white = RGB(255, 255, 255);
constexpr Color blue = RGB(0, 0, 255);
constexpr Color red = RGB(255, 0, 0);
constexpr Color buttonFace = RGB(240, 240, 240);
}  // namespace colors
