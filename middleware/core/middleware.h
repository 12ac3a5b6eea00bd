// The middleware's state as one object. The first QM3MiddleInit (and the
// first one after End) makes a fresh instance; End destroys it. Each part of
// the middleware keeps its state in its own struct, defined in its own file;
// the instance owns one of each, made when the instance is made.
//
// The C interface has no handle, so one instance is current per process:
// TheMiddleware() returns it (and makes one when there is none, so a host
// that reads values before its first init still finds the defaults).
//
// Thread rules: instances are made and destroyed on the host thread only,
// with no device thread running (End stops playback and closes the devices
// first). Device threads reach the parts' atomic members through
// TheMiddleware() while the instance lives.
#pragma once
#include <atomic>
#include <memory>
#include <mutex>

namespace qm3 {

// A part's state, owned by the instance; the deleter is the part's own, so the
// struct stays private to the part's file.
template <class T>
using PartState = std::unique_ptr<T, void (*)(T*)>;

template <class T>
PartState<T> MakePartState() {
  return PartState<T>(new T(), [](T* p) { delete p; });
}

// The parts' states (each defined in the file named beside it).
struct CoreState;        // core_state.cpp
struct InitState;        // middle_init.cpp
struct ValueStore;       // value_table.cpp
struct UndoStore;        // undo.cpp
struct PointerState;     // pointer.cpp
struct FileTiming;       // time_base.cpp
struct KeyRepeat;        // processes.cpp
struct TrackBuffers;     // song/track_buffer.cpp
struct FetchState;       // song/track_fetch.cpp
struct PhraseListStore;  // song/phrase_list.cpp
struct ConversionState;  // song/conversion.cpp
struct RenderFlags;      // song/builder_render.cpp
struct DeviceHandOver;   // device_handover.cpp
struct CatalogStores;    // catalog_store.cpp
struct Registry;         // registry.cpp
struct FileHandlers;     // song/song_file_dispatch.cpp
struct WavCaptureState;  // song/wav_capture.cpp
struct ContentSeam;      // song/builder_content.cpp
namespace midi {
struct SenderState;        // midi/module_sender.cpp
struct TransportState;     // midi/transport.cpp
struct InputCaptureState;  // midi/input_capture.cpp
struct LiveWindowSlot;     // midi/live_controls.cpp
struct SmfDocumentSlot;    // midi/smf_document.cpp
struct SoundGroupLists;    // midi/sound_groups.cpp
PartState<SenderState> MakeSenderState();
PartState<TransportState> MakeTransportState();
PartState<InputCaptureState> MakeInputCaptureState();
PartState<LiveWindowSlot> MakeLiveWindowSlot();
PartState<SmfDocumentSlot> MakeSmfDocumentSlot();
PartState<SoundGroupLists> MakeSoundGroupLists();
}  // namespace midi

PartState<CoreState> MakeCoreState();
PartState<InitState> MakeInitState();
PartState<ValueStore> MakeValueStore();
PartState<UndoStore> MakeUndoStore();
PartState<PointerState> MakePointerState();
PartState<FileTiming> MakeFileTiming();
PartState<KeyRepeat> MakeKeyRepeat();
PartState<TrackBuffers> MakeTrackBuffers();
PartState<FetchState> MakeFetchState();
PartState<PhraseListStore> MakePhraseListStore();
PartState<ConversionState> MakeConversionState();
PartState<RenderFlags> MakeRenderFlags();
PartState<DeviceHandOver> MakeDeviceHandOver();
PartState<CatalogStores> MakeCatalogStores();
PartState<Registry> MakeRegistry();
PartState<FileHandlers> MakeFileHandlers();
PartState<WavCaptureState> MakeWavCaptureState();
PartState<ContentSeam> MakeContentSeam();

class Middleware {
 public:
  Middleware();
  ~Middleware();
  Middleware(const Middleware&) = delete;
  Middleware& operator=(const Middleware&) = delete;

  // The value table first: other parts read it while they are made.
  PartState<ValueStore> values = MakeValueStore();
  // What the parts registered (see registration.h).
  PartState<Registry> registry = MakeRegistry();
  PartState<FileHandlers> files = MakeFileHandlers();
  PartState<CoreState> core = MakeCoreState();
  PartState<InitState> init = MakeInitState();
  PartState<UndoStore> undo = MakeUndoStore();
  PartState<PointerState> pointer = MakePointerState();
  PartState<FileTiming> timing = MakeFileTiming();
  PartState<KeyRepeat> keys = MakeKeyRepeat();
  // The three track work buffers (3 MiB) and the real-time fetch over them.
  PartState<TrackBuffers> tracks = MakeTrackBuffers();
  PartState<FetchState> fetch = MakeFetchState();
  // The song: its phrase list.
  PartState<PhraseListStore> phrases = MakePhraseListStore();
  // A conversion to a file in progress (read by the play thread).
  PartState<ConversionState> conversion = MakeConversionState();
  PartState<RenderFlags> render = MakeRenderFlags();
  PartState<DeviceHandOver> handover = MakeDeviceHandOver();
  PartState<CatalogStores> catalogs = MakeCatalogStores();
  PartState<midi::SenderState> sender = midi::MakeSenderState();
  PartState<midi::SmfDocumentSlot> smf = midi::MakeSmfDocumentSlot();
  // The voice tables in the host's list form (process 11).
  PartState<midi::SoundGroupLists> sound_groups = midi::MakeSoundGroupLists();
  // Where the song builder takes its rhythm and melody facts from.
  PartState<ContentSeam> content = MakeContentSeam();
  // Parts that own device threads come last, so they are destroyed first,
  // while everything their threads read still stands.
  PartState<midi::InputCaptureState> input_capture = midi::MakeInputCaptureState();
  PartState<WavCaptureState> wav_capture = MakeWavCaptureState();
  PartState<midi::LiveWindowSlot> live = midi::MakeLiveWindowSlot();
  PartState<midi::TransportState> transport = midi::MakeTransportState();
};

// The current instance (made when there is none).
Middleware& TheMiddleware();
// Replaces the current instance by a fresh one, not ended: QM3MiddleInit
// after End, and every test that wants the state of a new process.
void StartMiddleware();
// Destroys the current instance (End, and test tear-down).
void DestroyMiddleware();

// Lives as long as the library: the middleware lock (see MiddleLockGuard) and
// the ended flag outlast the instance, since a device callback may still be
// leaving while End runs and calls after End must be refused.
struct MiddlewareAnchor {
  std::mutex lock;
  // Serialises the exported calls: a host may call from any thread, one call
  // runs at a time. Recursive, since a call may reach another through a
  // host callback. Device threads never take it (they post, see
  // device_handover.h), so a call that waits for the play thread cannot
  // deadlock on it.
  std::recursive_mutex calls;
  std::atomic<bool> lock_exists{false};
  std::atomic<bool> ended{false};
};
MiddlewareAnchor& Anchor();

}  // namespace qm3
