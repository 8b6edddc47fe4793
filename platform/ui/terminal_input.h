#pragma once
// Standard input read by the console itself while a step runs, so that a
// yield point can see whether a line waits without blocking, and a modal
// window can take a single key press. At the prompt the line editor reads;
// what came meanwhile is handed to it first (BufferedLine, TakeRest).
#include <poll.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace volq {

class TerminalInput {
 public:
  explicit TerminalInput(int fd) : fd_(fd) {}

  std::optional<std::string> ReadLine() {
    while (true) {
      size_t nl = buf_.find('\n');
      if (nl != std::string::npos) {
        std::string line = buf_.substr(0, nl);
        buf_.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      if (eof_) {
        if (buf_.empty()) return std::nullopt;
        std::string line;
        line.swap(buf_);
        return line;
      }
      Fill(-1);
    }
  }

  // A whole line that was read already, without reading more.
  std::optional<std::string> BufferedLine() {
    if (buf_.find('\n') == std::string::npos) return std::nullopt;
    return ReadLine();
  }
  // What was read already of a line not yet ended.
  std::string TakeRest() {
    std::string rest;
    rest.swap(buf_);
    return rest;
  }

  bool LineReady() {
    while (Fill(0)) {
    }
    return buf_.find('\n') != std::string::npos || (eof_ && !buf_.empty());
  }

  // Takes one key press: a byte, a multi-byte character, or the escape
  // sequence of a function or arrow key, so nothing of it is left to be read
  // as the start of the next command.
  bool TakeKey() {
    if (buf_.empty()) Fill(0);
    if (buf_.empty()) return false;
    buf_.erase(0, KeyLength());
    return true;
  }

 private:
  // Reads what is there within timeout_ms (-1: waits); false when nothing came.
  bool Fill(int timeout_ms) {
    if (eof_) return false;
    pollfd p{fd_, POLLIN, 0};
    int r = poll(&p, 1, timeout_ms);
    if (r <= 0) return false;
    char tmp[4096];
    ssize_t n = read(fd_, tmp, sizeof tmp);
    if (n < 0) return false;
    if (n == 0) {
      eof_ = true;
      return false;
    }
    buf_.append(tmp, static_cast<size_t>(n));
    return true;
  }

  // Bytes of the key at the front of the buffer.
  size_t KeyLength() {
    while (Fill(0)) {
    }
    const auto byte = [this](size_t i) { return static_cast<unsigned char>(buf_[i]); };
    size_t n = 1;
    if (byte(0) == 0x1b && buf_.size() > 1 && (buf_[1] == '[' || buf_[1] == 'O')) {
      // ESC [ parameters... final byte (0x40-0x7e); ESC O x.
      n = 2;
      while (n < buf_.size() && !(byte(n) >= 0x40 && byte(n) <= 0x7e)) ++n;
      if (n < buf_.size()) ++n;
    } else if (byte(0) >= 0xc0) {
      // A UTF-8 character: its continuation bytes follow.
      while (n < buf_.size() && (byte(n) & 0xc0) == 0x80) ++n;
    }
    return n;
  }

  int fd_;
  std::string buf_;
  bool eof_ = false;
};

}  // namespace volq
