#include "isdn/layer3/ElementWalker.h"

#include "isdn/IsdnCodes.h"
#include "isdn/layer3/L3Message.h"

namespace isdn {

namespace {

constexpr uint8_t kSingleOctetBit = 0x80;
constexpr uint8_t kShiftMask = 0xF0;
constexpr uint8_t kShift = 0x90;
constexpr uint8_t kNonLockingBit = 0x08;
constexpr uint8_t kCodesetMask = 0x07;

}  // namespace

ElementWalker::ElementWalker(const uint8_t* message, uint32_t length, uint32_t callRefLength)
    : message_(message), end_(length - kFcsLength), position_(kCallRefOffset + callRefLength + 1)
{
}

bool ElementWalker::Next(ElementItem& item)
{
    if (position_ >= end_) {
        return false;
    }
    const uint8_t octet = message_[position_];
    item = ElementItem{};
    item.at = message_ + position_;
    item.identifier = octet;
    item.shifted = shiftedCodeset_ >= 0;
    item.codeset = item.shifted ? static_cast<uint32_t>(shiftedCodeset_) : lockedCodeset_;
    if (octet & kSingleOctetBit) {
        ++position_;
        if ((octet & kShiftMask) == kShift) {
            item.codeset = octet & kCodesetMask;
            if (octet & kNonLockingBit) {
                item.kind = ElementItem::Kind::NonLockingShift;
                shiftedCodeset_ = static_cast<int32_t>(item.codeset);
            } else {
                item.kind = ElementItem::Kind::LockingShift;
                lockedCodeset_ = item.codeset;
                shiftedCodeset_ = -1;
            }
            return true;
        }
        item.kind = ElementItem::Kind::SingleOctet;
        shiftedCodeset_ = -1;
        return true;
    }
    if (end_ - position_ < 2 || message_[position_ + 1] > end_ - position_ - 2) {
        position_ = end_;
        return false;
    }
    item.kind = ElementItem::Kind::Variable;
    item.length = message_[position_ + 1];
    item.contents = message_ + position_ + 2;
    shiftedCodeset_ = -1;
    position_ += item.length + 2u;
    return true;
}

}  // namespace isdn
