#pragma once
// What the screenshot tools share: their command line (FOLDER [SECONDS_SHOWN]), running
// offscreen when there is no display, and grabbing a window by its title once it has been
// shown for a moment.
#include <functional>
#include <string>

class WindowView;

struct ShotRun {
    std::string folder;  // where the PNG files go (created)
    double wait = 0.2;   // seconds each window stays up before it is grabbed
};

// Reads the command line; false (the usage printed) when it is wrong. Starts the toolkit.
bool startShots(int argc, char** argv, const char* usage, ShotRun& run);

// Waits `wait` seconds with events flowing, then grabs the window titled `title` into
// `path`; `during` runs on it first. False when no such window is shown or the file cannot
// be written.
bool grabShown(const std::string& title, const std::string& path, double wait,
               const std::function<void(WindowView&)>& during = {});
