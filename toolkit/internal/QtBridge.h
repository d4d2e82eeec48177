#pragma once
// Conversions between the toolkit's own types and the windowing system's. Included only
// by the toolkit's .cpp files.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string>

#include "Canvas.h"
#include "Color.h"
#include "Geometry.h"
#include "Keyboard.h"
#include "Picture.h"

inline QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string utf8(const QString& s) {
    return s.toUtf8().toStdString();
}

inline QColor toQColor(Color c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}
inline Color fromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

QImage toQImage(const Picture& p);
// The toolkit's key for a windowing-system key code (Key::Other for the rest).
Key keyFromQt(int qtKey);
int qtKeyOf(Key key);  // Key::Other gives the space bar
Picture fromQImage(const QImage& image);

QFont toQFont(const FontSpec& f);

// Pixel rectangle of `r` given in `units`.
inline QRect toQRect(const Rect& r, Units u) {
    return QRect(toPixels(r.left, u), toPixels(r.top, u), toPixels(r.width, u),
                 toPixels(r.height, u));
}
// Text flags (alignment, word wrap) of the canvas's TextAlign flags.
int toQtAlign(int align);

// Shows a minimised or hidden top-level window again in the state it had before: a window
// minimised from maximised comes back maximised.
void showUnminimized(QWidget* top);

// Window titles. The windowing system shows the program's name for an empty title, so a
// window without one is given a single blank; titleOf() reads back the title as set.
void setTitleOf(QWidget* top, const std::string& title);
std::string titleOf(const QWidget* top);
// Pixels a window needs so that its title bar shows `title` whole: the title in the
// title-bar font plus room for the bar's icon and buttons.
int titleBarWidth(const QString& title);
// A dialog's title bar: a title and a close button, no minimise or maximise button.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
