// An opened Standard MIDI File through the exported calls: open (process 17),
// the parts it shows, part edits with the drum rules, save and re-open, undo,
// the time line and sound lists, refusals that leave the open song alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "../../midi/tests/smf_bytes.h"
#include "core/result.h"
#include "core_test_host.h"
#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_writer.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;
using midibytes::testing::AddTrack;
using midibytes::testing::Header;

class SmfDocumentTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ASSERT_EQ(RunInitSteps(kInitVoiceTables), 0);
    dir_ = fs::temp_directory_path() /
           ("smf_document_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    WriteValue(kEditingMode, 0);  // closes the file
    fs::remove_all(dir_);
    CoreTest::TearDown();
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  int Open(const std::string& path) {
    long a = 0;
    long b = reinterpret_cast<long>(path.c_str());
    return QM3SetValue(ProcessId(kProcOpenFile), 0, a, b);
  }
  int Set(long id, long value) { return QM3SetValue(id, 0, value, 0); }
  bool WorkingFileLeft() const { return fs::exists(WorkDirectory() + "midi.dat"); }

  fs::path dir_;
};

// A General MIDI file with a piano on part 1, strings on part 2 (program 48,
// volume 90, pan 20) and drums on part 10, two beats long at 480 per beat.
std::vector<uint8_t> GmFile() {
  auto f = Header(1, 2, 480);
  AddTrack(f, {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1,
               0x20, 0x00, 0xFF, 0x2F, 0x00});
  AddTrack(f, {0x00, 0xC1, 48,   0x00, 0xB1, 7,    90,   0x00, 0xB1, 10,   20,
               0x00, 0x90, 60,   100,  0x00, 0x99, 36,   100,  0x87, 0x40, 0x80,
               60,   0x00, 0x00, 0x89, 36,   0x00, 0x00, 0xFF, 0x2F, 0x00});
  return f;
}

TEST_F(SmfDocumentTest, OpenShowsThePartsAndLeavesNoWorkingFile) {
  ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);
  EXPECT_FALSE(WorkingFileLeft());
  EXPECT_EQ(Get(kEditingMode), 1);
  EXPECT_EQ(Get(kSongLength), 192);
  EXPECT_EQ(Get(kTempo), 120);
  EXPECT_EQ(Get(PartSound(1)), 0x0000);  // General MIDI piano
  EXPECT_EQ(Get(PartSound(2)), 0x0600);  // program 48: ensemble, first voice
  EXPECT_EQ(Get(PartVolume(2)), 90);
  EXPECT_EQ(Get(PartPan(2)), 20);
  EXPECT_EQ(Get(PartVolume(3)), 100);
  EXPECT_EQ(Get(PartSound(10)), 0x1000);  // Standard Kit
  long alive = 1;
  long unused = 0;
  QM3GetValue(PartPan(10), 2, &alive, &unused);
  EXPECT_EQ(alive, 0);  // a drum part's pan is disabled
  long data = 0;
  long size = 0;
  ASSERT_EQ(QM3GetValueFunc(kProcGetSMFTimeLineData, &data, &size), 0);
  EXPECT_EQ(size, 6);  // two sounding notes
}

