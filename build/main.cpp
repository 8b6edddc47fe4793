// VolqBuild: the main window with every step wired, run by the console.
#include "build/run_volq_build.h"

int main(int argc, char** argv) { return volq::RunVolqBuild(argc, argv); }
