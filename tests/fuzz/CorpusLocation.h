// Where a corpus test finds its seeds: set per corpus test program (its
// CorpusLocation.cpp is compiled with that program's corpus folder).
#pragma once

extern const char* const kFuzzCorpusDirectory;
extern const int kFuzzMinimumSeeds;
