// Pipes to the hardware module through libusb: the interface named by the
// setup information file, its first bulk OUT endpoint ("PIPE00") and its
// first bulk IN endpoint ("PIPE01"). Both pipes share one claimed device
// handle. Transfers use short libusb time-outs (hardware runs on the real
// clock only).
#include <libusb-1.0/libusb.h>

#include <cstring>
#include <mutex>

#include "device_routes.h"
#include "platform/trace.h"
#include "setup_information.h"

namespace cvusb {
namespace {

constexpr unsigned kReadTimeoutMs = 1;
constexpr unsigned kWriteTimeoutMs = 1000;

libusb_context* g_context = nullptr;  // guarded by the transport's I/O lock

libusb_context* Context() {
  if (g_context == nullptr && libusb_init(&g_context) != 0) g_context = nullptr;
  return g_context;
}

libusb_device_handle* OpenModule(const UsbDeviceId& id) {
  libusb_context* context = Context();
  if (context == nullptr) return nullptr;
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context, &list);
  libusb_device_handle* handle = nullptr;
  for (ssize_t i = 0; i < count && handle == nullptr; ++i) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(list[i], &descriptor) != 0) continue;
    if (descriptor.idVendor != id.vendor || descriptor.idProduct != id.product) continue;
    if (libusb_open(list[i], &handle) != 0) handle = nullptr;
  }
  if (list != nullptr) libusb_free_device_list(list, 1);
  return handle;
}

TransferStatus Classify(int error) {
  switch (error) {
    case LIBUSB_SUCCESS:
      return TransferStatus::kDone;
    case LIBUSB_ERROR_TIMEOUT:
    case LIBUSB_ERROR_BUSY:
    case LIBUSB_ERROR_INTERRUPTED:
      return TransferStatus::kTransient;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
      return TransferStatus::kGone;
    default:
      return TransferStatus::kOther;
  }
}

struct HardwareSession {
  libusb_device_handle* handle = nullptr;
  int interface_number = 0;
  uint8_t endpoint_out = 0;
  uint8_t endpoint_in = 0;
  int in_packet_size = 64;
  ~HardwareSession() {
    libusb_release_interface(handle, interface_number);
    libusb_close(handle);
  }
};

std::weak_ptr<HardwareSession> g_session;

bool FindBulkEndpoints(HardwareSession& session) {
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(libusb_get_device(session.handle), &config) != 0) {
    return false;
  }
  for (int i = 0; i < config->bNumInterfaces; ++i) {
    const libusb_interface& interface = config->interface[i];
    for (int a = 0; a < interface.num_altsetting; ++a) {
      const libusb_interface_descriptor& alt = interface.altsetting[a];
      if (alt.bInterfaceNumber != session.interface_number) continue;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
        if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) != 0) {
          if (session.endpoint_in == 0) {
            session.endpoint_in = ep.bEndpointAddress;
            session.in_packet_size = ep.wMaxPacketSize > 0 ? ep.wMaxPacketSize : 64;
          }
        } else if (session.endpoint_out == 0) {
          session.endpoint_out = ep.bEndpointAddress;
        }
      }
    }
  }
  libusb_free_config_descriptor(config);
  return session.endpoint_in != 0 && session.endpoint_out != 0;
}

std::shared_ptr<HardwareSession> Session() {
  if (auto session = g_session.lock()) return session;
  const auto id = FindModuleDeviceId();
  if (!id) return nullptr;
  libusb_device_handle* handle = OpenModule(*id);
  if (handle == nullptr) return nullptr;
  libusb_set_auto_detach_kernel_driver(handle, 1);
  if (libusb_claim_interface(handle, id->interface_number) != 0) {
    libusb_close(handle);
    return nullptr;
  }
  auto session = std::make_shared<HardwareSession>();
  session->handle = handle;
  session->interface_number = id->interface_number;
  if (!FindBulkEndpoints(*session)) return nullptr;
  g_session = session;
  return session;
}

class HardwarePipe : public Pipe {
 public:
  explicit HardwarePipe(std::shared_ptr<HardwareSession> session) : session_(std::move(session)) {}

  Transfer Write(const uint8_t* data, int length) override {
    int transferred = 0;
    const int result =
        libusb_bulk_transfer(session_->handle, session_->endpoint_out, const_cast<uint8_t*>(data),
                             length, &transferred, kWriteTimeoutMs);
    const TransferStatus status = Classify(result);
    if (status == TransferStatus::kOther) platform::TraceLog("cvusb: bulk OUT error %d", result);
    return {status, transferred};
  }

  Transfer Read(uint8_t* data, int capacity) override {
    // The endpoint's packets may be larger than a read: keep the rest.
    if (stashed_ == 0) {
      int transferred = 0;
      const int result = libusb_bulk_transfer(session_->handle, session_->endpoint_in, stash_,
                                              StashCapacity(), &transferred, kReadTimeoutMs);
      const TransferStatus status = Classify(result);
      if (status == TransferStatus::kGone || status == TransferStatus::kOther) {
        if (status == TransferStatus::kOther) {
          platform::TraceLog("cvusb: bulk IN error %d", result);
        }
        return {status, 0};
      }
      stashed_ = transferred - transferred % 4;
      taken_ = 0;
    }
    const int n = stashed_ - taken_ < capacity ? stashed_ - taken_ : capacity;
    std::memcpy(data, stash_ + taken_, static_cast<size_t>(n));
    taken_ += n;
    if (taken_ >= stashed_) stashed_ = taken_ = 0;
    return {TransferStatus::kDone, n};
  }

 private:
  int StashCapacity() const {
    const int size = session_->in_packet_size;
    return size < static_cast<int>(sizeof(stash_)) ? size : static_cast<int>(sizeof(stash_));
  }

  std::shared_ptr<HardwareSession> session_;
  uint8_t stash_[1024] = {};
  int stashed_ = 0;
  int taken_ = 0;
};

}  // namespace

bool ProbeHardware() {
  if (!g_session.expired()) return true;
  const auto id = FindModuleDeviceId();
  if (!id) return false;
  libusb_device_handle* handle = OpenModule(*id);
  if (handle == nullptr) return false;
  libusb_close(handle);
  return true;
}

std::unique_ptr<Pipe> OpenHardwarePipe(PipeDirection) {
  auto session = Session();
  if (!session) return nullptr;
  return std::make_unique<HardwarePipe>(std::move(session));
}

void ReleaseHardwareLibrary() {
  if (g_session.expired() && g_context != nullptr) {
    libusb_exit(g_context);
    g_context = nullptr;
  }
}

}  // namespace cvusb
