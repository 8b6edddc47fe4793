#pragma once
// Files beside a data directory (what a symlink of it points to, a folder a
// hostile journal names), written and read outside the file seam, which
// refuses them while a data directory is open. Header only: no program
// links it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace volq {

inline void WritePlainFile(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

// The bytes of file p; "" when it cannot be read.
inline std::string ReadPlainFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace volq
