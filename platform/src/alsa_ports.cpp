// ALSA sequencer ports: every other program's writable port is a MIDI
// output here, every readable port a MIDI input. Without a sequencer device
// there are simply no ALSA ports. Also the library's diagnostics and the
// question whether the system can play sound at all.
#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdarg>
#include <map>
#include <thread>

#include "builtin_ports.h"
#include "platform/clock.h"
#include "platform/system_audio.h"
#include "platform/trace.h"

namespace platform {
namespace {

void QuietAlsaErrors(const char* file, int line, const char* fn, int err, const char* fmt, ...) {
  if (!TraceEnabled()) return;
  char text[256];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  TraceLog("alsa %s:%d %s: %s (%d)", file, line, fn, text, err);
}

// The process's one sequencer client, opened at the first port query.
struct Sequencer {
  std::mutex mu;
  snd_seq_t* seq = nullptr;
  bool tried = false;
  int client = -1;
};

Sequencer& Seq() {
  static Sequencer* s = new Sequencer;  // outlives every port
  return *s;
}

snd_seq_t* OpenSequencer() {
  Sequencer& s = Seq();
  if (s.tried) return s.seq;
  s.tried = true;
  snd_lib_error_set_handler(&QuietAlsaErrors);
  if (snd_seq_open(&s.seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
    s.seq = nullptr;
    return nullptr;
  }
  snd_seq_set_client_name(s.seq, "Sonavex");
  s.client = snd_seq_client_id(s.seq);
  return s.seq;
}

class AlsaOut : public BuiltinOutPort {
 public:
  AlsaOut(std::string name, snd_seq_addr_t dest) : BuiltinOutPort(std::move(name)), dest_(dest) {}
  ~AlsaOut() override {
    if (encoder_ != nullptr) snd_midi_event_free(encoder_);
  }

 protected:
  MMRESULT Emit(const uint8_t* bytes, size_t n) override {
    std::lock_guard lock(Seq().mu);
    snd_seq_t* seq = Seq().seq;
    if (seq == nullptr) return MMSYSERR_NODRIVER;
    if (src_port_ < 0) {
      src_port_ = snd_seq_create_simple_port(
          seq, "Sonavex out", SND_SEQ_PORT_CAP_READ,
          SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
      if (src_port_ < 0 || snd_seq_connect_to(seq, src_port_, dest_.client, dest_.port) < 0 ||
          snd_midi_event_new(4096, &encoder_) < 0) {
        return MMSYSERR_NODRIVER;
      }
    }
    snd_midi_event_reset_encode(encoder_);
    size_t pos = 0;
    while (pos < n) {
      snd_seq_event_t ev;
      snd_seq_ev_clear(&ev);
      const long used = snd_midi_event_encode(encoder_, bytes + pos, long(n - pos), &ev);
      if (used <= 0) break;
      pos += size_t(used);
      if (ev.type == SND_SEQ_EVENT_NONE) continue;
      snd_seq_ev_set_source(&ev, src_port_);
      snd_seq_ev_set_subs(&ev);
      snd_seq_ev_set_direct(&ev);
      if (snd_seq_event_output_direct(seq, &ev) < 0) return MMSYSERR_NODRIVER;
    }
    return MMSYSERR_NOERROR;
  }

 private:
  snd_seq_addr_t dest_;
  int src_port_ = -1;
  snd_midi_event_t* encoder_ = nullptr;
};

class AlsaIn : public BuiltinInPort {
 public:
  AlsaIn(std::string name, snd_seq_addr_t src) : BuiltinInPort(std::move(name)), src_(src) {}
  ~AlsaIn() override { Activate(false); }

 protected:
  // A reader thread per connected input. It waits in poll() on the
  // sequencer, outside the virtual clock: it never takes part in it.
  void Activate(bool on) override {
    if (on) {
      if (reader_.joinable()) return;
      std::lock_guard lock(Seq().mu);
      snd_seq_t* seq = Seq().seq;
      if (seq == nullptr) return;
      dst_port_ = snd_seq_create_simple_port(
          seq, "Sonavex in", SND_SEQ_PORT_CAP_WRITE,
          SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
      if (dst_port_ < 0 || snd_seq_connect_from(seq, dst_port_, src_.client, src_.port) < 0 ||
          pipe(wake_) != 0) {
        return;
      }
      reader_ = std::thread([this] { Read(); });
      return;
    }
    if (!reader_.joinable()) return;
    const char quit = 'q';
    (void)!write(wake_[1], &quit, 1);
    reader_.join();
    close(wake_[0]);
    close(wake_[1]);
    std::lock_guard lock(Seq().mu);
    snd_seq_disconnect_from(Seq().seq, dst_port_, src_.client, src_.port);
    snd_seq_delete_simple_port(Seq().seq, dst_port_);
    dst_port_ = -1;
  }

 private:
  void Read() {
    snd_midi_event_t* decoder = nullptr;
    if (snd_midi_event_new(4096, &decoder) < 0) return;
    snd_midi_event_no_status(decoder, 1);
    std::vector<pollfd> fds(1 + size_t(snd_seq_poll_descriptors_count(Seq().seq, POLLIN)));
    fds[0] = {wake_[0], POLLIN, 0};
    snd_seq_poll_descriptors(Seq().seq, fds.data() + 1, unsigned(fds.size() - 1), POLLIN);
    uint8_t bytes[4096];
    for (;;) {
      if (poll(fds.data(), fds.size(), -1) < 0) continue;
      if (fds[0].revents & POLLIN) break;
      for (;;) {
        snd_seq_event_t* ev = nullptr;
        int r;
        {
          std::lock_guard lock(Seq().mu);
          r = snd_seq_event_input(Seq().seq, &ev);
        }
        if (r < 0 || ev == nullptr) break;
        if (ev->dest.port != dst_port_) continue;
        const long n = snd_midi_event_decode(decoder, bytes, sizeof bytes, ev);
        if (n > 0) Feed(bytes, size_t(n), GetMicroseconds());
      }
    }
    snd_midi_event_free(decoder);
  }

  snd_seq_addr_t src_;
  int dst_port_ = -1;
  int wake_[2] = {-1, -1};
  std::thread reader_;
};

struct Known {
  std::map<std::pair<int, int>, std::shared_ptr<AlsaOut>> outs;
  std::map<std::pair<int, int>, std::shared_ptr<AlsaIn>> ins;
};

Known& Ports() {
  static Known* k = new Known;
  return *k;
}

template <typename Port, typename Base>
void Enumerate(unsigned need, std::map<std::pair<int, int>, std::shared_ptr<Port>>& known,
               std::vector<std::shared_ptr<Base>>& out) {
  std::lock_guard lock(Seq().mu);
  snd_seq_t* seq = OpenSequencer();
  if (seq == nullptr) return;
  snd_seq_client_info_t* cinfo;
  snd_seq_port_info_t* pinfo;
  snd_seq_client_info_alloca(&cinfo);
  snd_seq_port_info_alloca(&pinfo);
  snd_seq_client_info_set_client(cinfo, -1);
  while (snd_seq_query_next_client(seq, cinfo) >= 0) {
    const int client = snd_seq_client_info_get_client(cinfo);
    if (client == SND_SEQ_CLIENT_SYSTEM || client == Seq().client) continue;
    snd_seq_port_info_set_client(pinfo, client);
    snd_seq_port_info_set_port(pinfo, -1);
    while (snd_seq_query_next_port(seq, pinfo) >= 0) {
      if ((snd_seq_port_info_get_capability(pinfo) & need) != need) continue;
      const snd_seq_addr_t addr = *snd_seq_port_info_get_addr(pinfo);
      auto& port = known[{addr.client, addr.port}];
      if (!port || port->name() != snd_seq_port_info_get_name(pinfo)) {
        port = std::make_shared<Port>(snd_seq_port_info_get_name(pinfo), addr);
      }
      out.push_back(port);
    }
  }
}

}  // namespace

void QuietSystemAudioMessages() {
  snd_lib_error_set_handler(&QuietAlsaErrors);
}

bool SystemAudioAvailable() {
  QuietSystemAudioMessages();
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return false;
  snd_pcm_close(pcm);
  return true;
}

void AppendAlsaOutPorts(std::vector<std::shared_ptr<OutPort>>& out) {
  Enumerate(SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE, Ports().outs, out);
}

void AppendAlsaInPorts(std::vector<std::shared_ptr<InPort>>& out) {
  Enumerate(SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ, Ports().ins, out);
}

}  // namespace platform
