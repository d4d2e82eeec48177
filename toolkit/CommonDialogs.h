#pragma once
// The desktop's own choosers: a colour, a font with its text colour, and a file name to
// save under. Each is modal, ends with Escape, has no minimise or maximise box, and
// answers nothing when cancelled. Tests put answers of their own in place of the windows.
#include <functional>
#include <optional>
#include <string>

#include "Color.h"
#include "Font.h"

class TWindowBase;

// The colour chooser opened on `initial`.
std::optional<Color> chooseColor(Color initial, TWindowBase* parent = nullptr);

struct FontChoice {
    FontSpec font;
    Color color = 0;
    bool operator==(const FontChoice&) const = default;
};
// The font chooser opened on `font`, with a button for the text colour opened on `color`.
// The answer keeps the angle of `font`.
std::optional<FontChoice> chooseFont(const FontSpec& font, Color color, TWindowBase* parent = nullptr);

// The file chooser for saving: `title` on its caption, `filter` a pattern such as "*.bmp",
// starting at `start` (a folder, or a file in one). The answer is the chosen path.
std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& filter,
                                          const std::string& start, TWindowBase* parent = nullptr);

// Answers given in place of the windows; an empty member leaves that chooser real.
struct CommonDialogAnswers {
    std::function<std::optional<Color>(Color initial)> color;
    std::function<std::optional<FontChoice>(const FontSpec& font, Color color)> font;
    std::function<std::optional<std::string>(const std::string& title, const std::string& filter,
                                             const std::string& start)>
        saveFile;
};
// Replaces the choosers (tests); a default-made value restores them all.
void setCommonDialogsForTests(CommonDialogAnswers answers);
