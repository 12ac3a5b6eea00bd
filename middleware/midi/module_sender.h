// Talking to the sound module outside playback: the current output port, the
// module's port recognised at start-up, the one-shot senders (each opens the
// port, sends, waits for the device and closes), the channel reset and
// transpose sequences, main volume routing and the set-up send of a loaded
// Standard MIDI File.
//
// Thread rules: call from the host thread (or the play thread for Start/Stop,
// reset and transpose). Senders block for the transfer plus their settle
// sleeps on the platform clock. The main-volume pending flag and the pending
// part settings are atomic and are taken by whichever thread next fills a
// stream buffer.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/result.h"

namespace qm3::midi {

inline constexpr uint32_t kNoModulePort = 0xFFFFFFFFu;
inline constexpr const char* kModulePortName = "Corvane USB MIDI OUT 1";

uint32_t CurrentOutputDevice();
void SetCurrentOutputDevice(uint32_t device);
uint32_t ModulePort();
bool ModulePresent();
// Tick count until which the module is settling after start-up; 0 when none.
uint32_t SettleDeadline();
void ClearSettleDeadline();

// Start-up recognition: `device` carries the module's port name. Makes it the
// current and the module port, sends the initialisation and, when that is
// accepted, marks the module present with a 2500 ms settle deadline.
void OnModulePortFound(uint32_t device);
// Forgets the recognition (before the port list is built again).
void ForgetModulePort();

// One-shot senders: kRcOk, kRcNoMemory or kRcMidiDeviceNotOpened.
Rc SendLongOneShot(const uint8_t* bytes, size_t size);
// Short messages (status in the low byte) in one open of the port.
Rc SendShortOneShot(const uint32_t* messages, size_t count);
Rc SendModuleInit();
Rc SendMainVolume(uint8_t volume);
Rc SendPlayMode(uint8_t mode);
Rc SendGmOff();
Rc SendGmOn();
Rc SendGsReset();
Rc ResetAllChannels();
Rc SendTranspose(int semitones);
Rc SendStart();
Rc SendStop();

// Main volume routing for a write of control 0x0601: into the playing
// stream, else through a live run holding the module's port, else one-shot.
void RouteMainVolume(int32_t control_value);
// The live run's way for the main volume: true when a run took it.
using RunVolumeRoute = bool (*)(uint8_t volume);
void SetRunVolumeRoute(RunVolumeRoute route);
// Set while a stream plays: the next buffer carries the main volume message.
bool TakeMainVolumePending(uint8_t* volume);
void SetStreamPlaying(bool playing);

// Part settings (bank select 0 and 32, program change, volume 7, pan 10)
// edited while a stream plays: the newest value of each, per channel, waits
// for the play thread's next buffer. False when no stream plays (send them
// one-shot then). Other messages are ignored.
bool QueuePartSettings(const uint32_t* messages, size_t count);
// The play thread: at most `capacity` pending messages in sending order (a
// bank select before its program change); what does not fit stays pending.
inline constexpr size_t kPartSettingMessagesMax = 16 * 5;
size_t TakePartSettings(uint32_t* out, size_t capacity);

// The set-up busy-until tick count; only grows.
uint32_t BusyUntil();
void ExtendBusyUntil(uint32_t tick);
// Waits on the platform clock until the busy-until time has passed.
void WaitUntilNotBusy();

// Sends the set-up events of a Standard MIDI File image (everything before
// its first sounding note) so edits reach the module at once.
Rc SendSongSetup(const uint8_t* image, size_t size);

// Shut-down: the module port again, the initialisation, 2500 ms settle.
void ShutDownModule();

}  // namespace qm3::midi
