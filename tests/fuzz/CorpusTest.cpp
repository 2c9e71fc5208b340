// Without a fuzzing build a fuzz entry runs every seed of its corpus
// (kFuzzCorpusDirectory), which must hold at least kFuzzMinimumSeeds seeds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "CorpusLocation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

TEST(FuzzCorpus, EverySeedRunsThroughTheTarget)
{
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kFuzzCorpusDirectory)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
        ++seeds;
    }
    EXPECT_GE(seeds, kFuzzMinimumSeeds);
}
