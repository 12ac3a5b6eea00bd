// Bridge from the builder and the song file to the render.
#include "song/builder_render.h"

#include <string>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/result.h"
#include "qm3middle.h"
#include "song/render.h"

namespace qm3 {

struct RenderFlags {
  bool stale = false;  // the song changed since its last render
  // The source files the last render (or live run's material) could not
  // read, and their list as process 48 hands it out.
  std::vector<std::string> skipped;
  std::vector<const char*> skipped_paths;
  QM3SkippedFiles published{};
};

PartState<RenderFlags> MakeRenderFlags() {
  return MakePartState<RenderFlags>();
}

namespace {

RenderFlags& Flags() {
  return *TheMiddleware().render;
}

// Process 48: a = the skipped files of the last render, b = their count.
Rc GetSkippedFiles(long* a, long* b) {
  RenderFlags& f = Flags();
  f.skipped_paths.clear();
  for (const std::string& path : f.skipped) f.skipped_paths.push_back(path.c_str());
  f.published = QM3SkippedFiles{static_cast<int>(f.skipped_paths.size()), f.skipped_paths.data()};
  *a = reinterpret_cast<long>(&f.published);
  *b = f.published.nCount;
  return kRcOk;
}

}  // namespace

Rc LoadSongSources(Rc (*load)(std::vector<std::string>* skipped)) {
  RenderFlags& f = Flags();
  f.skipped.clear();
  const Rc rc = load(&f.skipped);
  // The song plays with silence in place of what was skipped; the host
  // learns which files to look at.
  if (!f.skipped.empty()) Notify(ProcessId(kProcGetSkippedFiles), kNotifyValue);
  return rc;
}

Rc RenderSongNow() {
  const Rc rc = LoadSongSources(RenderCurrentSong);
  Flags().stale = rc != 0;
  return rc;
}

void MarkSongDataStale() {
  Flags().stale = true;
}

Rc EnsureSongRendered() {
  return Flags().stale ? RenderSongNow() : kRcOk;
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterBuilderRender() {
  RegisterProcess(kProcGetSkippedFiles, GetSkippedFiles);
}

}  // namespace qm3
