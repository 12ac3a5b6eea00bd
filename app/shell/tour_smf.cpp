#include "shell/tour_smf.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "midibytes/track_writer.h"

namespace sonavex::app {
namespace {

constexpr int64_t kBeat = 96;
constexpr int64_t kMeasure = 4 * kBeat;
constexpr int kMeasures = 8;

struct Part {
  uint8_t channel;  // 0-based
  uint8_t program;
  uint8_t volume;
  uint8_t pan;
};

// Piano, bass, strings, guitar and drums, each with its own level and place.
constexpr Part kParts[] = {
    {0, 0, 100, 64}, {1, 33, 110, 58}, {2, 48, 80, 40}, {3, 25, 90, 88}, {9, 0, 120, 64}};

struct Event {
  int64_t time;
  uint8_t status, data1, data2;
};

// Notes are gathered first: the writer takes events in time order.
void Note(std::vector<Event>* events, int64_t time, int64_t length, uint8_t channel, uint8_t key,
          uint8_t velocity) {
  events->push_back({time, static_cast<uint8_t>(0x90 | channel), key, velocity});
  events->push_back({time + length, static_cast<uint8_t>(0x80 | channel), key, 0});
}

}  // namespace

bool WriteTourSmf(const QString& path) {
  midibytes::TrackWriter w;
  const uint8_t tempo[] = {0x07, 0xA1, 0x20};  // 120 beats a minute
  const uint8_t metre[] = {0x04, 0x02, 0x18, 0x08};
  w.Meta(0, 0x51, tempo, sizeof tempo);
  w.Meta(0, 0x58, metre, sizeof metre);
  for (const Part& p : kParts) {
    w.Channel(0, 0xC0 | p.channel, p.program);
    w.Channel(0, 0xB0 | p.channel, 7, p.volume);
    w.Channel(0, 0xB0 | p.channel, 10, p.pan);
  }
  // C, A minor, F, G, twice: root and fifth in the bass, the triad held in
  // the strings, a melody rising by steps, a guitar on the off-beats and
  // drums.
  std::vector<Event> notes;
  const uint8_t roots[] = {48, 45, 41, 43};
  const uint8_t thirds[] = {4, 3, 4, 4};
  for (int m = 0; m < kMeasures; ++m) {
    const int64_t bar = m * kMeasure;
    const uint8_t root = roots[m % 4];
    const uint8_t third = static_cast<uint8_t>(root + thirds[m % 4]);
    for (uint8_t key : {static_cast<uint8_t>(root + 12), static_cast<uint8_t>(third + 12),
                        static_cast<uint8_t>(root + 19)}) {
      Note(&notes, bar, kMeasure - 8, 2, key, 60);
    }
    for (int beat = 0; beat < 4; ++beat) {
      const int64_t at = bar + beat * kBeat;
      const auto velocity = static_cast<uint8_t>(beat == 0 ? 110 : 70 + 8 * beat);
      Note(&notes, at, kBeat - 12, 0, static_cast<uint8_t>(root + 24 + 2 * beat), velocity);
      Note(&notes, at, kBeat - 6, 1, static_cast<uint8_t>(beat % 2 == 0 ? root - 12 : root - 5),
           beat == 0 ? 120 : 90);
      Note(&notes, at + kBeat / 2, kBeat / 4, 3, static_cast<uint8_t>(third + 12), 50);
      Note(&notes, at, kBeat / 4, 9, beat % 2 == 0 ? 36 : 38, beat % 2 == 0 ? 115 : 95);
      Note(&notes, at + kBeat / 2, kBeat / 4, 9, 42, 55);
    }
  }
  // At one time the releases go first.
  std::stable_sort(notes.begin(), notes.end(), [](const Event& a, const Event& b) {
    const bool a_off = (a.status & 0xF0) == 0x80, b_off = (b.status & 0xF0) == 0x80;
    return a.time != b.time ? a.time < b.time : a_off && !b_off;
  });
  for (const Event& e : notes) w.Channel(e.time, e.status, e.data1, e.data2);
  w.End(kMeasures * kMeasure);
  const std::vector<uint8_t> bytes = midibytes::AssembleFile(0, kBeat, {w.bytes()});
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto size = static_cast<qint64>(bytes.size());
  return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
}

}  // namespace sonavex::app
