#pragma once
// The one error type of the system: file, index and conversion failures raise
// it, and the build program's step frame catches it to skip the operation.
#include <stdexcept>
#include <string>

namespace volq {

class Failure : public std::runtime_error {
 public:
  enum class Kind { File, Index, Conversion, Overflow };
  Failure(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

[[noreturn]] inline void FailFile(const std::string& what) { throw Failure(Failure::Kind::File, what); }
[[noreturn]] inline void FailIndex(const std::string& what) {
  throw Failure(Failure::Kind::Index, what);
}
[[noreturn]] inline void FailConversion(const std::string& what) {
  throw Failure(Failure::Kind::Conversion, what);
}
[[noreturn]] inline void FailOverflow(const std::string& what) {
  throw Failure(Failure::Kind::Overflow, what);
}

}  // namespace volq
