#pragma once
// The build program's main window as volqbuild runs it: the steps of the
// later subsystems and the two windows its buttons open. Shared by the
// program's main and the tests that run the whole pipeline in one process.
#include "build/records/form_volq_build.h"
#include "platform/fs/data_dir.h"

namespace volq {

// `dir` must outlive the windows opened through the wiring.
FormVolqBuildWiring ProgramWiring(DataDir& dir);

}  // namespace volq
