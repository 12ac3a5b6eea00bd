// CSleepInhibitor: while a song plays the computer must not go to sleep. It
// holds the desktop's sleep inhibitor (logind over the system bus) while
// playing and lets it go when playback stops. Without a bus it does nothing.
//
// Thread rules: user-interface thread only; the bus call blocks briefly.
#pragma once
#include <QString>

namespace sonavex::app {

class CSleepInhibitor {
 public:
  CSleepInhibitor() = default;
  ~CSleepInhibitor();
  CSleepInhibitor(const CSleepInhibitor&) = delete;
  CSleepInhibitor& operator=(const CSleepInhibitor&) = delete;

  // Takes or releases the inhibitor to match `playing`.
  void SetPlaying(bool playing);
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  bool asked_ = false;  // playing was reported; no second request while it lasts
};

}  // namespace sonavex::app
