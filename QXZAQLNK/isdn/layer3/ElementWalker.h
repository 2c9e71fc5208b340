// Walks the information elements of a layer-3 message (L3Message.h): from
// after the message type up to the two check bytes, following locking and
// non-locking codeset shifts. Every reader of elements goes through it, so
// an element that runs past the check bytes is never read.
#pragma once

#include <cstdint>

namespace isdn {

struct ElementItem {
    enum class Kind { LockingShift, NonLockingShift, SingleOctet, Variable };
    Kind kind = Kind::Variable;
    const uint8_t* at = nullptr;  // the identifier octet
    uint8_t identifier = 0;
    // The codeset the element belongs to; for a shift, the codeset it names.
    uint32_t codeset = 0;
    // The element's codeset comes from a non-locking shift just before it.
    bool shifted = false;
    // Contents of a variable-length element (after its length octet).
    const uint8_t* contents = nullptr;
    uint8_t length = 0;
};

class ElementWalker {
public:
    // `callRefLength`: the message's call reference length, already checked
    // against `length` (ISDNPTL3::GetCallRef).
    ElementWalker(const uint8_t* message, uint32_t length, uint32_t callRefLength);

    // The next item; false at the check bytes or at an element whose length
    // runs past them (the walk ends there).
    bool Next(ElementItem& item);

private:
    const uint8_t* message_;
    uint32_t end_;
    uint32_t position_;
    uint32_t lockedCodeset_ = 0;
    int32_t shiftedCodeset_ = -1;  // a non-locking shift's codeset, for the next element only
};

}  // namespace isdn
