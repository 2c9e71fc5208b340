#include "SentCountsFile.h"

#include <filesystem>
#include <fstream>

namespace zaqsim {

namespace {

constexpr size_t kUnitChannels = 16;

}  // namespace

bool WriteSentCounts(const std::string& path, const Simulator& simulator)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "# unit channel sent at-risk\n";
        for (size_t unit = 0; unit < simulator.UnitCount(); ++unit) {
            const SentCounter::Counts counts = simulator.SentCounts(unit);
            for (size_t channel = 0; channel < SentCounter::kChannels; ++channel) {
                if (channel < kUnitChannels || counts.sent[channel] > 0 || counts.atRisk[channel] > 0)
                    file << unit << ' ' << channel << ' ' << counts.sent[channel] << ' ' << counts.atRisk[channel]
                         << '\n';
            }
        }
        file.flush();
        if (!file)
            return false;
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    return !failure;
}

}  // namespace zaqsim
