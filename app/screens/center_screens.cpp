#include "screens/center_screens.h"

#include "screens/time_line_geometry.h"

namespace sonavex::app {

int CCenterScreen::Scale() const {
  return ClampScale(scale_ != nullptr ? *scale_ : own_scale_);
}

bool CCenterScreen::StepScale(int step) {
  const int next = Scale() + step;
  if (next < kMinScale || next > kMaxScale) return false;
  (scale_ != nullptr ? *scale_ : own_scale_) = next;
  return true;
}

}  // namespace sonavex::app
