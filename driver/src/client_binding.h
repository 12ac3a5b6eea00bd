// What a port remembers of the client that opened it (the copied open
// description and the callback type) and how it calls the client back.
//
// Thread rules: NotifyClient may run on the driver's threads; it calls the
// platform's DriverCallback, which does not block or allocate.
#pragma once
#include "platform/mmddk.h"

namespace cvusb {

struct ClientBinding {
  platform::MIDIOPENDESC desc{};
  platform::DWORD callback_type = 0;  // DCB_* type, 0 when no callback was given
};

// Builds the binding for an open: the callback type is bits 16..18 of the
// open flags when a callback was given, else 0.
ClientBinding BindClient(const platform::MIDIOPENDESC& desc, platform::DWORD open_flags);

// Sends `message` to the client; true when delivered (a callback type of 0
// counts as delivered).
bool NotifyClient(const ClientBinding& client, platform::UINT message, platform::DWORD_PTR param1,
                  platform::DWORD_PTR param2);

}  // namespace cvusb
