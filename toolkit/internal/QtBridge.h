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

// Virtual-key codes of the keys fields and grids handle themselves.
enum Vk {
    vkBack = 8,
    vkTab = 9,
    vkReturn = 13,
    vkEscape = 27,
    vkPrior = 33,
    vkNext = 34,
    vkEnd = 35,
    vkHome = 36,
    vkLeft = 37,
    vkUp = 38,
    vkRight = 39,
    vkDown = 40,
    vkInsert = 45,
    vkDelete = 46,
};

inline int vkOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace: return vkBack;
        case Qt::Key_Return:
        case Qt::Key_Enter: return vkReturn;
        case Qt::Key_End: return vkEnd;
        case Qt::Key_PageUp: return vkPrior;
        case Qt::Key_PageDown: return vkNext;
        case Qt::Key_Home: return vkHome;
        case Qt::Key_Left: return vkLeft;
        case Qt::Key_Up: return vkUp;
        case Qt::Key_Right: return vkRight;
        case Qt::Key_Down: return vkDown;
        case Qt::Key_Insert: return vkInsert;
        case Qt::Key_Delete: return vkDelete;
        case Qt::Key_Escape: return 27;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Shift: return 16;
        case Qt::Key_Control: return 17;
        default: break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 112 + (qtKey - Qt::Key_F1);
    // Letters, digits and the space keep their codes; other characters arrive as text only.
    bool plain = (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
                 qtKey == Qt::Key_Space;
    return plain ? qtKey : 0;
}
