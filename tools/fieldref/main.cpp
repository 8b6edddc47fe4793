// volqfieldref: prints the field reference docs/fields.md from the layout
// tables of common/ (`--output FILE` writes it there instead). A field
// without a meaning in its table is named on standard error and the exit
// status is 1.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/fieldref/field_reference.h"

int main(int argc, char** argv) {
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--output" && i + 1 < argc) {
      output = argv[++i];
    } else {
      std::cerr << "usage: volqfieldref [--output FILE]\n"
                   "  prints the field reference (docs/fields.md) from the layout tables\n";
      return 2;
    }
  }
  std::vector<std::string> missing;
  const std::string page = volq::FieldReference(missing);
  for (const std::string& m : missing) {
    std::cerr << "fieldref: " << m << " has no meaning in its table: give it one (common/)\n";
  }
  if (!missing.empty()) return 1;
  if (output.empty()) {
    std::cout << page;
    return std::cout.flush() ? 0 : 1;
  }
  std::ofstream out(output, std::ios::binary);
  out << page;
  out.close();
  if (!out) {
    std::cerr << "fieldref: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
