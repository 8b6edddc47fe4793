#include "platform/fs/file_failure.h"

#include <cerrno>
#include <cstring>

namespace volq {

void FailFile(std::string_view op, const std::filesystem::path& p, int err) {
  const std::string shown = ShownPath(p);
  std::string cause(op);
  std::string what = cause + " " + shown;
  if (err != 0) {
    const std::string reason = std::string(": ") + std::strerror(err);
    cause += reason;
    what += reason;
  }
  throw Failure(Failure::Kind::File, what, cause, shown, err);
}

bool IsFileSystemFailure(const Failure& e) {
  if (e.kind() != Failure::Kind::File) return false;
  return e.error() == ENOSPC || e.error() == EDQUOT || e.error() == EIO || e.error() == EROFS;
}

}  // namespace volq
