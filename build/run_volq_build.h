#pragma once
// The build program as its main runs it, callable from a test that runs the
// program in its own process (the fault sweep, through a test file system).

namespace volq {

// Runs volqbuild with the command line argv[0..argc): its exit status.
int RunVolqBuild(int argc, char** argv);

}  // namespace volq
