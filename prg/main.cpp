#include "main.h"

#include <algorithm>

#include "App.h"
#include "Bitmap.h"
#include "ErrorDialog.h"
#include "Mdi.h"
#include "Menu.h"
#include "MsgBox.h"
#include "System.h"
#include "TopWindow.h"
#include "TrayIcon.h"
#include "abcMaste.h"
#include "acercaDe.h"
#include "dtot.h"
#include "embeddedResources.h"
#include "mainArchivo.h"
#include "mainConfig.h"
#include "vertGrap.h"

namespace {

// Dark violet: red 33, green 0, blue 127.
constexpr Color kSplashLineColor = 8323105;

// What the running program holds; the window owns its menu and logo. The window is the
// frame of the child windows the program opens; the logo stays under them.
struct Running {
    std::unique_ptr<TMdiFrame> window;
    TBitmap* logo = nullptr;
    std::unique_ptr<TTrayIcon> tray;
    int nonClientTop = 0;  // caption bar, menu bar and frame above the client area
};
Running& running() {
    static Running r;
    return r;
}

void endMainWindow() {
    if (running().window) running().window->end();
}

std::unique_ptr<acercaDeClass> showSplash() {
    return ACERCADE({.autoClose = Value(false),
                     .program = Value("Urnalia"),
                     .line1 = Value("España"),
                     .line2 = Value("2011"),
                     .line3 = Value("Cómputo de votos"),
                     .line4 = Value(DTOT(Value(Date::fromYmd(2011, 11, 18)), Value("dd de mmmm de yyyy "))),
                     .year = Value("2011"),
                     .showMail = Value(false),
                     .init = INICIO_ACERCADE});
}

// Keeps the logo in the middle of the window; a minimised window leaves the screen and
// stays reachable through the tray icon. Without an icon in a notification area nothing
// could bring a hidden window back, so it stays minimised like any other.
void onResized(TWindow& window, int sizeType) {
    Running& r = running();
    if (sizeType == 1) {
        if (r.tray && r.tray->shown()) window.hide();
        return;
    }
    if (!r.logo) return;
    // A window smaller than the picture shows its top left corner rather than cut it.
    double top = std::max(0, (window.outerHeight() - r.logo->imageHeight() - r.nonClientTop) / 2);
    double left = std::max(0, (window.outerWidth() - r.logo->imageWidth()) / 2);
    r.logo->move(Rect{top, left, double(r.logo->imageWidth()), double(r.logo->imageHeight())});
}

bool confirmExit() {
    if (!MsgYesNo("¿ Quieres terminar ?", " Atención")) return false;
    if (running().tray) running().tray->end();
    return true;
}

void showTrayMenu(int row, int col) {
    auto menu = OMENU({}, true);
    menu->activate(row, col);
}

void restoreMainWindow() {
    if (running().window) running().window->restore();
}

}  // namespace

void INICIO_ACERCADE(acercaDeClass& aboutBox) {
    for (TSay* line : {aboutBox.oLinea1, aboutBox.oLinea2, aboutBox.oLinea3, aboutBox.oLinea4})
        if (line) line->setColors(kSplashLineColor);
}

std::unique_ptr<TMenu> OMENU(const std::function<void(TMenu&)>& onBuild, bool popup) {
    auto build = [&onBuild, popup](TMenu& menu) {
        if (onBuild) onBuild(menu);
        menu.addMenu("&Archivo", [](TMenu& m) {
            m.add("P&artidos", ABRIR_PARTIDOS);
            m.add("&Salir", endMainWindow);
        });
        menu.addMenu("&Elecciones", [](TMenu& m) {
            m.add("Presidente", [] { ABRIR_CONTEO("P", 0); });
            m.add("Alcalde", [] { ABRIR_CONTEO("A", 2); });
        });
        menu.addMenu("&Utilerias", [](TMenu& m) { m.add("Generar índices", REINDEXAR); });
        menu.add("A&cerca de...", [] { ACERCADE({.autoClose = Value(true)}); });
        if (popup) {
            menu.separator();
            menu.add("&Salir", endMainWindow);
        }
    };
    return popup ? TMenu::popup(build) : TMenu::bar(build);
}

void startUp() {
    appEnsure();
    registerEmbeddedResources();
    Running& r = running();

    std::unique_ptr<acercaDeClass> splash = showSplash();
    r.nonClientTop = captionHeight() + menuBarHeight() + 8;
    TIcon icon = TIcon::fromResource("a_pri");

    r.window = std::make_unique<TMdiFrame>(WindowOptions{.title = " Urnalia"});
    r.window->setMenu(OMENU());
    r.window->setIcon(icon);
    r.logo = r.window->add<TBitmap>(BitmapOptions{.rect = {1, 1, 0, 0}, .resource = "BMP_TARVELON"});

    oConfig = std::make_unique<config>();
    oConfig->New(splash.get());

    SysRefresh();
    waitWithEvents(kStartUpWaitSeconds, true);
    splash->bValid = nullptr;

    r.tray = std::make_unique<TTrayIcon>(TrayOptions{.owner = r.window.get(),
                                                     .icon = icon,
                                                     .tooltip = "Urnalia",
                                                     .onRightClick = showTrayMenu,
                                                     .onLeftDoubleClick = restoreMainWindow});
    splash->end();
    splash.reset();

    r.window->bResized = [](TWindow& w, int sizeType, int, int) { onResized(w, sizeType); };
    r.window->bValid = [](TWindow&) { return confirmExit(); };
    r.window->activate(TWindow::Show::Maximized);
    SysRefresh();
}

void shutDown() {
    Running& r = running();
    // The options' windows (children of the main window) and their tables go first.
    abcMasterCierraTodo();
    verTGraph::cierraTodo();
    if (oConfig) oConfig->oFont.reset();
    r.tray.reset();
    r.logo = nullptr;
    r.window.reset();
}

int MAIN() {
    installErrorDialog();
    startUp();
    running().window->waitClosed();
    shutDown();
    return 0;
}

TWindow* mainWindow() {
    return running().window.get();
}
TMdiFrame* mainFrame() {
    return running().window.get();
}
TBitmap* mainLogo() {
    return running().logo;
}
TTrayIcon* mainTray() {
    return running().tray.get();
}
