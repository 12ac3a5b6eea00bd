// The ports behind the multimedia calls and the handles that refer to them.
// Every backend (loaded drivers, loopback, ALSA) implements OutPort/InPort
// with the driver-message meaning of each call; the front calls in
// midi_out.cpp, midi_in.cpp and midi_stream.cpp check handles, headers and
// flags before they reach a port. Internal to the platform library.
#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/mmsystem.h"

namespace platform {

// Where a port's callbacks go: the client's callback as given at open time.
struct ClientCallback {
  DWORD_PTR callback = 0;
  DWORD_PTR instance = 0;
  DWORD flags = 0;  // the open flags; CALLBACK_* in bits 16..18
  void* handle = nullptr;
  // Delivers through DriverCallback; true when delivered (or no callback).
  bool Send(UINT msg, DWORD_PTR p1, DWORD_PTR p2) const;
};

class OutPort {
 public:
  virtual ~OutPort() = default;
  virtual MMRESULT GetCaps(MIDIOUTCAPS* caps) = 0;
  // Opens for one client; the port sends MOM_OPEN. `driver_user` receives
  // what the port wants back with every later call of this client.
  virtual MMRESULT Open(const ClientCallback& cb, DWORD flags, DWORD_PTR* driver_user) = 0;
  virtual MMRESULT Close(DWORD_PTR driver_user) = 0;
  // MMSYSERR_NOTSUPPORTED lets the caller set the flags itself.
  virtual MMRESULT Prepare(DWORD_PTR, MIDIHDR*) { return MMSYSERR_NOTSUPPORTED; }
  virtual MMRESULT Unprepare(DWORD_PTR, MIDIHDR*) { return MMSYSERR_NOTSUPPORTED; }
  virtual MMRESULT Data(DWORD_PTR driver_user, DWORD msg) = 0;
  // Sends dwBufferLength bytes; sets done and sends MOM_DONE when finished.
  virtual MMRESULT LongData(DWORD_PTR driver_user, MIDIHDR* hdr) = 0;
  virtual MMRESULT Reset(DWORD_PTR driver_user) = 0;
};

class InPort {
 public:
  virtual ~InPort() = default;
  virtual MMRESULT GetCaps(MIDIINCAPS* caps) = 0;
  virtual MMRESULT Open(const ClientCallback& cb, DWORD flags, DWORD_PTR* driver_user) = 0;
  virtual MMRESULT Close(DWORD_PTR driver_user) = 0;
  virtual MMRESULT Prepare(DWORD_PTR, MIDIHDR*) { return MMSYSERR_NOTSUPPORTED; }
  virtual MMRESULT Unprepare(DWORD_PTR, MIDIHDR*) { return MMSYSERR_NOTSUPPORTED; }
  virtual MMRESULT AddBuffer(DWORD_PTR driver_user, MIDIHDR* hdr) = 0;
  virtual MMRESULT Start(DWORD_PTR driver_user) = 0;
  virtual MMRESULT Stop(DWORD_PTR driver_user) = 0;
  virtual MMRESULT Reset(DWORD_PTR driver_user) = 0;
};

// The current port lists, in device-number order: driver ports, loopback,
// ALSA. Safe from any thread, including callbacks.
std::vector<std::shared_ptr<OutPort>> OutPorts();
std::vector<std::shared_ptr<InPort>> InPorts();

// Backend enumerations (each appends its ports).
void AppendDriverOutPorts(std::vector<std::shared_ptr<OutPort>>& out);
void AppendDriverInPorts(std::vector<std::shared_ptr<InPort>>& out);
void AppendLoopbackOutPorts(std::vector<std::shared_ptr<OutPort>>& out);
void AppendLoopbackInPorts(std::vector<std::shared_ptr<InPort>>& out);
void AppendAlsaOutPorts(std::vector<std::shared_ptr<OutPort>>& out);
void AppendAlsaInPorts(std::vector<std::shared_ptr<InPort>>& out);

// Copies a port name into a capability record: at most 31 bytes, terminated.
void CopyPortName(char (&dst)[MAXPNAMELEN], const std::string& name);

struct StreamState;

// What a HMIDIOUT / HMIDIIN / HMIDISTRM points to.
struct MidiHandle {
  enum class Kind { kOut, kIn, kStream };
  MidiHandle(Kind k, std::shared_ptr<OutPort> o, std::shared_ptr<InPort> i);
  ~MidiHandle();  // where StreamState is complete
  Kind kind;
  std::shared_ptr<OutPort> out;
  std::shared_ptr<InPort> in;
  DWORD_PTR driver_user = 0;
  ClientCallback callback;
  std::unique_ptr<StreamState> stream;  // kStream only
};

// Live handles: a closed or made-up handle is refused, never dereferenced.
void RegisterHandle(MidiHandle* h);
void UnregisterHandle(MidiHandle* h);
// The handle when it is live and of one of the kinds wanted, else null.
MidiHandle* FindHandle(const void* h, MidiHandle::Kind a, MidiHandle::Kind b);
MidiHandle* FindHandle(const void* h, MidiHandle::Kind a);

// Header checks shared by every direction.
MMRESULT CheckHeader(const MIDIHDR* hdr, UINT cb);

}  // namespace platform
