// volqfetch: downloads the racing-data service's records (here through the
// stand-in that serves a record source directory) into the raw record files
// of the data directory.
#include "fetch/run_volq_fetch.h"

int main(int argc, char** argv) { return volq::RunVolqFetch(argc, argv); }
