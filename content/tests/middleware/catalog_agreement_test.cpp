// The generated catalogs read through the middleware's own catalog code give
// back every field the rhythm and melody sources say.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/catalog.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "library_writer.h"

namespace content {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CatalogAgreement, EveryRhythmFieldReadsBackAsWritten) {
  qm3::StartMiddleware();
  const ContentSources sources = LoadSources(CONTENT_SOURCES_DIR);
  ASSERT_EQ(qm3::ParseRhythmCatalog(ReadAll(std::string(SONAVEX_DATA_DIR) + "/QM3RHY.toc")), 0);
  const QM3RhythmGroupList* groups = qm3::RhythmGroups();
  ASSERT_EQ(groups->cCount, sources.rhythms.size());
  for (size_t g = 0; g < sources.rhythms.size(); ++g) {
    const QM3RhythmGroup& group = groups->pGroup[g];
    EXPECT_STREQ(group.pszName, sources.rhythms[g].name.c_str());
    ASSERT_EQ(group.cCount, sources.rhythms[g].rhythms.size());
    for (size_t i = 0; i < sources.rhythms[g].rhythms.size(); ++i) {
      const RhythmSpec& want = sources.rhythms[g].rhythms[i];
      const QM3RhythmData& got = group.pRhythm[i];
      SCOPED_TRACE(want.name);
      EXPECT_STREQ(got.pszName, want.name.c_str());
      EXPECT_EQ(got.lID, static_cast<int>((g << 8) + i));
      EXPECT_EQ(got.lKeyA, want.key_a);
      EXPECT_EQ(got.lKeyB, want.key_b);
      EXPECT_EQ(got.lKeyC, want.key_c);
      EXPECT_EQ(got.lTempo, want.tempo);
      EXPECT_EQ(got.lBeats, want.beats);
      EXPECT_EQ(got.lParam1, want.melody);
      // Intro lengths are attribute 1, ending lengths attribute 2; the third
      // and fourth intros and endings are one measure.
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetA, 0), want.intro[0]);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetA, 1), want.intro[1]);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetA, 2), 1);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetB, 0), want.ending[0]);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetB, 1), want.ending[1]);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmSetB, 3), 1);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmParam2, 0), want.program);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmParam3, 0), want.bank);
      EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmParam4, 0), want.transpose);
      for (int p = 0; p < 6; ++p)
        EXPECT_EQ(qm3::RhythmFieldQuery(got.lID, qm3::kRhythmPartByte, p), want.volumes[p]);
      EXPECT_EQ(
          qm3::RhythmFieldQuery(want.key_a, qm3::kRhythmByKeys, (want.key_c << 8) | want.key_b),
          got.lID);
    }
  }
}

TEST(CatalogAgreement, EveryMelodyReadsBackWithItsPhraseLengths) {
  qm3::StartMiddleware();
  const ContentSources sources = LoadSources(CONTENT_SOURCES_DIR);
  ASSERT_EQ(qm3::ParseMelodyCatalog(ReadAll(std::string(SONAVEX_DATA_DIR) + "/QM3MEL.toc")), 0);
  const QM3MelodyList* melodies = qm3::Melodies();
  ASSERT_EQ(melodies->cCount, sources.melodies.melodies.size());
  for (size_t i = 0; i < sources.melodies.melodies.size(); ++i) {
    const MelodySpec& want = sources.melodies.melodies[i];
    const QM3MelodyData& got = melodies->pMelody[i];
    SCOPED_TRACE(want.name);
    EXPECT_STREQ(got.pszName, want.name.c_str());
    EXPECT_EQ(got.lID, want.id);
    EXPECT_EQ(got.lBeats, want.beats);
    EXPECT_EQ(std::vector<int>(got.plBright, got.plBright + got.lBrightCount),
              PhraseLengths(sources.melodies, want.bright));
    EXPECT_EQ(std::vector<int>(got.plDark, got.plDark + got.lDarkCount),
              PhraseLengths(sources.melodies, want.dark));
  }
}

}  // namespace
}  // namespace content
