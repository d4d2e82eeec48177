#include "Font.h"

#include <QFontMetricsF>
#include <cmath>

#include "App.h"
#include "internal/QtBridge.h"

TFont::TFont(FontSpec spec) : spec_(std::move(spec)) {}
TFont::TFont(std::string face, int width, int height, bool bold, bool italic)
    : spec_{std::move(face), width, height, bold, italic} {}

int TFont::textWidth(const std::string& text) const {
    appEnsure();
    return int(std::ceil(QFontMetricsF(toQFont(spec_)).horizontalAdvance(qs(text))));
}

int TFont::textHeight() const {
    appEnsure();
    return int(std::ceil(QFontMetricsF(toQFont(spec_)).height()));
}
