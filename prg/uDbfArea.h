#pragma once
// Running a record buffer's work in its own area (shared by the buffer's source files).
#include "TableLayer.h"
#include "uDbf.h"

namespace udbf_detail {

// Makes `area` current for its lifetime and gives the caller's area back, also when the
// work unwinds.
class AreaSwitch {
  public:
    explicit AreaSwitch(int area) : previous_(currentAreaNo()) {
        if (area != previous_) DBSELECTAREA(area);
    }
    ~AreaSwitch() {
        if (currentAreaNo() != previous_) DBSELECTAREA(previous_);
    }
    AreaSwitch(const AreaSwitch&) = delete;
    AreaSwitch& operator=(const AreaSwitch&) = delete;

  private:
    int previous_;
};

}  // namespace udbf_detail

template <class F>
auto uDBF::inArea(F&& f) {
    udbf_detail::AreaSwitch use(area_);
    return f();
}
