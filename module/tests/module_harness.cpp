#include "module_harness.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "corvane/module.h"
#include "midibytes/module_parameter.h"
#include "midibytes/number.h"
#include "platform/clock.h"

namespace corvane::test {
namespace {

int g_rig_serial = 0;

}  // namespace

StyleWriter::StyleWriter(int beats, int bpm) : beats_(beats) {
  Add(0, {0xFF, 0x58, 0x04, static_cast<uint8_t>(beats), 0x02, 0x18, 0x08}, 0);
  const uint32_t us = 60000000u / static_cast<uint32_t>(bpm);
  Add(0, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)}, 0);
}

void StyleWriter::Add(uint32_t tick, std::vector<uint8_t> bytes, int order) {
  events_.push_back(Event{tick, order * 1000000 + sequence_++, std::move(bytes)});
}

void StyleWriter::Meta(uint32_t tick, uint8_t type, const std::string& text) {
  std::vector<uint8_t> b = {0xFF, type};
  midibytes::AppendNumber(b, static_cast<uint32_t>(text.size()));
  b.insert(b.end(), text.begin(), text.end());
  Add(tick, std::move(b), 1);
}

StyleWriter& StyleWriter::Section(const std::string& name, int measures, const std::string& chord) {
  section_start_ = next_start_;
  next_start_ += static_cast<uint32_t>(measures * beats_ * 96);
  Meta(section_start_, 0x06, name);
  Meta(section_start_, 0x01, "chord=" + chord);
  return *this;
}

StyleWriter& StyleWriter::Part(int channel, const std::string& rule, int low, int high) {
  Meta(section_start_, 0x01,
       "part=" + std::to_string(channel) + " rule=" + rule + " low=" + std::to_string(low) +
           " high=" + std::to_string(high));
  return *this;
}

StyleWriter& StyleWriter::Note(int channel, uint32_t tick, int key, int velocity, uint32_t length) {
  const auto ch = static_cast<uint8_t>(channel - 1);
  Add(section_start_ + tick, {uint8_t(0x90 | ch), uint8_t(key), uint8_t(velocity)}, 3);
  // Note-offs come first at a tick, as a sequencer writes them.
  Add(section_start_ + tick + length, {uint8_t(0x80 | ch), uint8_t(key), 0}, 0);
  return *this;
}

StyleWriter& StyleWriter::Program(int channel, int program) {
  Add(section_start_, {uint8_t(0xC0 | (channel - 1)), uint8_t(program)}, 2);
  return *this;
}

