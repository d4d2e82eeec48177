#include "shotSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "App.h"
#include "GuiHarness.h"

bool startShots(int argc, char** argv, const char* usage, ShotRun& run) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return false;
    }
    if (!std::getenv("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    run.folder = argv[1];
    if (argc > 2) run.wait = std::atof(argv[2]);
    std::filesystem::create_directories(run.folder);
    appEnsure();
    return true;
}

bool grabShown(const std::string& title, const std::string& path, double wait,
               const std::function<void(WindowView&)>& during) {
    waitWithEvents(wait);
    auto view = GuiHarness::window(title);
    if (!view) return false;
    if (during) during(*view);
    return view->grab(path);
}
