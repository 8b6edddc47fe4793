#include "platform/fs/data_dir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "platform/fs/file_failure.h"

namespace volq {

namespace {

// "volqbuild (pid 1234) since 2025-03-01 10:15:02"
std::string HolderText(std::string_view program) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char since[32];
  std::strftime(since, sizeof since, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(program) + " (pid " + std::to_string(::getpid()) + ") since " + since;
}

// The holder's note, or empty when there is none to read (not yet written,
// or the holder could not write it).
std::string ReadNote(int dir) {
  // Never waits on a FIFO of its name.
  const int fd = ::openat(dir, kLockNoteName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return "";
  char buf[256];
  const ssize_t n = ::read(fd, buf, sizeof buf);
  ::close(fd);
  std::string text(buf, n > 0 ? static_cast<size_t>(n) : 0);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// A file made new: a stale note is removed first, never cut or written
// through, as another name may link to it.
void WriteNote(int dir, const std::string& text) {
  ::unlinkat(dir, kLockNoteName, 0);
  const int fd =
      ::openat(dir, kLockNoteName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  const std::string line = text + "\n";
  // The note only tells who waits on whom: a short write is no failure.
  [[maybe_unused]] const ssize_t n = ::write(fd, line.data(), line.size());
  ::close(fd);
}

int Flock(int fd, int how) {
  for (;;) {
    if (::flock(fd, how) == 0) return 0;
    if (errno != EINTR) return errno;
  }
}

}  // namespace

DataDirLock::DataDirLock(const std::filesystem::path& root, std::string_view program,
                         std::ostream& note)
    : journal_(root) {
  fd_ = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) FailFile("cannot lock", root, errno);
  int err = Flock(fd_, LOCK_EX | LOCK_NB);
  if (err == EWOULDBLOCK) {
    const std::string holder = ReadNote(fd_);
    note << program << ": data directory " << root.string() << " is in use by "
         << (holder.empty() ? std::string("another program") : Printable(holder))
         << "; waiting until it is free" << std::endl;
    err = Flock(fd_, LOCK_EX);
  }
  if (err != 0) {
    ::close(fd_);
    FailFile("cannot lock", root, err);
  }
  WriteNote(fd_, HolderText(program));
}

DataDirLock::~DataDirLock() {
  ::unlinkat(fd_, kLockNoteName, 0);
  ::close(fd_);  // releases the lock
}

}  // namespace volq
