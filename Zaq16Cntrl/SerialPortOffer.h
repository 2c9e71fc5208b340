// The ports Add Card offers: every serial device of this machine that can be
// opened now (so none held by the running link) and is not already a card.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> PortsToOffer(const std::vector<std::string>& cards);
