// The message box itself: one dialog per call, drill-down boxes owned by the box that
// opened them.
#include "aMensaje.h"

#include <memory>

#include "Control.h"
#include "Dialog.h"
#include "aMax.h"

namespace {

Array captionsOf(const Value& buttons) {
    if (buttons.isArray() && buttons.array() && !buttons.array()->empty()) {
        Array captions;
        for (const Value& b : *buttons.array()) captions.push_back(Value(mensajeText(b)));
        return captions;
    }
    if (buttons.isEmptyValue() || buttons.isArray()) return Array{Value(" &Aceptar ")};
    return Array{Value(mensajeText(buttons))};
}

// Widest text among `texts` in `font`, measured through AMAX as the layout asks.
double widest(const Array& texts, const TFont& font) {
    Value measure = Value(Callable([&font](const std::vector<Value>& a) {
        return Value(font.textWidth(a.empty() ? std::string() : a[0].text()));
    }));
    Value w = AMAX(Value(texts), Value(), Value(), measure, Value("C"));
    return w.num();
}

class MessageBox {
  public:
    MessageBox(const MensajeArgs& a, TWindowBase* parent)
        : drillDown_(!a.path.empty()), path_(a.path) {
        if (!a.font) ownFont_ = std::make_unique<TFont>("MS Sans Serif", 0, 13);
        font_ = a.font ? a.font : ownFont_.get();
        std::string title = a.title.isNil() ? "" : mensajeText(a.title);
        if (drillDown_) title = path_;
        auto lines = mensajeLines(a.value, &title);
        Array captions = captionsOf(a.buttons);
        Array lineTexts;
        for (const auto& l : lines) lineTexts.push_back(Value(l.text));

        MensajeLayout layout =
            mensajeLayout(int(lines.size()), lines.empty() ? 0 : widest(lineTexts, *font_),
                          int(captions.size()), widest(captions, *font_), font_->textWidth(title));
        box_ = std::make_unique<TDialog>(DialogOptions{.title = title,
                                                       .width = int(layout.boxWidth + 0.5),
                                                       .height = int(layout.boxHeight + 0.5),
                                                       .parent = parent});
        bool canClose = a.canClose.isLogical() ? a.canClose.logical() : true;
        box_->bValid = [this, canClose](TDialog&) { return canClose || chosen_; };
        addLines(lines, layout);
        addButtons(captions, layout);
        int n = int(captions.size());
        int focus = a.defaultButton.isNumber() ? int(a.defaultButton.num()) : 1;
        defaultButton_ = buttons_[size_t(focus >= 1 && focus <= n ? focus - 1 : 0)];
    }

    int run(bool modal) {
        box_->activate(ActivateOptions{.modal = modal, .onInit = [this](TDialog&) {
                                           defaultButton_->setDefault(true);
                                           defaultButton_->setFocus();
                                       }});
        if (!modal) box_->bringToTop();
        return answer_;
    }

    bool open() const { return box_->active(); }

  private:
    void addLines(const std::vector<MensajeLine>& lines, const MensajeLayout& layout) {
        for (size_t i = 0; i < lines.size(); ++i) {
            TSay* say = box_->add<TSay>(SayOptions{.rect = layout.lines[i],
                                                   .text = lines[i].text,
                                                   .align = TextAlign::Center | TextAlign::VCenter,
                                                   .font = *font_});
            if (lines[i].nested.isNil()) continue;
            std::string childPath = (path_.empty() ? "" : path_ + ",") + std::to_string(i + 1);
            Value nested = lines[i].nested;
            say->setOnLeftDoubleClick(
                [this, nested, childPath](int, int) { openDrillDown(nested, childPath); });
        }
    }

    void addButtons(const Array& captions, const MensajeLayout& layout) {
        for (size_t i = 0; i < captions.size(); ++i) {
            int number = int(i) + 1;
            buttons_.push_back(box_->add<TButton>(ButtonOptions{
                .rect = layout.buttons[i], .caption = captions[i].text(), .action = [this, number] {
                    chosen_ = true;
                    if (!drillDown_) answer_ = number;
                    box_->end(drillDown_ ? 0 : number);
                }}));
        }
    }

    void openDrillDown(const Value& nested, const std::string& path) {
        std::erase_if(children_, [](const auto& c) { return !c->open(); });
        MensajeArgs child;
        child.value = nested;
        child.font = font_;
        child.path = path;
        children_.push_back(std::make_unique<MessageBox>(child, box_.get()));
        children_.back()->run(false);
    }

    bool drillDown_;
    std::string path_;
    std::unique_ptr<TFont> ownFont_;
    const TFont* font_ = nullptr;
    std::unique_ptr<TDialog> box_;
    std::vector<TButton*> buttons_;
    TButton* defaultButton_ = nullptr;
    int answer_ = 0;
    bool chosen_ = false;
    std::vector<std::unique_ptr<MessageBox>> children_;  // drill-down boxes, closed with this one
};

// Drill-down boxes opened by a direct call with a path, kept until they close.
std::vector<std::unique_ptr<MessageBox>>& detachedBoxes() {
    static std::vector<std::unique_ptr<MessageBox>> boxes;
    return boxes;
}

}  // namespace

int AMENSAJE(const MensajeArgs& args) {
    if (!args.path.empty()) {
        auto& boxes = detachedBoxes();
        std::erase_if(boxes, [](const auto& b) { return !b->open(); });
        boxes.push_back(std::make_unique<MessageBox>(args, nullptr));
        return boxes.back()->run(false);
    }
    MessageBox box(args, nullptr);
    return box.run(true);
}

int MENSAJE(const MensajeArgs& args) {
    return AMENSAJE(args);
}
