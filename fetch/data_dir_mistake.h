#pragma once
// A --data-dir that is plainly not a data directory: the record source
// itself (or a folder of it), or a folder of a data directory given in
// place of the data directory. The download would put its ten raw files
// there, where the next download would serve them as records or the steps
// would never find them.
#include <filesystem>
#include <string>

namespace volq {

// What `data_dir` looks like when it is one of those ("" when it is none),
// in one line that names its absolute path and says what to give instead;
// ends with "nothing was written". A directory that does not exist yet is
// judged by the folders it would lie in.
std::string DataDirMistake(const std::filesystem::path& data_dir);

}  // namespace volq
