// Bridge from the builder and the song file to the render.
#include "song/builder_render.h"

#include "song/render.h"

namespace qm3 {
namespace {

bool& Stale() {
  static bool stale = false;
  return stale;
}

}  // namespace

int RenderSongNow() {
  const int rc = RenderCurrentSong();
  Stale() = rc != 0;
  return rc;
}

void MarkSongDataStale() {
  Stale() = true;
}

int EnsureSongRendered() {
  return Stale() ? RenderSongNow() : 0;
}

}  // namespace qm3
