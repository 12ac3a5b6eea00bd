// In-process USB endpoints: a device that lives in this process (the software
// sound module) registers its two bulk pipes here under a name, and the USB
// transport of a loaded driver finds them. The same pipes are reachable from
// other processes through the module's local socket.
//
// Thread rules: register/unregister from any thread; the pipe functions are
// called from the driver's reader and writer threads. read_in blocks on the
// platform clock (never on a raw OS wait), so virtual time stays exact.
#pragma once
#include <cstdint>

extern "C" {

struct SonavexUsbEndpoint {
  void* ctx;
  // Bulk OUT (host to device). Returns the bytes accepted (all of them unless
  // the device is gone), or -1 when the device is gone.
  int (*write_out)(void* ctx, const uint8_t* data, int len);
  // Bulk IN (device to host). Waits up to timeout_ms on the platform clock;
  // returns the bytes read (a multiple of 4), 0 on time-out, -1 when gone.
  int (*read_in)(void* ctx, uint8_t* data, int capacity, unsigned timeout_ms);
  // Optional (may be null): the earliest platform-clock time (microseconds)
  // at which bulk IN may have data without anything written meanwhile; ~0
  // when nothing is scheduled. Never blocks. Lets a reader on the virtual
  // clock wait for data instead of polling every millisecond.
  uint64_t (*next_in_us)(void* ctx);
  // Optional (may be null): like read_in with no time-out, and the clock
  // time (microseconds) each packet was sent at into sent_us[i]. Never
  // blocks. Lets a reader on the virtual clock read in batches yet stamp
  // each message with the time of the look that would have found it.
  int (*read_in_timed)(void* ctx, uint8_t* data, int capacity, uint64_t* sent_us);
};

// 0 on success, -1 when the name is taken or an argument is null.
__attribute__((visibility("default"))) int SonavexRegisterUsbEndpoint(
    const char* name, const SonavexUsbEndpoint* endpoint);
__attribute__((visibility("default"))) void SonavexUnregisterUsbEndpoint(const char* name);
// A copy of the registered endpoint into *out; 0 on success, -1 when absent.
__attribute__((visibility("default"))) int SonavexFindUsbEndpoint(const char* name,
                                                                  SonavexUsbEndpoint* out);
}
