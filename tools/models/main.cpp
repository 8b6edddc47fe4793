// volqmodels: writes sample category-weight models into OPTION1N from what
// the categorisations of the category window wrote (made-up weights, not
// fitted ones; see sample_models.h).
#include <cstdio>
#include <iostream>
#include <string>

#include "build/factors/factor_frame.h"
#include "platform/fs/file_failure.h"
#include "tools/models/sample_models.h"

namespace {

const char kUsage[] =
    "usage: volqmodels [--data-dir DIR]\n"
    "  writes sample models (made-up weights, not fitted ones) for turf, dirt and\n"
    "  steeplechase into DIR/OPTION1N from the categorisations' category lists,\n"
    "  counts and speed data sets in DIR (default VOLQNQ4DPROJECT).\n";

}  // namespace

int main(int argc, char** argv) {
  std::string data_dir = "VOLQNQ4DPROJECT";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (a == "--data-dir" && i + 1 < argc) {
      data_dir = argv[++i];
    } else {
      std::cerr << "volqmodels: unknown option '" << a << "'\n" << kUsage;
      return 2;
    }
  }
  volq::DataDir dir(data_dir);
  int status = 0;
  for (int course : {volq::kTurf, volq::kDirt, volq::kSteeple}) {
    const std::string word = volq::ModelWord(course);
    try {
      const volq::models::SampleModel m = volq::models::ReadCategorisation(dir, word);
      volq::models::WriteSampleModel(dir, word, m);
      int64_t categories = 0;
      for (int k = 1; k <= volq::kFactorCount; ++k) categories += m.count[k];
      char means[96];
      std::snprintf(means, sizeof means, "mean speeds Agari %.2f, Pace %.2f, Soha %.2f km/h",
                    m.mean[0], m.mean[1], m.mean[2]);
      std::cout << "volqmodels: " << word << ": " << categories << " categories, " << means << "\n";
    } catch (const volq::Failure& e) {
      std::cerr << "failure: sample model " << word << ": " << e.what() << "; no model written\n";
      status = 1;
    }
  }
  return status;
}