// The standard-tempo button brings back the file's own tempo (its first
// tempo event, or 120 BPM without one), under either of its names.
TEST_F(SmfDocumentTest, StandardTempoButtonRestoresTheFilesTempo) {
  auto slow = Header(0, 1, 96);  // 100 BPM
  AddTrack(slow, {0x00, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00, 0x90, 60, 100, 0x60, 0x80, 60,
                  0x00, 0x00, 0xFF, 0x2F, 0x00});
  ASSERT_EQ(Open(Write("slow.mid", slow)), 0);
  ASSERT_EQ(Set(kSyncMethod, 1), 0);  // the tempo is set directly
  ASSERT_EQ(Set(kEditTempo, 15025), 0);
  ASSERT_EQ(Get(kEditTempo), 15025);
  Drain();
  EXPECT_EQ(Set(kEditStandardTempoButton, 1), 0);
  EXPECT_EQ(Get(kEditTempo), 10000);
  EXPECT_EQ(Get(kTempo), 100);
  const std::vector<Posted> posted = Drain();
  EXPECT_NE(std::find(posted.begin(), posted.end(), Posted(kEditTempo, kNotifyValue)),
            posted.end());

  ASSERT_EQ(Set(kEditTempo, 8000), 0);
  EXPECT_EQ(Set(kStandardTempoButton, 1), 0);
  EXPECT_EQ(Get(kTempo), 100);

  auto plain = Header(0, 1, 96);  // no tempo event
  AddTrack(plain, {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  ASSERT_EQ(Open(Write("plain.mid", plain)), 0);
  ASSERT_EQ(Set(kSyncMethod, 1), 0);
  ASSERT_EQ(Set(kEditTempo, 9000), 0);
  EXPECT_EQ(Set(kEditStandardTempoButton, 1), 0);
  EXPECT_EQ(Get(kEditTempo), 12000);
}

TEST_F(SmfDocumentTest, DrumRulesRefuseAndKeepTheSound) {
  ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);
  EXPECT_EQ(Set(PartSound(1), 0x1000), kRcDrumSoundOutsidePart10);
  EXPECT_EQ(Get(PartSound(1)), 0x0000);
  EXPECT_EQ(Set(PartSound(10), 0x0000), kRcPart10IsDrums);
  EXPECT_EQ(Get(PartSound(10)), 0x1000);
  EXPECT_EQ(Set(PartSound(10), 0x1004), 0);  // Analog Kit: program 25
  EXPECT_EQ(Get(PartSound(10)), 0x1004);
}

TEST_F(SmfDocumentTest, EditsRoundTripThroughSaveAndReopen) {
  const std::string path = Write("a.mid", GmFile());
  ASSERT_EQ(Open(path), 0);
  ASSERT_EQ(Set(PartVolume(2), 33), 0);
  ASSERT_EQ(Set(PartPan(2), 99), 0);
  ASSERT_EQ(Set(PartSound(1), 0x0305), 0);  // family 3, position 5: program 29
  const std::string out = (dir_ / "b.mid").string();
  long a = 0;
  long b = reinterpret_cast<long>(out.c_str());
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, a, b), 0);
  ASSERT_EQ(Open(path), 0);  // the original is untouched
  EXPECT_EQ(Get(PartVolume(2)), 90);
  ASSERT_EQ(Open(out), 0);
  EXPECT_EQ(Get(PartVolume(2)), 33);
  EXPECT_EQ(Get(PartPan(2)), 99);
  EXPECT_EQ(Get(PartSound(1)), 0x0305);
  EXPECT_EQ(Get(PartSound(2)), 0x0600);
}

TEST_F(SmfDocumentTest, RefusedFilesLeaveTheOpenFileAsItWas) {
  ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);
  ASSERT_EQ(Set(PartVolume(2), 33), 0);
  auto truncated = GmFile();
  truncated.resize(truncated.size() - 12);
  auto division0 = Header(0, 1, 0);
  AddTrack(division0, {0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(Open(Write("t.mid", truncated)), kRcFileNotRead);
  EXPECT_EQ(Open(Write("d.mid", division0)), kRcFileNotRead);
  EXPECT_EQ(Open(Write("x.mid", {'j', 'u', 'n', 'k'})), kRcUnsupportedFile);
  EXPECT_EQ(Open(Write("c.mof", GmFile())), kRcUnsupportedFile);
  EXPECT_EQ(Open((dir_ / "missing.mid").string()), kRcFileNotRead);
  EXPECT_FALSE(WorkingFileLeft());
  EXPECT_EQ(Get(kEditingMode), 1);
  EXPECT_EQ(Get(PartVolume(2)), 33);
  EXPECT_EQ(Get(kSongLength), 192);
}

TEST_F(SmfDocumentTest, UndoBringsBackTheImageAndItsParts) {
  ASSERT_EQ(Set(ProcessId(kProcChangeWindow), ScreenId(kScreenSmfEdit)), 0);
  ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);
  ASSERT_EQ(Set(PartVolume(2), 33), 0);
  ASSERT_EQ(Set(kMenuUndo, 1), 0);
  EXPECT_EQ(Get(PartVolume(2)), 90);
  const std::string out = (dir_ / "u.mid").string();
  long a = 0;
  long b = reinterpret_cast<long>(out.c_str());
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, a, b), 0);
  ASSERT_EQ(Open(out), 0);
  EXPECT_EQ(Get(PartVolume(2)), 90);  // the saved image is the undone one
}

