// Test harness: builds small styles in the style bank's file format, starts
// the module on the virtual clock and talks to it only as a driver would,
// through USB-MIDI packets on its endpoint and through its audio render.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/usb_endpoint.h"

namespace corvane::test {

// A style file: sections of whole measures, written as the content
// generator writes them (marker, chord text, part texts, then events).
class StyleWriter {
 public:
  explicit StyleWriter(int beats = 4, int bpm = 120);
  // Starts a section `measures` long after the previous one.
  StyleWriter& Section(const std::string& name, int measures, const std::string& chord = "C maj");
  StyleWriter& Part(int channel, const std::string& rule, int low, int high);
  // A note on MIDI channel `channel` (12..16) at `tick` of the section.
  StyleWriter& Note(int channel, uint32_t tick, int key, int velocity, uint32_t length);
  StyleWriter& Program(int channel, int program);
  std::vector<uint8_t> Bytes() const;
  // Into styles/, or styles/dark/ for the dark mood's variant.
  void WriteTo(const std::filesystem::path& data_dir, int key_b, int key_c,
               bool dark = false) const;

 private:
  struct Event {
    uint32_t tick;
    int order;
    std::vector<uint8_t> bytes;
  };
  void Add(uint32_t tick, std::vector<uint8_t> bytes, int order);
  void Meta(uint32_t tick, uint8_t type, const std::string& text);

  int beats_;
  uint32_t section_start_ = 0;
  uint32_t next_start_ = 0;
  int sequence_ = 0;
  std::vector<Event> events_;
};

struct Received {
  uint64_t us;
  uint8_t status;
  uint8_t data1;
  uint8_t data2;
};

// A started module with a temporary data dir; stops it on destruction.
class ModuleRig {
 public:
  // `sound_font`: "" for a silent module, "default" for the test SoundFont.
  // `render_cores`: the module's synthesis threads (0: its own choice).
  explicit ModuleRig(const std::string& sound_font = "", bool with_style = true,
                     int render_cores = 0);
  ~ModuleRig();
  bool started() const { return started_; }
  const std::filesystem::path& data_dir() const { return dir_; }

  // Driver-side sending: short messages byte by byte (code index F), system
  // exclusive in code 4..7 packets, raw bytes as they are.
  void Short(std::initializer_list<uint8_t> bytes, int cable = 0);
  void SysEx(const std::vector<uint8_t>& bytes, int cable = 0);
  void Raw(const std::vector<uint8_t>& bytes);
  // A parameter message with a correct checksum (or a broken one).
  void Parameter(uint32_t address, std::vector<uint8_t> value_bytes, bool good_checksum = true);
  void SelectRhythm(int key_b, int key_c);

  // Moves the virtual clock to `us`, reading the IN pipe every 250 us.
  void RunUntil(uint64_t us);
  // Sends `count` clocks at `period_us` from the current time.
  void Clocks(int count, uint64_t period_us);
  uint64_t now() const;

  const std::vector<Received>& received() const { return received_; }
  std::vector<Received> Notes(int channel) const;  // 1-based; note-ons and note-offs
  std::vector<uint64_t> ClockTimes() const;

 private:
  void Poll();

  std::filesystem::path dir_;
  bool started_ = false;
  SonavexUsbEndpoint endpoint_{};
  std::vector<Received> received_;
  std::vector<uint8_t> in_pending_;
};

// The SoundFont the audio tests use (the small one when present), or "".
std::string TestSoundFont();

}  // namespace corvane::test
