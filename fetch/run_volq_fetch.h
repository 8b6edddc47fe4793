#pragma once
// The download program as its main runs it, callable from a test that runs
// the program in its own process (the fault sweep, through a test file
// system).

namespace volq {

// Runs volqfetch with the command line argv[0..argc): its exit status.
int RunVolqFetch(int argc, char** argv);

}  // namespace volq
