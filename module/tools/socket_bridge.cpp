#include "socket_bridge.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane {
namespace {

int g_wake[2] = {-1, -1};
std::atomic<bool> g_stop{false};

struct Client {
  int fd = -1;
  std::atomic<bool> done{false};
  std::thread reader;
};

std::mutex g_clients_mu;
std::vector<std::unique_ptr<Client>> g_clients;

bool WriteAll(int fd, const uint8_t* data, size_t len) {
  while (len > 0) {
    const ssize_t n = send(fd, data, len, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

// One client's OUT stream: only whole packets go to the module, so clients
// writing at once never split each other's packets.
void ServeClient(Client* client, SonavexUsbEndpoint endpoint) {
  const int fd = client->fd;
  uint8_t buf[1024 + 3];
  size_t kept = 0;
  for (;;) {
    const ssize_t n = recv(fd, buf + kept, 1024, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const size_t have = kept + static_cast<size_t>(n);
    const size_t whole = have / 4 * 4;
    if (whole > 0 && endpoint.write_out(endpoint.ctx, buf, static_cast<int>(whole)) < 0) break;
    kept = have - whole;
    std::memmove(buf, buf + whole, kept);
  }
  shutdown(fd, SHUT_RDWR);
  client->done = true;
}

// Joins the threads of clients that have gone.
void ReapClients() {
  for (auto it = g_clients.begin(); it != g_clients.end();) {
    if ((*it)->done.load()) {
      (*it)->reader.join();
      close((*it)->fd);
      it = g_clients.erase(it);
    } else {
      ++it;
    }
  }
}

void FanOutIn(SonavexUsbEndpoint endpoint) {
  uint8_t buf[256];
  while (!g_stop.load()) {
    const int n = endpoint.read_in(endpoint.ctx, buf, sizeof buf, 10);
    if (n < 0) break;
    if (n == 0) continue;
    std::lock_guard lock(g_clients_mu);
    for (auto& c : g_clients) {
      if (c->fd >= 0 && !WriteAll(c->fd, buf, static_cast<size_t>(n))) shutdown(c->fd, SHUT_RDWR);
    }
  }
}

int Listen(const std::string& path) {
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) return -1;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    // A socket file nobody answers on is left over from a module that died.
    const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool alive =
        probe >= 0 && connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (probe >= 0) close(probe);
    if (alive || unlink(path.c_str()) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      close(fd);
      return -1;
    }
  }
  if (listen(fd, 8) != 0) {
    close(fd);
    unlink(path.c_str());
    return -1;
  }
  return fd;
}

}  // namespace

std::string DefaultSocketPath() {
  if (const char* p = std::getenv("SONAVEX_MODULE_SOCKET"); p != nullptr && *p != '\0') return p;
  const char* dir = std::getenv("XDG_RUNTIME_DIR");
  const std::string folder = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  return folder + "/corvane-module-" + std::to_string(getuid()) + ".sock";
}

void RequestBridgeStop() {
  g_stop = true;
  if (g_wake[1] >= 0) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(g_wake[1], &c, 1);
  }
}

bool RunSocketBridge(const std::string& path, const SonavexUsbEndpoint& endpoint) {
  if (pipe(g_wake) != 0) return false;
  const int listener = Listen(path);
  if (listener < 0) return false;
  std::thread in_thread(FanOutIn, endpoint);
  while (!g_stop.load()) {
    pollfd fds[2] = {{listener, POLLIN, 0}, {g_wake[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) break;
    if (fds[1].revents != 0 || g_stop.load()) break;
    if (!(fds[0].revents & POLLIN)) continue;
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(g_clients_mu);
    ReapClients();
    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->reader = std::thread(ServeClient, client.get(), endpoint);
    g_clients.push_back(std::move(client));
  }
  g_stop = true;
  close(listener);
  unlink(path.c_str());
  in_thread.join();
  std::lock_guard lock(g_clients_mu);
  for (auto& c : g_clients) shutdown(c->fd, SHUT_RDWR);
  for (auto& c : g_clients) {
    c->reader.join();
    close(c->fd);
  }
  g_clients.clear();
  return true;
}

}  // namespace corvane
