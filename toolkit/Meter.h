#pragma once
// TMeter: a progress bar showing how far a job has gone, as a bar and as the percentage
// written over it. Owned by its window like every control. The job that runs calls set()
// as it goes; the bar then lets the pending events run (so it paints and the window stays
// alive) whenever the percentage shown changes, at most every kRefreshMs milliseconds,
// and always when the job reaches the total. Time is the toolkit clock's (Clock.h).
#include <limits>
#include <optional>
#include <string>

#include "Control.h"
#include "Value.h"

struct MeterOptions {
    Rect rect;
    double total = 100;
    double position = 0;
    std::optional<TFont> font;
    std::optional<Color> barColor;   // default: the system's highlight colour
    std::optional<Color> textColor;  // of the percentage; default: black
    int id = 0;
};

class TMeter : public TControl {
  public:
    static constexpr int kRefreshMs = 40;

    TMeter(TWindowBase& parent, MeterOptions options);
    ~TMeter() override;

    // A total of 0 or less shows an empty bar whatever the position.
    void setTotal(double total);
    double total() const { return total_; }
    // Moves the bar (clamped to 0 ... total) and lets it paint when due.
    void set(double position);
    double position() const { return position_; }
    int percent() const;            // 0 ... 100, as shown
    std::string shownText() const;  // "42%"

    // The bar as a value, for jobs that get it among their arguments. The value does not
    // keep the bar alive: once the control is gone meterOf answers nullptr for it.
    Value asValue();

  private:
    void display();
    int stepsOf() const;  // the bar's position in its own range
    double total_ = 100;
    double position_ = 0;
    int shownPercent_ = -1;
    int shownSteps_ = -1;
    int paintedPercent_ = -1;                                        // at the last refresh
    double lastRefresh_ = -std::numeric_limits<double>::infinity();  // toolkit clock seconds
    std::shared_ptr<class MeterObject> self_;
};

// The bar a value made by TMeter::asValue stands for; nullptr for any other value or a
// bar that is gone.
TMeter* meterOf(const Value& v);
