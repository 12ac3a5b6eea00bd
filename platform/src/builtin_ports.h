// The behaviour shared by the ports this library implements itself
// (loopback, ALSA): per-client callbacks, header flags, held-note tracking
// for reset, and input parsing into short messages and system-exclusive
// buffers. A backend only supplies the byte sink or feeds received bytes.
// Internal to the platform library.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <list>
#include <mutex>
#include <string>

#include "midi_ports.h"

namespace platform {

class BuiltinOutPort : public OutPort {
 public:
  explicit BuiltinOutPort(std::string name, WORD technology = MOD_MIDIPORT)
      : name_(std::move(name)), technology_(technology) {}
  const std::string& name() const { return name_; }

  MMRESULT GetCaps(MIDIOUTCAPS* caps) override;
  MMRESULT Open(const ClientCallback& cb, DWORD flags, DWORD_PTR* driver_user) override;
  MMRESULT Close(DWORD_PTR driver_user) override;
  MMRESULT Data(DWORD_PTR driver_user, DWORD msg) override;
  MMRESULT LongData(DWORD_PTR driver_user, MIDIHDR* hdr) override;
  // Switches off every note this client left sounding.
  MMRESULT Reset(DWORD_PTR driver_user) override;

 protected:
  // Delivers one message's bytes (a short message, or a whole long buffer).
  // Called with no lock of this class held. Returns MMSYSERR_NOERROR or the
  // failure to report.
  virtual MMRESULT Emit(const uint8_t* bytes, size_t n) = 0;

 private:
  struct Client {
    ClientCallback cb;
    std::array<uint16_t, 128> held{};  // bit c: note on channel c sounding
  };
  const std::string name_;
  const WORD technology_;
  std::mutex mu_;
  std::list<Client> clients_;
};

class BuiltinInPort : public InPort {
 public:
  explicit BuiltinInPort(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  MMRESULT GetCaps(MIDIINCAPS* caps) override;
  MMRESULT Open(const ClientCallback& cb, DWORD flags, DWORD_PTR* driver_user) override;
  MMRESULT Close(DWORD_PTR driver_user) override;
  MMRESULT AddBuffer(DWORD_PTR driver_user, MIDIHDR* hdr) override;
  MMRESULT Start(DWORD_PTR driver_user) override;
  MMRESULT Stop(DWORD_PTR driver_user) override;
  MMRESULT Reset(DWORD_PTR driver_user) override;

  // Hands received bytes, read at clock time `time_us`, to every started
  // client. Callbacks run on the calling thread.
  void Feed(const uint8_t* bytes, size_t n, uint64_t time_us);
  bool HasClients();

 protected:
  // Told when the first client opens and the last one closes.
  virtual void Activate(bool /*on*/) {}

 private:
  struct Client {
    ClientCallback cb;
    bool started = false;
    uint64_t start_us = 0;
    std::deque<MIDIHDR*> queue;
    BYTE status = 0;  // running status, 0: none
    int missing = 0;
    DWORD message = 0;
    DWORD stamp = 0;
    bool in_sysex = false;
    DWORD sysex_stamp = 0;
  };
  struct Callback {
    ClientCallback cb;
    UINT msg;
    DWORD_PTR p1, p2;
  };
  void FeedClient(Client& c, uint8_t b, uint64_t time_us, std::vector<Callback>& out);
  void AppendSysex(Client& c, uint8_t b, std::vector<Callback>& out);
  void HandBack(Client& c, std::vector<Callback>& out, DWORD stamp);

  const std::string name_;
  std::mutex mu_;
  std::list<Client> clients_;
};

}  // namespace platform
