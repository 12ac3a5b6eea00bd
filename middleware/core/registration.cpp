// The one list of the middleware's parts. The order is the order reactions of
// one identifier and stage run in, and the order of the init steps.
#include "core/registration.h"

namespace qm3 {

void RegisterCatalogProcesses();
void RegisterEditingMode();
void RegisterMiddleInit();
void RegisterPointer();
void RegisterProcesses();
void RegisterReturnCodes();
void RegisterScreens();
void RegisterTextForms();
void RegisterTimeProcesses();
void RegisterTimeSync();
void RegisterUndo();
void RegisterBuilderEdit();
void RegisterBuilderMake();
void RegisterBuilderRender();
void RegisterConversion();
void RegisterConvertWav();
void RegisterFitReactions();
void RegisterPhraseList();
void RegisterSongFileDispatch();
namespace midi {
void RegisterLiveControls();
void RegisterSmfDocument();
void RegisterSoundGroups();
void RegisterTransportReactions();
}  // namespace midi

namespace {

struct Part {
  const char* name;
  void (*register_fn)();
};

constexpr Part kParts[] = {
    {"catalog processes", RegisterCatalogProcesses},
    {"editing mode", RegisterEditingMode},
    {"init", RegisterMiddleInit},
    {"pointer", RegisterPointer},
    {"core processes", RegisterProcesses},
    {"return codes", RegisterReturnCodes},
    {"screens", RegisterScreens},
    {"text forms", RegisterTextForms},
    {"time processes", RegisterTimeProcesses},
    {"time sync", RegisterTimeSync},
    {"undo", RegisterUndo},
    {"live window", midi::RegisterLiveControls},
    {"MIDI file", midi::RegisterSmfDocument},
    {"sound groups", midi::RegisterSoundGroups},
    {"transport", midi::RegisterTransportReactions},
    {"song edit", RegisterBuilderEdit},
    {"song make", RegisterBuilderMake},
    {"song render", RegisterBuilderRender},
    {"conversion", RegisterConversion},
    {"wave conversion", RegisterConvertWav},
    {"song fit", RegisterFitReactions},
    {"phrase list", RegisterPhraseList},
    {"song file", RegisterSongFileDispatch},
};

}  // namespace

void RegisterParts() {
  for (const Part& part : kParts) {
    SetRegisteringPart(part.name);
    part.register_fn();
  }
  SetRegisteringPart("");
}

}  // namespace qm3
