// volqgen: writes a synthetic record source for the service stand-in.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/fs/file_failure.h"
#include "tools/gen/source.h"

namespace {

const char kUsage[] =
    "usage: volqgen --out DIR [--seed N] [--scale small|full] [--from YEAR] [--to YEAR]\n"
    "  writes a record source (folders TOKU RACE DIFN BLDN SLOP YSCH HOSN) for the\n"
    "  service stand-in; the same options give the same bytes.\n"
    "  defaults: --seed 1 --scale small --from 2018 --to 2026\n";

bool ParseInt(const char* text, long long& out) {
  char* end = nullptr;
  out = std::strtoll(text, &end, 10);
  return end && *end == '\0' && end != text;
}

}  // namespace

int main(int argc, char** argv) {
  volq::gen::Options opt;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc) {
      std::cerr << "volqgen: " << a << " needs a value\n" << kUsage;
      return 2;
    }
    const char* v = argv[++i];
    long long n = 0;
    if (a == "--out")
      out = v;
    else if (a == "--scale" && (std::strcmp(v, "small") == 0 || std::strcmp(v, "full") == 0))
      opt.scale = std::strcmp(v, "full") == 0 ? volq::gen::Scale::Full : volq::gen::Scale::Small;
    else if (a == "--seed" && ParseInt(v, n) && n >= 0)
      opt.seed = static_cast<uint64_t>(n);
    else if (a == "--from" && ParseInt(v, n) && n >= 1990 && n <= 2100)
      opt.from = static_cast<int>(n);
    else if (a == "--to" && ParseInt(v, n) && n >= 1990 && n <= 2100)
      opt.to = static_cast<int>(n);
    else {
      std::cerr << "volqgen: bad option " << a << " " << v << "\n" << kUsage;
      return 2;
    }
  }
  if (out.empty() || opt.to < opt.from) {
    std::cerr << kUsage;
    return 2;
  }
  try {
    const auto start = std::chrono::steady_clock::now();
    const volq::gen::Source source = volq::gen::Generate(opt);
    volq::gen::WriteSource(source, out);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "volqgen: seed " << opt.seed << ", scale "
              << (opt.scale == volq::gen::Scale::Full ? "full" : "small") << ", years " << opt.from
              << "-" << opt.to << ", into " << out << "\n"
              << volq::gen::SummaryText(source) << "done in " << seconds << " s\n";
  } catch (const volq::Failure& f) {
    std::cerr << "volqgen: " << f.what() << "\n";
    return 1;
  }
  return 0;
}
