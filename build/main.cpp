#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::cout << "usage: volqbuild [--data-dir DIR] [-c 'COMMANDS']\n";
      return 0;
    }
  }
  return 0;
}
