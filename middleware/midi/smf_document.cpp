#include "midi/smf_document.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <new>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/result.h"
#include "core/time_base.h"
#include "midi/module_sender.h"
#include "midi/smf_import.h"
#include "midi/transport.h"
#include "midibytes/voices.h"
#include "platform/trace.h"
#include "song/song_file_dispatch.h"

namespace qm3::midi {
namespace {

constexpr size_t kCopyPiece = 64 * 1024;
constexpr size_t kMaxFileBytes = size_t{256} << 20;
constexpr int32_t kLeadIn = 384;  // the count-in measure of the system's own files
constexpr char kWorkingFileName[] = "midi.dat";

struct SmfDocument {
  std::vector<uint8_t> image;       // the file as edited
  std::vector<uint8_t> play_image;  // what playback reads; replaced only while stopped
  bool play_stale = false;
  std::vector<uint8_t> undo_image;
  ConvertedSmf converted;
  DrumScan drums;
  int sound_set = kSoundSetNative;
  bool gm_voices = true;
  bool open = false;
  std::atomic<uint16_t> muted{0};  // the parts' play switches, for the play thread
};
}  // namespace

// The open document's slot in the middleware instance.
struct SmfDocumentSlot {
  std::unique_ptr<SmfDocument> doc;
};

PartState<SmfDocumentSlot> MakeSmfDocumentSlot() {
  return MakePartState<SmfDocumentSlot>();
}

namespace {

std::unique_ptr<SmfDocument>& Doc() {
  return TheMiddleware().smf->doc;
}

bool DocumentOpen() {
  return Doc() != nullptr && Doc()->open && EditingMode() != 0;
}

// ---- the working file --------------------------------------------------------------

// Deletes the working file however the import ends.
struct WorkingFile {
  std::string path = WorkDirectory() + kWorkingFileName;
  ~WorkingFile() { std::remove(path.c_str()); }
};

// Copies `from` to `to` in 64 KiB pieces: 0, 5 (no source), 8 (no target),
// 11 (short write).
Rc CopyFile(const std::string& from, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) return kRcFileNotRead;
  std::FILE* out = std::fopen(to.c_str(), "wb");
  if (out == nullptr) {
    std::fclose(in);
    return kRcDiskFull;
  }
  std::vector<char> piece(kCopyPiece);
  Rc rc = kRcOk;
  size_t total = 0;
  for (size_t n; (n = std::fread(piece.data(), 1, piece.size(), in)) > 0;) {
    total += n;
    if (total > kMaxFileBytes) {
      rc = kRcFileNotRead;
      break;
    }
    if (std::fwrite(piece.data(), 1, n, out) != n) {
      rc = kRcFileNotWritten;
      break;
    }
  }
  if (rc == kRcOk && std::ferror(in) != 0) rc = kRcFileNotRead;
  std::fclose(in);
  if (std::fclose(out) != 0 && rc == kRcOk) rc = kRcFileNotWritten;
  return rc;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  bytes->clear();
  uint8_t piece[kCopyPiece];
  bool ok = true;
  for (size_t n; (n = std::fread(piece, 1, sizeof piece, f)) > 0;) {
    if (bytes->size() + n > kMaxFileBytes) {
      ok = false;
      break;
    }
    bytes->insert(bytes->end(), piece, piece + n);
  }
  ok = ok && std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

// ---- reading the image ----------------------------------------------------------------

struct ReadImage {
  ConvertedSmf converted;
  DrumScan drums;
};

// The checks and conversion of an image; 20 when the song is longer than the
// song length may be.
Rc ReadFileImage(const std::vector<uint8_t>& image, ReadImage* out) {
  if (Rc rc = ConvertSmf(image.data(), image.size(), &out->converted); rc != kRcOk) return rc;
  int32_t min = 0;
  int32_t max = 0;
  ReadRange(kSongLength, &min, &max);
  if (out->converted.length_ticks > max) return kRcSongTooLong;
  out->drums = ScanDrumParts(image.data(), image.size());
  return kRcOk;
}

midibytes::VoiceMap Map() {
  return Doc()->gm_voices ? midibytes::VoiceMap::kGeneralMidi : midibytes::VoiceMap::kNative;
}

int64_t FileTickOf(int32_t ticks) {
  const double t = ticks + (Doc()->converted.own_marker ? kLeadIn : 0);
  return static_cast<int64_t>(t / Doc()->converted.tempo_ratio + 0.5);
}

void RefreshPlayImage() {
  if (IsPlaying()) {
    Doc()->play_stale = true;
    return;
  }
  Doc()->play_image = Doc()->image;
  Doc()->play_stale = false;
  SmfPlaySource source;
  source.image = Doc()->play_image.data();
  source.size = Doc()->play_image.size();
  source.tempo_ratio = Doc()->converted.tempo_ratio;
  source.own_marker = Doc()->converted.own_marker;
  source.gm_voices = Doc()->gm_voices;
  source.muted_parts = &Doc()->muted;
  SetSmfPlaySource(source);
}

// Writes each part's sound, volume and pan as the file sets them at `ticks`;
// notifies those that changed (all of them with `notify_all`).
void LoadParts(int32_t ticks, bool notify_all) {
  const std::vector<uint8_t>& image = Doc()->play_stale ? Doc()->image : Doc()->play_image;
  const auto parts = PartSettingsAt(image.data(), image.size(), FileTickOf(ticks));
  for (int p = 1; p <= kPartCount; ++p) {
    const PartSettings& s = parts[p - 1];
    const int32_t values[3] = {
        midibytes::MessagesToVoice(Map(), Doc()->drums.drums[p - 1], s.bank, s.fine, s.program),
        s.volume, s.pan};
    const ControlId ids[3] = {PartSound(p), PartVolume(p), PartPan(p)};
    for (int k = 0; k < 3; ++k) {
      if (ReadValue(ids[k]) == values[k] && !notify_all) continue;
      WriteValue(ids[k], values[k], false);
      Notify(ids[k], kNotifyValue);
    }
  }
}

// The play switches as the play thread reads them.
void ReadMutes() {
  uint16_t mask = 0;
  for (int p = 1; p <= kPartCount; ++p) {
    if (ReadValue(PartPlay(p)) == 0) mask = static_cast<uint16_t>(mask | (1u << (p - 1)));
  }
  Doc()->muted.store(mask, std::memory_order_relaxed);
}

// Frames of each tempo change, as the time base counts them.
void ApplyTempoMap(const std::vector<TempoPoint>& tempos) {
  if (tempos.empty()) {
    ClearTempoMap();
    return;
  }
  const double fps = CurrentFramesPerSecond();
  std::vector<TempoMapEntry> map;
  map.reserve(tempos.size());
  double frames = fps * tempos.front().tick * 0.625 / (kDefaultTempo * 0.0001);
  for (size_t i = 0; i < tempos.size(); ++i) {
    if (i > 0) {
      frames += fps * (tempos[i].tick - tempos[i - 1].tick) * 0.625 /
                (std::max(1, tempos[i - 1].tempo) * 0.0001);
    }
    map.push_back({tempos[i].tempo, tempos[i].tick, frames});
  }
  SetTempoMap(map.data(), map.size());
}

int32_t FirstTempo(const ConvertedSmf& c) {
  return c.tempos.empty() ? kDefaultTempo : c.tempos.front().tempo;
}

// The value table after an import or a re-read: times, tempo, metre, the
// parts at the start, which pans a drum part disables, and the pointer.
void ApplyToTable() {
  const ConvertedSmf& c = Doc()->converted;
  const auto length = static_cast<int32_t>(c.length_ticks);
  ApplyTempoMap(c.tempos);
  SetFileBeatsPerMeasure(c.beats_per_measure);
  WriteValue(kTempo, FirstTempo(c), false);
  WriteValue(kSongLength, length, false);
  WriteValue(kStartTime, 0, false);
  const int32_t end_time = TickToTime(length);
  WriteValue(kEndTime, end_time, false);
  WriteValue(kSync1Time, 0, false);
  WriteValue(kSync1Measure, 0, false);
  WriteValue(kSync2Time, end_time, false);
  WriteValue(kSync2Measure, length, false);
  for (int p = 1; p <= kPartCount; ++p) WriteAlive(PartPan(p), !Doc()->drums.drums[p - 1]);
  ReadMutes();
  RefreshPlayImage();
  WriteRange(kPointerTicks, 0, length);
  SetPointerPosition(0);
  LoadParts(0, true);
  Notify(ProcessId(kProcGetSoundGroupData), kNotifyValue);
  Notify(kPartArea, kNotifyValue);
  RedrawScreen();
}

void SendSoundSet(int sound_set) {
  if (sound_set == kSoundSetGeneralMidi) {
    SendGmOn();
  } else if (sound_set == kSoundSetGs) {
    SendGsReset();
  } else {
    SendGmOff();
  }
}

// ---- opening and saving ----------------------------------------------------------------

Rc OpenSmfFile(const std::string& path) {
  return ImportSmf(path);
}

// Content files need the maker's closed conversion libraries, which this
// platform does not have: a converter registered for "mof" would take over.
Rc OpenContentFile(const std::string& path) {
  platform::TraceLog(
      "OpenFile %s: SINGLANE content needs its closed conversion libraries, which do not exist "
      "on this platform; the file is not opened\n",
      path.c_str());
  return kRcUnsupportedFile;
}

// Process 21 in modes 1 and 2: the image, written beside and renamed.
Rc SaveSmfFile(const std::string& path) {
  if (Doc() == nullptr || !Doc()->open) return kRcError;
  const std::string temporary = path + ".tmp";
  if (!WriteWholeFile(temporary, Doc()->image) ||
      std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return kRcFileNotWritten;
  }
  return kRcOk;
}

// ---- part edits ------------------------------------------------------------------------

Rc Refuse(ControlId id, int32_t old_value, Rc rc) {
  WriteValue(id, old_value, false);
  Notify(id, kNotifyValue);
  return rc;
}

Rc OnPartValue(ControlId id, int32_t old_value) {
  if (!DocumentOpen()) return kRcOk;
  const int offset = (id & 0xFFFF) - PartPlay(1);
  const int channel = offset / 4;
  const int field = offset % 4;  // 1 sound, 2 volume, 3 pan
  const int32_t value = ReadValue(id);
  const int64_t tick = FileTickOf(ReadValue(kPointerTicks));
  std::vector<uint32_t> messages;
  auto rewrite = [&](uint8_t kind, int controller, uint8_t v) {
    if (!RewritePartEvent(&Doc()->image, channel, kind, controller, tick, v)) return;
    const auto status = static_cast<uint32_t>(kind | channel);
    messages.push_back(kind == 0xC0 ? status | (uint32_t{v} << 8)
                                    : status | (uint32_t(controller) << 8) | (uint32_t{v} << 16));
  };
  if (field == 1) {
    const bool drum = Doc()->drums.drums[channel];
    if (!midibytes::IsVoice(Map(), value)) return Refuse(id, old_value, kRcError);
    const bool drum_sound = midibytes::VoiceCategory(value) == midibytes::DrumCategory(Map());
    if (drum && !drum_sound) return Refuse(id, old_value, kRcPart10IsDrums);
    if (!drum && drum_sound) return Refuse(id, old_value, kRcDrumSoundOutsidePart10);
    const midibytes::VoiceMessages m = midibytes::VoiceToMessages(Map(), drum, value);
    if (m.bank_select) {
      rewrite(0xB0, 0, m.bank);
      rewrite(0xB0, 32, m.fine);
    }
    rewrite(0xC0, 0, m.program);
  } else {
    rewrite(0xB0, field == 2 ? 7 : 10, static_cast<uint8_t>(value));
  }
  // Heard at once, as the module hears a part's change: into the playing
  // stream, else straight to the port.
  if (!messages.empty() && !QueuePartSettings(messages.data(), messages.size()) && !IsPlaying()) {
    SendShortOneShot(messages.data(), messages.size());
  }
  RefreshPlayImage();
  SetPointerPosition(ReadValue(kPointerTicks));
  return kRcOk;
}

Rc OnPartPlay(ControlId, int32_t) {
  if (DocumentOpen()) ReadMutes();
  return kRcOk;
}

// A song replaces the file: its image goes.
Rc OnEditingMode(ControlId, int32_t) {
  if (Doc() == nullptr || ReadValue(kEditingMode) != 0 || !Doc()->open) return kRcOk;
  StopAndWait();
  SetSmfPlaySource(SmfPlaySource{});
  Doc()->image.clear();
  Doc()->play_image.clear();
  Doc()->undo_image.clear();
  Doc()->converted = ConvertedSmf{};
  Doc()->open = false;
  Doc()->muted.store(0);
  return kRcOk;
}

// The standard-tempo button (0x040A, 0x050B) with a file open: the tempo goes
// back to the file's own, written as a typed tempo is, so the
// synchronisation points follow. A song's standard tempo is the rhythm's
// (core/catalog_processes.cpp).
Rc OnStandardTempoButton(ControlId id, int32_t) {
  if (!DocumentOpen()) return kRcOk;
  const int32_t tempo = FirstTempo(Doc()->converted);
  if (!InRange(kTempo, tempo)) return kRcOk;
  const Rc rc = WriteValue(kEditTempo, tempo);
  Notify((id & 0xFFFF) == kEditStandardTempoButton ? kEditTempo : kTempo, kNotifyValue);
  return rc;
}

// Playback reads the image as it was when it started; edits made meanwhile
// are sent into the playing stream at once and reach its image at the next
// start.
Rc OnPlayPressed(ControlId, int32_t) {
  if (DocumentOpen() && Doc()->play_stale) RefreshPlayImage();
  return kRcOk;
}

void FollowParts(int32_t ticks) {
  if (!DocumentOpen()) return;
  if (Doc()->play_stale && !IsPlaying()) RefreshPlayImage();
  LoadParts(ticks, false);
}

// ---- undo: the image joins the snapshot and is read again after an exchange ----------

bool TakeImage() {
  if (!DocumentOpen()) return true;
  try {
    Doc()->undo_image = Doc()->image;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void SwapImage() {
  if (!DocumentOpen() || Doc()->undo_image.empty()) return;
  Doc()->image.swap(Doc()->undo_image);
  ReadImage read;
  if (ReadFileImage(Doc()->image, &read) != kRcOk) {
    Doc()->image.swap(Doc()->undo_image);  // the other one read before: keep it
    return;
  }
  Doc()->converted = std::move(read.converted);
  Doc()->drums = read.drums;
  Doc()->gm_voices = !read.drums.gm_system_off;
  const int32_t pointer = ReadValue(kPointerTicks);
  ApplyToTable();
  if (pointer <= Doc()->converted.length_ticks) SetPointerPosition(pointer);
  if (Doc()->gm_voices) {
    SendGmOn();
  } else {
    SendGmOff();
  }
}

void ReleaseImage() {
  if (Doc() != nullptr) std::vector<uint8_t>().swap(Doc()->undo_image);
}

// ---- processes and life cycle ---------------------------------------------------------

// Process 8: a = the time-line records, b = their byte count.
Rc GetSmfTimeLineData(long* a, long* b) {
  if (!DocumentOpen()) {
    *a = 0;
    *b = 0;
    return kRcOk;
  }
  *a = reinterpret_cast<long>(Doc()->converted.time_line.data());
  *b = static_cast<long>(Doc()->converted.time_line.size());
  return kRcOk;
}

bool GmVoicesQuery() {
  return OpenFileUsesGmVoices();
}

Rc MakeDocument() {
  if (Doc() == nullptr) Doc() = std::make_unique<SmfDocument>();
  return kRcOk;
}

Rc FreeDocument() {
  StopAndWait();
  SetSmfPlaySource(SmfPlaySource{});
  Doc().reset();
  return kRcOk;
}

}  // namespace

Rc ImportSmf(const std::string& path) {
  if (Doc() == nullptr) return kRcError;
  std::vector<uint8_t> image;
  ReadImage read;
  int sound_set = kSoundSetNative;
  try {
    WorkingFile working;
    if (Rc rc = CopyFile(path, working.path); rc != kRcOk) return rc;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(working.path, &bytes)) return kRcFileNotRead;
    std::vector<uint8_t> normalised;
    if (Rc rc = NormaliseSmf(bytes.data(), bytes.size(), &normalised); rc != kRcOk) return rc;
    if (!WriteWholeFile(working.path, normalised)) return kRcFileNotWritten;
    if (!ReadWholeFile(working.path, &image)) return kRcFileNotRead;
    sound_set = DetectSoundSet(image.data(), image.size());
    if (Rc rc = ReadFileImage(image, &read); rc != kRcOk) return rc;
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
  // Everything read: only now does the open song or file give way.
  StopAndWait();
  Doc()->image = std::move(image);
  std::vector<uint8_t>().swap(Doc()->undo_image);
  Doc()->converted = std::move(read.converted);
  Doc()->drums = read.drums;
  Doc()->gm_voices = !read.drums.gm_system_off;
  Doc()->sound_set = sound_set;
  Doc()->open = true;
  DisableUndo();
  SendSoundSet(sound_set);
  WriteValue(kEditingMode, 1);
  ApplyToTable();
  return kRcOk;
}

bool OpenFileUsesGmVoices() {
  return Doc() == nullptr || !Doc()->open || Doc()->gm_voices;
}

bool OpenSmf(OpenSmfView* view) {
  if (!DocumentOpen()) return false;
  view->image = &Doc()->image;
  view->tempo_ratio = Doc()->converted.tempo_ratio;
  view->own_marker = Doc()->converted.own_marker;
  return true;
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterSmfDocument() {
  RegisterInitStep(kInitVoiceTables, MakeDocument);
  RegisterShutdownStep(FreeDocument);
  for (const char* extension : {"mid", "midi", "smf", "rmi"}) {
    RegisterFileOpener(extension, OpenSmfFile);
  }
  RegisterFileOpener("mof", OpenContentFile);
  RegisterFileSaver(1, SaveSmfFile);
  RegisterFileSaver(2, SaveSmfFile);
  for (int p = 1; p <= kPartCount; ++p) {
    RegisterReaction(PartSound(p), OnPartValue, kStageDevice);
    RegisterReaction(PartVolume(p), OnPartValue, kStageDevice);
    RegisterReaction(PartPan(p), OnPartValue, kStageDevice);
  }
  RegisterReaction(kPlay, OnPlayPressed, kStageValues);
  RegisterReaction(kStandardTempoButton, OnStandardTempoButton, kStageValues);
  RegisterReaction(kEditStandardTempoButton, OnStandardTempoButton, kStageValues);
  for (int p = 1; p <= kPartCount; ++p) RegisterReaction(PartPlay(p), OnPartPlay, kStageDevice);
  RegisterReaction(kEditingMode, OnEditingMode, kStageDevice);
  RegisterPartFollower(FollowParts);
  RegisterUndoParticipant({TakeImage, SwapImage, ReleaseImage});
  RegisterSoundSetQuery(GmVoicesQuery);
  RegisterProcess(kProcGetSMFTimeLineData, GetSmfTimeLineData);
}

}  // namespace qm3::midi
