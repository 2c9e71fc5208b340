#include "PlayItem.h"

namespace zaqsim {

std::string TextLine(const std::string& text)
{
    return text + "\r\n";
}

std::string NoticeText(uint32_t channel, bool on)
{
    return std::to_string(channel % 10000) + (on ? "Y" : "N");
}

}  // namespace zaqsim
