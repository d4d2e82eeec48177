#include "acercaDe.h"

#include "App.h"
#include "Clock.h"
#include "Resources.h"
#include "System.h"
#include "Timer.h"
#include "aMensaje.h"
#include "embeddedResources.h"

namespace {

constexpr int kDefaultWidth = 471;  // the picture's size, used when it cannot be loaded
constexpr int kDefaultHeight = 444;
constexpr double kAboutSeconds = 10;

struct Remembered {
    std::string program;
    std::string lines[4];
    Value year;
    bool showMail = false;
    std::function<void(acercaDeClass&)> init;
};
Remembered& remembered() {
    static Remembered r;
    return r;
}

void remember(const AcercaDeArgs& a) {
    Remembered& r = remembered();
    auto keep = [](std::string& slot, const Value& v) {
        if (!v.isNil()) slot = mensajeText(v);
    };
    keep(r.program, a.program);
    keep(r.lines[0], a.line1);
    keep(r.lines[1], a.line2);
    keep(r.lines[2], a.line3);
    keep(r.lines[3], a.line4);
    if (!a.year.isNil()) r.year = a.year;
    if (!a.showMail.isNil()) r.showMail = a.showMail.logical();
    if (a.init) r.init = a.init;
}

std::string makerLine() {
    const Value& year = remembered().year;
    std::string y = year.isNil() ? std::to_string(clockYear()) : mensajeText(year);
    return "Copyright © " + y + " " + kMakerName;
}

}  // namespace

acercaDeClass::acercaDeClass(const Picture& picture, const Texts& t)
    : TDialog(DialogOptions{.width = picture.empty() ? kDefaultWidth : picture.width,
                            .height = picture.empty() ? kDefaultHeight : picture.height,
                            .popup = true}) {
    if (!picture.empty()) setBackgroundPicture(picture);
    double w = width(), h = height();
    auto line = [&](double row, const std::string& text, int align) {
        return add<TSay>(SayOptions{.rect = {row, 2, w / 2 - 2, 12}, .text = text, .align = align});
    };
    oPrograma = add<TSay>(SayOptions{.rect = {2, 0, w / 2 + 4, 2.0 * programFont_.height()},
                                     .text = t.program,
                                     .align = TextAlign::Center,
                                     .font = programFont_});
    oLinea1 = line(h / 4 - 16, t.lines[0], TextAlign::Center);
    oLinea2 = line(h / 4 - 8, t.lines[1], TextAlign::Center);
    oLinea3 = line(h / 4, t.lines[2], TextAlign::Center);
    oLinea4 = line(h / 4 + 8, t.lines[3], TextAlign::Center);
    oCopyRigth = line(h / 2 - 24, t.makerLine, TextAlign::Center);
    oCopyRigth->setFont(makerFont_);
    // The right-aligned addresses keep clear of the picture's frame.
    constexpr int kFrameMargin = 6;
    if (t.showMail) {
        oCorreo = line(h / 2 - 16, kMakerMail, TextAlign::Right);
        oCorreo->setIndent(kFrameMargin);
        oCorreo->setOnRightClick([](int, int) { OpenUrl(std::string("mailto:") + kMakerMail); });
    }
    oPagina = line(h / 2 - 8, kMakerWeb, TextAlign::Right);
    oPagina->setIndent(kFrameMargin);
    oPagina->setColors(16711680, 16777215);
    oPagina->setOnLeftClick([](int, int) { OpenUrl(kMakerWeb); });
}

void forgetAcercaDeSettings() {
    remembered() = Remembered();
}

std::unique_ptr<acercaDeClass> ACERCADE(const AcercaDeArgs& args) {
    registerEmbeddedResources();
    remember(args);
    const Remembered& r = remembered();
    acercaDeClass::Texts texts{
        r.program, {r.lines[0], r.lines[1], r.lines[2], r.lines[3]}, makerLine(), r.showMail};
    Picture picture = resourcePicture("BMP_TARVELON");
    auto box = std::make_unique<acercaDeClass>(picture, texts);
    auto init = [&r, &picture](TDialog& d) {
        if (r.init) r.init(static_cast<acercaDeClass&>(d));
        if (!picture.empty()) d.setSize(picture.width, picture.height);
    };

    bool autoClose = args.autoClose.isLogical() && args.autoClose.logical();
    if (!autoClose) {
        box->bValid = [](TDialog&) { return false; };
        box->activate(ActivateOptions{.modal = false, .onInit = init});
        SysRefresh();
        return box;
    }

    box->bLClicked = [](TDialog& d, int, int) { d.end(); };
    box->bKeyDown = [](TDialog& d, Key) { return d.end(); };
    double closeAt = clockSeconds() + kAboutSeconds;
    TTimer closer(250, [&box, closeAt] {
        if (clockSeconds() >= closeAt) box->end();
    });
    closer.activate();
    box->activate(ActivateOptions{.modal = true, .onInit = init});
    return box;
}
