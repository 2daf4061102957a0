#pragma once

#include "ui/window_model.h"

namespace xq {

// The form's geometry, in twips, with the log pane hidden (compact) and shown (expanded).
namespace form_geometry {
inline constexpr int kCompactHeight = 6990;
inline constexpr int kExpandedHeight = 9935;
inline constexpr int kCompactLineY = 6240;
inline constexpr int kExpandedLineY = 9080;
inline constexpr int kTwipsPerPixel = 15;
}  // namespace form_geometry

// Names of the two pictures `buttonLog` takes from its picture holders.
inline constexpr const char* kShowLogPicture = "showLog";  // compact: the log can be shown
inline constexpr const char* kHideLogPicture = "hideLog";  // expanded: the log can be hidden

// The log pane's show/hide state and the form layout that goes with it.
class LogPane {
  public:
    explicit LogPane(WindowModel& window) : window_(window) {}

    // The design-time layout: compact form and the separator lines that frame the working area.
    void layOutCompact();
    // `buttonLog` clicked: shows the log and expands the form, or hides it and compacts the form.
    void toggle();
    // Start-up: hidden, with the picture that offers to show it.
    void startHidden();

    bool shown() const { return shown_; }

  private:
    void setLines(int y);

    WindowModel& window_;
    bool shown_ = false;
};

}  // namespace xq
