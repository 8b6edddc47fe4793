#pragma once
// What tests put in place of a file to see that it is refused and never
// waited on. Header only: no program links it.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace volq {

// Makes a socket at p (nothing listens on it); false when it cannot. Bound
// by its name from inside its folder, as a socket's path has a short limit.
inline bool MakeSocket(const std::filesystem::path& p) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(p.parent_path());
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string name = p.filename().string();
  bool bound = s >= 0 && name.size() < sizeof addr.sun_path;
  if (bound) {
    std::memcpy(addr.sun_path, name.c_str(), name.size() + 1);
    bound = ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }
  if (s >= 0) ::close(s);
  std::filesystem::current_path(cwd);
  return bound;
}

}  // namespace volq