TEST_F(SmfDocumentTest, SoundListFollowsTheVoiceMapOfTheFile) {
  long list = 0;
  long unused = 0;
  ASSERT_EQ(QM3GetValueFunc(kProcGetSoundGroupData, &list, &unused), 0);
  auto* gm = reinterpret_cast<QM3SoundGroupList*>(list);
  ASSERT_EQ(gm->cCount, 17);
  EXPECT_EQ(gm->pGroup[16].cCount, 9);
  EXPECT_EQ(gm->pGroup[16].pSound[4].lID, 0x1004);
  EXPECT_STREQ(gm->pGroup[16].pSound[4].pszName, "Analog Kit");

  auto native = Header(0, 1, 96);
  AddTrack(native, {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x02, 0xF7, 0x00, 0xB0, 0x00, 0x00,
                    0x00, 0xB0, 0x20, 0x20, 0x00, 0xC0, 0x03, 0x00, 0xFF, 0x2F, 0x00});
  ASSERT_EQ(Open(Write("n.mid", native)), 0);
  ASSERT_EQ(QM3GetValueFunc(kProcGetSoundGroupData, &list, &unused), 0);
  auto* own = reinterpret_cast<QM3SoundGroupList*>(list);
  ASSERT_EQ(own->cCount, 11);
  EXPECT_STREQ(own->pGroup[0].pSound[8].pszName, "Rock Piano      ");  // 16 wide
  EXPECT_EQ(Get(PartSound(1)), 0x0008);                                // bank 0/32, program 3
}

// Hand-made files, ordinary and hostile: each gets its code, and a refusal
// leaves the open file as it was and no working file behind.
TEST_F(SmfDocumentTest, CorpusFilesGetTheirCodes) {
  const std::map<std::string, int> expected = {
      {"division0.mid", kRcFileNotRead},
      {"format0.mid", 0},
      {"format1_three.mid", 0},
      {"gs_sysex.mid", 0},
      {"meta_past_end.mid", kRcFileNotRead},
      {"no_eot.mid", 0},
      {"prefixed.mid", 0},
      {"rmid.rmi", 0},
      {"running_start.mid", kRcFileNotRead},
      {"smpte.mid", kRcUnsupportedFile},
      {"track_past_end.mid", kRcFileNotRead},
      {"vlq5.mid", kRcFileNotRead},
      {"zero_tracks.mid", kRcUnsupportedFile},
  };
  const fs::path corpus = fs::path(SONAVEX_SOURCE_DIR) / "fuzz/corpus/middleware_smf_import_fuzz";
  ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);
  ASSERT_EQ(Set(PartVolume(2), 33), 0);
  int seen = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    const std::string copy = Write(name, Read(entry.path().string()));
    const int rc = Open(copy);
    EXPECT_FALSE(WorkingFileLeft()) << name;
    auto it = expected.find(name);
    if (it != expected.end()) {
      ++seen;
      EXPECT_EQ(rc, it->second) << name;
    }
    if (rc == 0) {
      ASSERT_EQ(Open(Write("a.mid", GmFile())), 0);  // back to the edited file's start
      ASSERT_EQ(Set(PartVolume(2), 33), 0);
    } else {
      EXPECT_EQ(Get(PartVolume(2)), 33) << name;
      EXPECT_EQ(Get(kSongLength), 192) << name;
    }
  }
  EXPECT_EQ(seen, static_cast<int>(expected.size()));
}

// What a file sets before its first note, read straight from its tracks.
struct FileParts {
  int program[16];
  int volume[16];
  int pan[16];
};
FileParts ReadFileParts(const std::vector<uint8_t>& file) {
  FileParts p;
  std::fill(std::begin(p.program), std::end(p.program), 0);
  std::fill(std::begin(p.volume), std::end(p.volume), 100);
  std::fill(std::begin(p.pan), std::end(p.pan), 64);
  midibytes::SmfHeader h;
  std::vector<midibytes::TrackChunk> tracks;
  const auto n = static_cast<int64_t>(file.size());
  if (!midibytes::ReadHeader(file.data(), n, &h) ||
      !midibytes::ListTracks(file.data(), n, h, midibytes::ChunkPolicy::kStrict, 64, &tracks)) {
    return p;
  }
  midibytes::MergedReader r;
  r.Open(file.data(), tracks);
  midibytes::MergedEvent m;
  int64_t first_note = -1;
  while (r.Next(&m) == midibytes::MergedStep::kEvent) {
    const midibytes::SmfEvent& e = m.event;
    if (first_note >= 0 && e.time > first_note) break;
    if (!e.IsChannel()) continue;
    const uint8_t* d = file.data() + e.data;
    if (e.Kind() == 0x90 && d[1] != 0 && first_note < 0) first_note = e.time;
    if (e.Kind() == 0xC0) p.program[e.Channel()] = d[0];
    if (e.Kind() == 0xB0 && d[0] == 7) p.volume[e.Channel()] = d[1];
    if (e.Kind() == 0xB0 && d[0] == 10) p.pan[e.Channel()] = d[1];
  }
  return p;
}

