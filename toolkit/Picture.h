#pragma once
// A decoded image held in memory without any windowing system: width, height and one
// 0x00RRGGBB word per pixel, rows from the top. Bitmaps, icons, canvases and the image
// tool all exchange pictures; BMP bytes are turned into one by bmpCodec.
#include <cstdint>
#include <vector>

#include "Color.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height words, 0x00RRGGBB

    Picture() = default;
    Picture(int w, int h, Color fill = 0)
        : width(w), height(h), pixels(size_t(w) * h, toWord(fill)) {}

    bool empty() const { return width <= 0 || height <= 0; }
    Color at(int x, int y) const { return fromWord(pixels[size_t(y) * width + x]); }
    void set(int x, int y, Color c) {
        if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * width + x] = toWord(c);
    }

    static uint32_t toWord(Color c) {
        return (uint32_t(redOf(c)) << 16) | (uint32_t(greenOf(c)) << 8) | uint32_t(blueOf(c));
    }
    static Color fromWord(uint32_t w) {
        return RGB(int((w >> 16) & 255), int((w >> 8) & 255), int(w & 255));
    }
};
