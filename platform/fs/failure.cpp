#include "platform/fs/failure.h"

#include <atomic>
#include <cstring>
#include <iostream>

namespace volq {

namespace {

std::filesystem::path& ShownRoot() {
  static std::filesystem::path root;
  return root;
}

std::atomic<int> late_failures{0};

}  // namespace

void FailFile(std::string_view op, const std::filesystem::path& p, int err) {
  std::string cause(op);
  std::string what = cause + " " + ShownPath(p);
  if (err != 0) {
    const std::string reason = std::string(": ") + std::strerror(err);
    cause += reason;
    what += reason;
  }
  throw Failure(Failure::Kind::File, what, cause, ShownPath(p));
}

void FailConversion(std::string_view cause, std::string_view text) {
  const std::string subject = "'" + std::string(text) + "'";
  throw Failure(Failure::Kind::Conversion, std::string(cause) + ": " + subject, std::string(cause),
                subject);
}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7f) {
      out += static_cast<char>(c);
      continue;
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: {
        static const char kHex[] = "0123456789abcdef";
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
  }
  return out;
}

std::string ShownPath(const std::filesystem::path& p) {
  const std::filesystem::path& root = ShownRoot();
  if (!root.empty()) {
    const std::filesystem::path rel = p.lexically_normal().lexically_relative(root.lexically_normal());
    const std::string r = rel.generic_string();
    if (!r.empty() && r != "." && r.rfind("..", 0) != 0) {
      std::string shown = r;
      for (char& c : shown) {
        if (c == '/') c = '\\';
      }
      return shown;
    }
  }
  return p.string();
}

void SetShownRoot(const std::filesystem::path& root) { ShownRoot() = root; }

void ReportLateFailure(std::string_view text) {
  std::cerr << "failure: " << Printable(text) << '\n' << std::flush;
  ++late_failures;
}

int LateFailureCount() { return late_failures.load(); }

}  // namespace volq