// A file another program wrote (the accompaniment generator mma): the parts
// shown are the file's, and edits of voice, volume and pan survive save and
// re-open.
TEST_F(SmfDocumentTest, FileFromAnotherProgramShowsItsPartsAndTakesEdits) {
  if (!fs::exists("/usr/bin/mma")) GTEST_SKIP() << "mma is not installed";
  std::ofstream(dir_ / "song.mma") << "Tempo 100\nGroove Swing\n1 C\n2 F\n3 G7\n4 C\n";
  const std::string midi = (dir_ / "song.mid").string();
  const std::string command =
      "cd '" + dir_.string() + "' && mma song.mma -f song.mid > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const FileParts expected = ReadFileParts(Read(midi));
  ASSERT_EQ(Open(midi), 0);
  EXPECT_EQ(Get(kTempo), 100);
  for (int p = 1; p <= kPartCount; ++p) {
    const int program = expected.program[p - 1];
    if (p != 10) {
      EXPECT_EQ(Get(PartSound(p)), (program & 7) + (program / 8) * 256) << p;
    }
    EXPECT_EQ(Get(PartVolume(p)), expected.volume[p - 1]) << p;
    EXPECT_EQ(Get(PartPan(p)), expected.pan[p - 1]) << p;
  }
  ASSERT_EQ(Set(PartSound(14), 0x0B01), 0);  // Warm Pad
  ASSERT_EQ(Set(PartVolume(16), 70), 0);
  ASSERT_EQ(Set(PartPan(15), 10), 0);
  const std::string out = (dir_ / "edited.mid").string();
  long a = 0;
  long b = reinterpret_cast<long>(out.c_str());
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, a, b), 0);
  const FileParts saved = ReadFileParts(Read(out));
  EXPECT_EQ(saved.program[13], 89);
  EXPECT_EQ(saved.volume[15], 70);
  EXPECT_EQ(saved.pan[14], 10);
  ASSERT_EQ(Open(out), 0);
  EXPECT_EQ(Get(PartSound(14)), 0x0B01);
  EXPECT_EQ(Get(PartVolume(16)), 70);
  EXPECT_EQ(Get(PartPan(15)), 10);
}

// A range cut from an opened file carries the system's marker; opened again,
// its lead-in measure lies before the start.
TEST_F(SmfDocumentTest, RangeOfAnOpenedFileIsRecognisedAsTheSystemsOwn) {
  auto f = Header(0, 1, 480);
  midibytes::TrackWriter w;
  for (int beat = 0; beat < 16; ++beat) {
    w.Channel(beat * 480, 0x90, 60, 100);
    w.Channel(beat * 480 + 240, 0x80, 60, 0);
  }
  w.End(16 * 480);
  const std::string path = Write("long.mid", midibytes::AssembleFile(0, 480, {w.bytes()}));
  ASSERT_EQ(Set(ProcessId(kProcChangeWindow), ScreenId(kScreenSmfEdit)), 0);
  ASSERT_EQ(Open(path), 0);
  ASSERT_EQ(Get(kSongLength), 16 * 96);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcPointerPos), 0, 4 * 96, 8 * 96), 0);
  const std::string out = (dir_ / "cut.mid").string();
  long a = 0;
  long b = reinterpret_cast<long>(out.c_str());
  ASSERT_EQ(QM3SetValue(ProcessId(kProcConvertSMFPart), 0, a, b), 0);
  ASSERT_EQ(Open(out), 0);
  EXPECT_EQ(Get(kSongLength), 4 * 96);  // the four beats of the range, lead-in before 0
  long data = 0;
  long size = 0;
  QM3GetValueFunc(kProcGetSMFTimeLineData, &data, &size);
  EXPECT_EQ(size, 4 * 3);
}

}  // namespace
}  // namespace qm3
