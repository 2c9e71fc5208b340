#include "UnplugSchedule.h"

namespace zaqsim {

namespace {

// An unplug waits this long at most for the library to read what was written.
constexpr uint32_t kDrainMs = 2000;

}  // namespace

UnplugSchedule::UnplugSchedule(UnplugSettings settings, size_t units, uint32_t startTick)
    : settings_(settings), units_(units), nextUnplug_(startTick + settings.everyMs)
{
}

void UnplugSchedule::Step(Simulator& simulator, uint32_t now, std::vector<std::string>& told)
{
    if (away_) {
        if (!Passed(backAt_, now))
            return;
        away_ = false;
        std::string error;
        told.push_back(simulator.PlugIn(unit_, error) ? simulator.LinkName(unit_) + " plugged in"
                                                      : simulator.LinkName(unit_) + " not plugged in: " + error);
        unit_ = (unit_ + 1) % units_;
        return;
    }
    const bool moreAllowed = settings_.count == 0 || unplugs_ < settings_.count;
    if (settings_.everyMs == 0 || units_ == 0 || !moreAllowed || !Passed(nextUnplug_, now))
        return;
    simulator.Unplug(unit_, kDrainMs);
    told.push_back(simulator.LinkName(unit_) + " unplugged");
    ++unplugs_;
    away_ = true;
    backAt_ = now + settings_.awayMs;
    nextUnplug_ += settings_.everyMs;
}

}  // namespace zaqsim
