#include "client_binding.h"

namespace cvusb {

ClientBinding BindClient(const platform::MIDIOPENDESC& desc, platform::DWORD open_flags) {
  ClientBinding binding;
  binding.desc = desc;
  binding.callback_type =
      desc.dwCallback != 0 ? (open_flags & platform::CALLBACK_TYPEMASK) >> 16 : 0;
  return binding;
}

bool NotifyClient(const ClientBinding& client, platform::UINT message, platform::DWORD_PTR param1,
                  platform::DWORD_PTR param2) {
  if (client.callback_type == 0) return true;
  return DriverCallback(client.desc.dwCallback, client.callback_type,
                        reinterpret_cast<platform::HDRVR>(client.desc.hMidi), message,
                        client.desc.dwInstance, param1, param2) != 0;
}

}  // namespace cvusb
