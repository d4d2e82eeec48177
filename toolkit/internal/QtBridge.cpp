#include "QtBridge.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>

#include "Text.h"

QImage toQImage(const Picture& p) {
    if (p.empty()) return QImage();
    QImage image(p.width, p.height, QImage::Format_RGB32);
    for (int y = 0; y < p.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < p.width; ++x) line[x] = 0xFF000000u | p.pixels[size_t(y) * p.width + x];
    }
    return image;
}

Picture fromQImage(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    Picture p(image.width(), image.height());
    for (int y = 0; y < p.height; ++y) {
        auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < p.width; ++x) p.pixels[size_t(y) * p.width + x] = line[x] & 0x00FFFFFFu;
    }
    return p;
}

namespace {
// "Arial" is drawn in Liberation Sans, which has its metrics, when that face is installed;
// otherwise the face name goes to the font matching as it is.
QString faceOf(const std::string& face) {
    static const bool liberation = QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"));
    if (liberation && text::upper(face) == "ARIAL") return QStringLiteral("Liberation Sans");
    return qs(face);
}
}  // namespace

QFont toQFont(const FontSpec& f) {
    QFont font(faceOf(f.face));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(f.height, 1));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    if (f.width > 0) {
        // An average character width is asked of the face by stretching it.
        double natural = QFontMetricsF(font).averageCharWidth();
        if (natural > 0) font.setStretch(std::clamp(int(f.width * 100 / natural), 1, 4000));
    }
    return font;
}

int toQtAlign(int align) {
    int a = 0;
    a |= (align & TextAlign::Center)  ? Qt::AlignHCenter
         : (align & TextAlign::Right) ? Qt::AlignRight
                                      : Qt::AlignLeft;
    a |= (align & TextAlign::VCenter)  ? Qt::AlignVCenter
         : (align & TextAlign::Bottom) ? Qt::AlignBottom
                                       : Qt::AlignTop;
    if (align & TextAlign::WordBreak) a |= Qt::TextWordWrap;
    return a;
}

namespace {
// The keys the program tells apart, with the windowing system's code of each.
struct KeyCode {
    Key key;
    int qt;
};
constexpr KeyCode kKeyCodes[] = {
    {Key::Escape, Qt::Key_Escape}, {Key::Enter, Qt::Key_Return}, {Key::Up, Qt::Key_Up},
    {Key::Down, Qt::Key_Down},     {Key::Left, Qt::Key_Left},    {Key::Right, Qt::Key_Right},
    {Key::Shift, Qt::Key_Shift},   {Key::Control, Qt::Key_Control},
};
}  // namespace

Key keyFromQt(int qtKey) {
    if (qtKey == Qt::Key_Enter) return Key::Enter;  // the keypad's Enter
    for (const KeyCode& k : kKeyCodes)
        if (k.qt == qtKey) return k.key;
    return Key::Other;
}

int qtKeyOf(Key key) {
    for (const KeyCode& k : kKeyCodes)
        if (k.key == key) return k.qt;
    return Qt::Key_Space;
}

void showUnminimized(QWidget* top) {
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    top->show();
}

namespace {
constexpr char kNoTitle[] = "urnaliaNoTitle";
constexpr int kTitleBarRoom = 150;  // the bar's icon and its buttons
}  // namespace

void setTitleOf(QWidget* top, const std::string& title) {
    top->setProperty(kNoTitle, title.empty());
    top->setWindowTitle(title.empty() ? QStringLiteral(" ") : qs(title));
}

std::string titleOf(const QWidget* top) {
    return top->property(kNoTitle).toBool() ? std::string() : utf8(top->windowTitle());
}

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    QFont bold = font;
    bold.setBold(true);  // many title bars write in bold
    int text = std::max(QFontMetrics(font).horizontalAdvance(title), QFontMetrics(bold).horizontalAdvance(title));
    return text + kTitleBarRoom;
}