std::vector<uint8_t> StyleWriter::Bytes() const {
  std::vector<Event> events = events_;
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::vector<uint8_t> track;
  uint32_t last = 0;
  for (const Event& e : events) {
    midibytes::AppendNumber(track, e.tick - last);
    last = e.tick;
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  midibytes::AppendNumber(track, next_start_ > last ? next_start_ - last : 0);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0,  0,   0,   6,   0,
                               0,   0,   1,   0,   96, 'M', 'T', 'r', 'k'};
  const auto n = static_cast<uint32_t>(track.size());
  file.insert(file.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

void StyleWriter::WriteTo(const std::filesystem::path& data_dir, int key_b, int key_c,
                          bool dark) const {
  const auto folder = dark ? data_dir / "styles" / "dark" : data_dir / "styles";
  std::filesystem::create_directories(folder);
  char name[32];
  std::snprintf(name, sizeof name, "style_%03d_%03d.mid", key_b, key_c);
  const auto bytes = Bytes();
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

std::string TestSoundFont() {
  for (const char* p :
       {"/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/sounds/sf2/FluidR3_GM.sf2"}) {
    if (std::filesystem::is_regular_file(p)) return p;
  }
  return "";
}

// The test style (rhythm keys 1 and 2): four-four, 120 per minute.
//   Main 1: chord part C E G at beats 1 and 3 (C major), bass C2 then G2,
//           kick on 1 and 3, snare on 2 and 4, a hi-hat half a clock after
//           tick 48.
//   Main 2: one chord tone and hi-hats.
//   Fill 1: snares on every eighth.
//   Intro 1: two measures of side sticks.  Ending 1: two measures, a crash.
// Its dark variant has a Main 1 with a ride on 1 and 3 and nothing else.
void WriteTestStyle(const std::filesystem::path& dir) {
  StyleWriter w;
  w.Section("Intro 1", 2).Part(16, "fixed", 0, 127);
  w.Note(16, 0, 37, 100, 24).Note(16, 384, 37, 100, 24);
  w.Section("Main 1", 1)
      .Part(12, "chord", 48, 84)
      .Part(15, "bass", 28, 55)
      .Part(16, "fixed", 0, 127)
      .Program(12, 0)
      .Program(15, 33);
  for (uint32_t t : {0u, 192u}) {
    w.Note(12, t, 60, 90, 96).Note(12, t, 64, 90, 96).Note(12, t, 67, 90, 96);
    w.Note(16, t, 36, 110, 24);
  }
  w.Note(15, 0, 36, 100, 96).Note(15, 192, 43, 100, 96);
  w.Note(16, 96, 38, 100, 24).Note(16, 288, 38, 100, 24).Note(16, 50, 42, 80, 10);
  w.Section("Main 2", 1).Part(12, "chord", 48, 84).Part(16, "fixed", 0, 127);
  w.Note(12, 0, 72, 90, 384);
  for (uint32_t t = 0; t < 384; t += 96) w.Note(16, t, 42, 90, 24);
  w.Section("Fill 1", 1).Part(16, "fixed", 0, 127);
  for (uint32_t t = 0; t < 384; t += 48) w.Note(16, t, 38, 100, 24);
  w.Section("Ending 1", 2).Part(15, "bass", 28, 55).Part(16, "fixed", 0, 127);
  w.Note(15, 0, 36, 100, 384).Note(16, 0, 49, 110, 96);
  w.WriteTo(dir, 1, 2);

  // The dark mood's variant: Main 1 only, a ride instead of the kick.
  StyleWriter dark;
  dark.Section("Main 1", 1).Part(16, "fixed", 0, 127);
  dark.Note(16, 0, 51, 70, 24).Note(16, 192, 51, 70, 24);
  dark.WriteTo(dir, 1, 2, true);
}

ModuleRig::ModuleRig(const std::string& sound_font, bool with_style, int render_cores) {
  platform::UseVirtualClock();
  dir_ = std::filesystem::temp_directory_path() /
         ("corvane-module-test-" + std::to_string(getpid()) + "-" + std::to_string(g_rig_serial++));
  std::filesystem::remove_all(dir_);
  std::filesystem::create_directories(dir_);
  if (with_style) WriteTestStyle(dir_);
  const std::string font = sound_font == "default" ? TestSoundFont() : sound_font;
  const std::string dir = dir_.string();
  CorvaneModuleOptions options{};
  options.data_dir = dir.c_str();
  options.sound_font = font.c_str();
  options.render_cores = render_cores;
  started_ = CorvaneModuleStart(&options) == CORVANE_MODULE_OK &&
             SonavexFindUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &endpoint_) == 0;
}

ModuleRig::~ModuleRig() {
  CorvaneModuleStop();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

void ModuleRig::Raw(const std::vector<uint8_t>& bytes) {
  endpoint_.write_out(endpoint_.ctx, bytes.data(), static_cast<int>(bytes.size()));
}

void ModuleRig::Short(std::initializer_list<uint8_t> bytes, int cable) {
  std::vector<uint8_t> packets;
  for (uint8_t b : bytes) packets.insert(packets.end(), {uint8_t(cable << 4 | 0x0F), b, 0, 0});
  Raw(packets);
}

void ModuleRig::SysEx(const std::vector<uint8_t>& bytes, int cable) {
  std::vector<uint8_t> packets;
  size_t i = 0;
  const auto head = static_cast<uint8_t>(cable << 4);
  while (bytes.size() - i > 3) {
    packets.insert(packets.end(), {uint8_t(head | 4), bytes[i], bytes[i + 1], bytes[i + 2]});
    i += 3;
  }
  const size_t left = bytes.size() - i;
  if (left == 3)
    packets.insert(packets.end(), {uint8_t(head | 7), bytes[i], bytes[i + 1], bytes[i + 2]});
  if (left == 2) packets.insert(packets.end(), {uint8_t(head | 6), bytes[i], bytes[i + 1], 0});
  if (left == 1) packets.insert(packets.end(), {uint8_t(head | 5), bytes[i], 0, 0});
  Raw(packets);
}

void ModuleRig::Parameter(uint32_t address, std::vector<uint8_t> value_bytes, bool good) {
  auto m = midibytes::BuildParameter(address, value_bytes.data(),
                                     static_cast<int>(value_bytes.size() / 2));
  if (!good) m.bytes[m.size - 2] ^= 0x01;
  SysEx(std::vector<uint8_t>(m.bytes.begin(), m.bytes.begin() + static_cast<long>(m.size)));
}

void ModuleRig::SelectRhythm(int b, int c) {
  Parameter(0x0A000000, {uint8_t(b >> 4), uint8_t(b & 15), uint8_t(c & 15), uint8_t(c >> 4)});
}

uint64_t ModuleRig::now() const {
  return platform::GetMicroseconds();
}

void ModuleRig::Poll() {
  uint8_t buf[512];
  for (;;) {
    const int n = endpoint_.read_in(endpoint_.ctx, buf, sizeof buf, 0);
    if (n <= 0) return;
    for (int i = 0; i + 3 < n; i += 4) {
      // Packets carry one message each: code index F a single byte, else
      // the channel message of its status.
      const uint8_t cin = buf[i] & 0x0F;
      if (cin < 8 && cin != 0x0F) continue;
      received_.push_back(Received{now(), buf[i + 1], buf[i + 2], buf[i + 3]});
    }
  }
}

void ModuleRig::RunUntil(uint64_t us) {
  Poll();
  while (now() < us) {
    platform::SleepUntilMicroseconds(std::min(us, now() + 250));
    Poll();
  }
}

void ModuleRig::Clocks(int count, uint64_t period_us) {
  for (int i = 0; i < count; ++i) {
    Short({0xF8});
    RunUntil(now() + period_us);
  }
}

std::vector<Received> ModuleRig::Notes(int channel) const {
  std::vector<Received> out;
  for (const auto& r : received_) {
    const uint8_t kind = r.status & 0xF0;
    if ((kind == 0x90 || kind == 0x80) && (r.status & 0x0F) == channel - 1) out.push_back(r);
  }
  return out;
}

std::vector<uint64_t> ModuleRig::ClockTimes() const {
  std::vector<uint64_t> out;
  for (const auto& r : received_) {
    if (r.status == 0xF8) out.push_back(r.us);
  }
  return out;
}

}  // namespace corvane::test
