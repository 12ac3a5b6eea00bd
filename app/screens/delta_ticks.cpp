#include "screens/delta_ticks.h"

#include <algorithm>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kMaxDeltaBytes = 5;

}  // namespace

bool CTimeLine::CreateDeltaTick(const uint8_t* data, size_t size) {
  entries_.clear();
  if (data == nullptr || size == 0) return true;
  size_t i = 0;
  while (i < size) {
    uint64_t delta = 0;
    int bytes = 0;
    for (;;) {
      if (i >= size) {
        TraceLog("ﾊﾟｰﾄ番号と強さを取り出す為のﾃﾞｰﾀがありません iIndex[%zu]\n", i);
        entries_.clear();
        return false;
      }
      const uint8_t b = data[i++];
      delta = (delta << 7) | (b & 0x7F);
      if (++bytes > kMaxDeltaBytes) {
        TraceLog("連続したﾃﾞﾙﾀtickが多すぎます iIndex[%zu] iTickCnt[%d]\n", i, bytes);
        entries_.clear();
        return false;
      }
      if ((b & 0x80) == 0) break;
    }
    if (size - i < 2) {
      TraceLog("ﾊﾟｰﾄ番号と強さを取り出す為のﾃﾞｰﾀがありません iIndex[%zu]\n", i);
      entries_.clear();
      return false;
    }
    const uint8_t part = data[i++];
    const uint8_t loudness = data[i++];
    if (part > 15 || loudness > 127) {
      if (part > 15) TraceLog("ﾊﾟｰﾄ番号が不正です：(ﾊﾟｰﾄ)%d\n", part);
      if (loudness > 127) TraceLog("強さが不正です：(強さ)%d\n", loudness);
      TraceLog("ﾊﾟｰﾄ毎の強さ設定に失敗しました byPart[%d] byLoudness[%d]\n", part, loudness);
      entries_.clear();
      return false;
    }
    if (entries_.empty() || delta != 0) {
      CDeltaTick entry;
      // Five groups of seven bits exceed 32 bits; such a delta is kept whole.
      entry.delta = static_cast<long>(std::min<uint64_t>(delta, INT64_MAX));
      entries_.push_back(entry);
    }
    uint8_t& stored = entries_.back().loudness[part];
    stored = std::max(stored, loudness);
  }
  return true;
}

long CTimeLine::GetSongAll() const {
  long total = 0;
  for (const CDeltaTick& e : entries_) total += e.delta;
  return total;
}

}  // namespace sonavex::app
