#include "CorpusLocation.h"

const char* const kFuzzCorpusDirectory = ZAQ_FUZZ_CORPUS_DIR;
const int kFuzzMinimumSeeds = ZAQ_FUZZ_MIN_SEEDS;
