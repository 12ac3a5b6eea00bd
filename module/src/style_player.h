// The style engine: plays the selected style's sections tick by tick on
// channels 12-16, follows section requests at the bar lines the host expects
// (intro to its end then the current main, a fill-in in its measure then
// back, an ending to its end then silence), and moves pattern notes to the
// recognised chord, releasing every sounding note it moves away from. Each
// pass of a looping pattern varies its velocities slightly (deterministic).
//
// Thread rules: a plain object; the owner serialises calls. Ticking never
// allocates (sounding notes live in a fixed table).
#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "chord.h"
#include "style.h"

namespace corvane {

// Receives the channel messages the engine plays (channels 12-16).
class StyleSink {
 public:
  virtual void OnStyleMessage(uint8_t status, uint8_t data1, uint8_t data2) = 0;

 protected:
  ~StyleSink() = default;
};

class StylePlayer {
 public:
  // The rhythm to play (null: none). Sounding notes end at once; a running
  // engine picks up the new style at the next bar line.
  void SetStyle(const Style* style, StyleSink& sink);
  void SetVariation(int index);                   // 0..3: main 1..4
  void RequestIntro(int number);                  // 1, 2; 0 cancels a waiting intro
  void RequestFill(int number, StyleSink& sink);  // 1, 2; 0 ends the fill-in
  void RequestEnding(int number);                 // 1, 2
  void SetChord(const Chord& chord);

  void Start();
  void Stop(StyleSink& sink);
  // Plays the tick at the current position and moves on by one tick.
  void Tick(StyleSink& sink);

  // Whether the Tick `ahead` calls from now may send anything, when the
  // ticks before it send nothing and no input comes meanwhile. Errs towards
  // true; never false for a tick that sends.
  bool TickMaySend(uint32_t ahead) const;

  bool running() const { return running_; }
  uint32_t position() const { return position_; }

 private:
  struct Playing {
    const Section* section = nullptr;
    SectionKind kind = SectionKind::kMain;
    int number = 0;
    uint32_t offset = 0;  // ticks into the section
    uint32_t end = 0;     // offset at which it is done
    size_t next_note = 0;
    size_t next_control = 0;
  };
  struct Sounding {
    uint8_t part;
    uint8_t key;
    uint32_t end;  // absolute tick
  };

  uint32_t MeasureTicks() const;
  void OnBarLine(StyleSink& sink);
  void Begin(SectionKind kind, int number, uint32_t offset, StyleSink& sink);
  void Finish(StyleSink& sink);
  void ReleaseAll(StyleSink& sink);
  void ReleaseMoved(StyleSink& sink);
  void PlayControl(const PatternControl& c, StyleSink& sink);
  void PlayNote(const PatternNote& n, StyleSink& sink);
  void Release(size_t index, StyleSink& sink);

  const Style* style_ = nullptr;
  bool running_ = false;
  bool finished_ = false;
  uint32_t position_ = 0;
  int main_ = 0;
  int pending_intro_ = 0;
  int pending_fill_ = 0;
  int pending_ending_ = 0;
  Playing playing_{};
  std::optional<Chord> chord_;
  std::optional<Chord> sounding_chord_;
  std::array<Sounding, kPartCount * 128> sounding_{};
  size_t sounding_count_ = 0;
};

}  // namespace corvane
