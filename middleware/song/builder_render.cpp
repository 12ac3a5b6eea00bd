// Bridge from the builder and the song file to the render.
#include "song/builder_render.h"

#include "core/middleware.h"
#include "song/render.h"

namespace qm3 {

struct RenderFlags {
  bool stale = false;  // the song changed since its last render
};

PartState<RenderFlags> MakeRenderFlags() {
  return MakePartState<RenderFlags>();
}

namespace {

bool& Stale() {
  return TheMiddleware().render->stale;
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
