#pragma once
// The program's entry, its main window and the main menu.
//
// MAIN shows the splash, builds the maximised main window with its menu, logo and tray
// icon, prepares the configuration and the election tables, and returns when the main
// window has closed (the user confirmed "¿ Quieres terminar ?").
#include <functional>
#include <memory>

class TBitmap;
class TMenu;
class TTrayIcon;
class TMdiFrame;
class TWindow;
class acercaDeClass;

int MAIN();

// The main menu: a menu bar, or with `popup` the tray's pop-up menu, which ends with a
// separator and a second "&Salir". `onBuild` runs inside the menu being defined before
// the standard items, so a caller can put items of its own first.
std::unique_ptr<TMenu> OMENU(const std::function<void(TMenu&)>& onBuild = {}, bool popup = false);

// The splash's initialisation: its four text lines in dark violet.
void INICIO_ACERCADE(acercaDeClass& aboutBox);

// MAIN in its three stages, for callers that run the event loop themselves (tests).
// startUp runs the start-up up to the maximised main window; shutDown releases what the
// run held once the window has closed.
void startUp();
void shutDown();

// The parts of the running program; nullptr before startUp and after shutDown.
TWindow* mainWindow();
// The main window as the frame of child windows (TMdiChild); the same window.
TMdiFrame* mainFrame();
TBitmap* mainLogo();
TTrayIcon* mainTray();

// The start-up's wait for a key, in seconds.
inline constexpr double kStartUpWaitSeconds = 3.0;
