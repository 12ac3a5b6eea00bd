// Range extraction with state chase: material started in the middle sounds as
// it would have at that point (tempo, meter, registered parameters, bend,
// bank and program, controllers).
#include <cstring>

#include "midibytes/track_walker.h"
#include "song/track_buffer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

constexpr int kRegisteredParameters = 3;  // pitch-bend range, fine and coarse tuning

struct ChannelState {
  int16_t program = -1;
  int16_t bend_lsb = -1;
  int16_t bend_msb = -1;
  int16_t controller[120];
  int16_t selected_msb = -1;  // controller 101
  int16_t selected_lsb = -1;  // controller 100
  int16_t coarse[kRegisteredParameters] = {-1, -1, -1};
  int16_t fine[kRegisteredParameters] = {-1, -1, -1};

  ChannelState() { std::memset(controller, 0xFF, sizeof controller); }

  int Selected() const {
    return selected_msb == 0 && selected_lsb >= 0 && selected_lsb < kRegisteredParameters
               ? selected_lsb
               : -1;
  }

  void Controller(int number, int value) {
    if (number < 120) controller[number] = static_cast<int16_t>(value);
    switch (number) {
      case 101:
        selected_msb = static_cast<int16_t>(value);
        break;
      case 100:
        selected_lsb = static_cast<int16_t>(value);
        break;
      case 98:
      case 99:
        selected_msb = selected_lsb = -1;
        break;
      case 6:
        if (Selected() >= 0) coarse[Selected()] = static_cast<int16_t>(value);
        break;
      case 38:
        if (Selected() >= 0) fine[Selected()] = static_cast<int16_t>(value);
        break;
      default:
        break;
    }
  }
};

struct ChaseState {
  const uint8_t* tempo = nullptr;      // the 3 data bytes of the last tempo event
  const uint8_t* signature = nullptr;  // the 4 data bytes of the last time signature
  ChannelState channel[16];

  void See(const uint8_t* bytes, const midibytes::SmfEvent& e) {
    if (e.status == 0xFF) {
      if (e.type == 0x51 && e.length == 3) tempo = bytes + e.data;
      if (e.type == 0x58 && e.length == 4) signature = bytes + e.data;
      return;
    }
    if (!e.IsChannel()) return;
    ChannelState& c = channel[e.Channel()];
    const uint8_t d1 = bytes[e.data];
    const uint8_t d2 = e.length >= 2 ? bytes[e.data + 1] : 0;
    switch (e.Kind()) {
      case 0xB0:
        c.Controller(d1, d2);
        break;
      case 0xC0:
        c.program = d1;
        break;
      case 0xE0:
        c.bend_lsb = d1;
        c.bend_msb = d2;
        break;
      default:
        break;
    }
  }

  void Write(TrackWriter& out) const {
    if (tempo != nullptr) {
      const uint8_t event[6] = {0xFF, 0x51, 0x03, tempo[0], tempo[1], tempo[2]};
      out.Raw(0, event, 6);
    }
    if (signature != nullptr) {
      const uint8_t event[7] = {0xFF,         0x58,         0x04,        signature[0],
                                signature[1], signature[2], signature[3]};
      out.Raw(0, event, 7);
    }
    for (int n = 0; n < 16; ++n) {
      const ChannelState& c = channel[n];
      const uint8_t cc = static_cast<uint8_t>(0xB0 | n);
      for (int p = 0; p < kRegisteredParameters; ++p) {
        if (c.coarse[p] < 0 && c.fine[p] < 0) continue;
        out.Channel(0, cc, 100, static_cast<uint8_t>(p), false);
        out.Channel(0, cc, 101, 0, false);
        out.Channel(0, cc, 6, static_cast<uint8_t>(c.coarse[p] < 0 ? 0 : c.coarse[p]), false);
        out.Channel(0, cc, 38, static_cast<uint8_t>(c.fine[p] < 0 ? 0 : c.fine[p]), false);
      }
      if (c.bend_lsb >= 0) {
        out.Channel(0, static_cast<uint8_t>(0xE0 | n), static_cast<uint8_t>(c.bend_lsb),
                    static_cast<uint8_t>(c.bend_msb), false);
      }
      if (c.program >= 0) {
        if (c.controller[0] >= 0)
          out.Channel(0, cc, 0, static_cast<uint8_t>(c.controller[0]), false);
        if (c.controller[32] >= 0) {
          out.Channel(0, cc, 32, static_cast<uint8_t>(c.controller[32]), false);
        }
        out.Channel(0, static_cast<uint8_t>(0xC0 | n), static_cast<uint8_t>(c.program), 0, false);
      }
      for (int number = 1; number < 120; ++number) {
        if (number == 6 || number == 32 || number == 38 || (number >= 96 && number <= 101))
          continue;
        if (c.controller[number] < 0) continue;
        out.Channel(0, cc, static_cast<uint8_t>(number), static_cast<uint8_t>(c.controller[number]),
                    false);
      }
    }
  }
};

// The source's header chunk, when it is a plain 14-byte one.
const uint8_t* PlainHeader(const TrackBuffer& source) {
  for (int32_t at : {0, 128}) {
    if (at + 14 > source.size) break;
    if (std::memcmp(source.bytes + at, "MThd\0\0\0\6", 8) == 0) return source.bytes + at;
  }
  return nullptr;
}

}  // namespace

Rc RangeTrack(int source, int32_t from, int32_t to, int32_t offset, uint16_t drop_note_channels) {
  if (!IsTrackNumber(source) || source == CurrentTrackBuffer()) return kRcError;
  const TrackBuffer& src = TrackBufferAt(source);
  TrackBuffer& dst = TrackBufferAt(CurrentTrackBuffer());
  const int32_t first = midibytes::FirstTrackEvent(src.bytes, src.size);
  midibytes::TrackWalker reader =
      first < 0 ? midibytes::TrackWalker(src.bytes, 0, -1)
                : midibytes::TrackWalker(
                      src.bytes, midibytes::FirstTrackLimit(src.bytes, src.size, first), first);

  ChaseState state;
  NoteCounters& counters = TrackScratchSpace().counters;
  counters.Clear();

  TrackWriter out(dst);
  out.Start();
  if (const uint8_t* header = PlainHeader(src)) std::memcpy(dst.bytes, header, 14);

  midibytes::SmfEvent event;
  midibytes::SmfStep step = reader.Next(&event);
  for (; step == midibytes::SmfStep::kEvent && event.time < from; step = reader.Next(&event)) {
    if (event.status == 0xF0 || event.status == 0xF7) {
      out.CopyWhole(0, src.bytes, event);
    } else {
      state.See(src.bytes, event);
    }
  }
  state.Write(out);
  const int64_t shift = int64_t{offset} - from;
  for (; step == midibytes::SmfStep::kEvent && event.time < to; step = reader.Next(&event)) {
    const int64_t time = event.time + shift;
    if (!event.IsChannel()) {
      out.CopyWhole(time, src.bytes, event);
      continue;
    }
    const bool note = event.Kind() == 0x80 || event.Kind() == 0x90;
    if (note && (drop_note_channels >> event.Channel()) & 1) continue;
    if (note && out.CopyChannel(time, src.bytes, event, false)) {
      counters.Count(event.status, src.bytes[event.data], src.bytes[event.data + 1]);
    } else if (!note) {
      out.CopyChannel(time, src.bytes, event, false);
    }
  }
  const int64_t end = int64_t{to} + shift;
  counters.WriteNoteOffs(out, end);
  out.End(end);
  return kRcOk;
}

}  // namespace qm3
