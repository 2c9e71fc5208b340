#include "SerialPortOffer.h"

#include <algorithm>

#include "AppletTrace.h"
#include "platform/SerialDevice.h"
#include "platform/SerialPortList.h"

std::vector<std::string> PortsToOffer(const std::vector<std::string>& cards)
{
    std::vector<std::string> offered;
    for (const std::string& port : platform::ListSerialPortCandidates()) {
        const bool isCard = std::any_of(cards.begin(), cards.end(), [&](const std::string& card) {
            return !card.empty() && platform::SameSerialDevice(card, port);
        });
        if (isCard) {
            continue;
        }
        uint32_t error = 0;
        if (platform::OpenSerialDevice(port, error) != nullptr) {
            offered.push_back(port);
            AppletTrace().Write(TRACE_INFO, "CZaq16CntrlDlg::OnAdd()", "ADDED %s to list for Add Zaq", port.c_str());
        } else {
            AppletTrace().Write(TRACE_INFO, "CZaq16CntrlDlg::OnAdd()", "%s failed to open for Add Zaq", port.c_str());
        }
    }
    return offered;
}
