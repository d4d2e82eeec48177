#pragma once
// Fonts: a face name, an average character width (0 = the face's own), a height in
// pixels, bold, italic and an angle for text written upward. TFont is a value: copies are
// cheap and independent; a font "made for a call" simply lives as long as the call.
// Faces missing on the machine fall back to the closest installed face.
#include <memory>
#include <string>

struct FontSpec {
    std::string face = "MS Sans Serif";
    int width = 0;
    int height = 13;
    bool bold = false;
    bool italic = false;
    double angle = 0;  // degrees, counter-clockwise
    bool operator==(const FontSpec&) const = default;
};

class TFont {
  public:
    TFont() : TFont(FontSpec{}) {}
    explicit TFont(FontSpec spec);
    TFont(std::string face, int width, int height, bool bold = false, bool italic = false);

    const FontSpec& spec() const { return spec_; }
    const std::string& face() const { return spec_.face; }
    int width() const { return spec_.width; }
    int height() const { return spec_.height; }
    bool bold() const { return spec_.bold; }
    bool italic() const { return spec_.italic; }

    // Width in pixels of `text` written in this font ("&" counts as written).
    int textWidth(const std::string& text) const;
    // Height in pixels of one line of text.
    int textHeight() const;

  private:
    FontSpec spec_;
};
