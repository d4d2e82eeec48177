#include "menuRadi.h"

#include <algorithm>

#include "Control.h"
#include "Dialog.h"
#include "Font.h"
#include "RadMenu.h"

namespace {

std::function<void(int)>& helpOpener() {
    static std::function<void(int)> opener;
    return opener;
}

std::string optionText(const Value& v) {
    return v.isText() ? v.text() : v.isNil() ? std::string() : v.toText();
}

std::vector<std::string> optionTexts(const Value& options) {
    std::vector<std::string> out;
    if (options.isArray())
        for (const Value& v : *options.array()) out.push_back(optionText(v));
    else
        out.push_back(optionText(options));
    if (out.empty()) out.emplace_back();
    return out;
}

}  // namespace

void setMenuRadioHelp(std::function<void(int)> opener) {
    helpOpener() = std::move(opener);
}

MenuRadioLayout menuRadioLayout(int optionWidth, const std::vector<int>& captionWidths, int optionCount) {
    MenuRadioLayout l;
    int buttons = int(captionWidths.size());
    l.buttonWidth = (captionWidths.empty() ? 0 : *std::max_element(captionWidths.begin(), captionWidths.end())) + 8;
    l.rowWidth = (l.buttonWidth + 7) * buttons + 7;
    l.boxWidth = std::max(optionWidth + 60.0, l.rowWidth);
    l.boxHeight = optionCount * 26.5 + 40;
    l.radioCol = (l.boxWidth - optionWidth) / 44 - 0.1;
    l.start = (l.boxWidth - l.rowWidth) / 2 + (buttons == 1 ? 7 : 0);
    l.buttonRow = (optionCount + 0.5) * 13;
    for (int i = 0; i < buttons; ++i) l.buttonCols.push_back((l.start + (l.buttonWidth + 14) * i) / 2);
    return l;
}

int MENURADIOBUTTON(const MenuRadioArgs& args) {
    std::vector<std::string> options = optionTexts(args.options);
    int chosen = args.defaultOption.isNumber() ? int(args.defaultOption.num()) : options.front().empty() ? 0 : 1;
    std::vector<std::string> captions{" &Aceptar ", " &Cancelar "};
    if (args.helpTopic.isNumber()) captions.push_back(" A&yuda ");

    TFont font("Ms Sans Serif", 0, 13);
    int optionWidth = 0;
    for (const auto& o : options) optionWidth = std::max(optionWidth, font.textWidth(o));
    std::vector<int> captionWidths;
    for (const auto& c : captions) captionWidths.push_back(font.textWidth(c));
    MenuRadioLayout l = menuRadioLayout(optionWidth, captionWidths, int(options.size()));

    TDialog dlg(DialogOptions{.title = args.title, .width = int(l.boxWidth), .height = int(l.boxHeight)});
    dlg.add<TRadMenu>(RadMenuOptions{.top = l.radioRow * kMenuRadioRowUnits,
                                     .left = l.radioCol * kMenuRadioColUnits,
                                     .width = optionWidth / 2.0,
                                     .itemHeight = kMenuRadioRowUnits,
                                     .items = options,
                                     .get = [&] { return chosen; },
                                     .set = [&](int n) { chosen = n; },
                                     .font = font});
    bool accepted = false;
    int topic = int(args.helpTopic.num());
    std::function<void()> actions[] = {[&] { accepted = dlg.end(1); }, [&] { dlg.end(0); },
                                       [topic] {
                                           if (helpOpener()) helpOpener()(topic);
                                       }};
    for (size_t i = 0; i < captions.size(); ++i)
        dlg.add<TButton>(ButtonOptions{.rect = Rect{l.buttonRow, l.buttonCols[i], l.buttonWidth / 2, 10},
                                       .caption = captions[i],
                                       .action = actions[i],
                                       .isDefault = i == 0,
                                       .font = font});
    dlg.activate();
    return accepted ? chosen : -1;
}
