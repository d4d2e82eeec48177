#pragma once
// TBitmap: a control showing a picture, from a resource name or from complete BMP file
// bytes held in memory; drawn at its natural size or stretched over the control.
// TIcon: a window or tray icon made from a picture resource (the program's icons are
// stored as BMP like every other picture).
#include <cstdint>
#include <span>
#include <string>

#include "Control.h"
#include "Picture.h"

struct BitmapOptions {
    Rect rect;             // width or height 0: the picture's own size
    std::string resource;  // a resource name, or
    std::string bytes;     // complete BMP file bytes
    bool stretch = false;
    bool border = false;
    int id = 0;
};

class TBitmap : public TControl {
  public:
    TBitmap(TWindowBase& parent, BitmapOptions options);

    // Replace the picture; false (and the old picture kept) when the bytes or name are bad.
    bool LoadFromString(const std::string& bmpBytes);
    bool loadResource(const std::string& name);
    void setPicture(const Picture& p);
    const Picture& picture() const { return picture_; }

    bool stretch() const { return stretch_; }
    void setStretch(bool on);
    // The picture's own size.
    int imageWidth() const { return picture_.width; }
    int imageHeight() const { return picture_.height; }

  private:
    void fitToPicture();
    Picture picture_;
    bool stretch_;
    Rect asked_;
};

class TIcon {
  public:
    TIcon() = default;
    explicit TIcon(const Picture& p) : picture_(p) {}
    // An empty icon (and an error record) when the resource is missing or bad.
    static TIcon fromResource(const std::string& name);

    bool valid() const { return !picture_.empty(); }
    const Picture& picture() const { return picture_; }

  private:
    Picture picture_;
};
