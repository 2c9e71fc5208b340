// The element walker: every item between the message type and the check
// bytes, codesets as the shifts set them, and an end at an element that
// runs past the check bytes.
#include <gtest/gtest.h>

#include <vector>

#include "IsdnTestSupport.h"
#include "isdn/layer3/ElementWalker.h"

using namespace isdntest;
using Kind = isdn::ElementItem::Kind;

namespace {

struct Walked {
    Kind kind;
    uint8_t identifier;
    uint32_t codeset;
    bool shifted;
    uint8_t length;

    bool operator==(const Walked&) const = default;
};

// The link header of an I frame, then the message, then two check bytes.
std::vector<Walked> Walk(const Bytes& message)
{
    const Bytes bytes = Bytes{0x00, 0x81, 0x00, 0x00} + message + Bytes{0xA5, 0x5A};
    isdn::ElementWalker walker(bytes.data(), static_cast<uint32_t>(bytes.size()), message[1]);
    std::vector<Walked> walked;
    for (isdn::ElementItem item; walker.Next(item);) {
        EXPECT_EQ(*item.at, item.identifier);
        walked.push_back({item.kind, item.identifier, item.codeset, item.shifted, item.length});
    }
    return walked;
}

TEST(ElementWalker, FollowsTheShiftsOfTheMessage)
{
    const Bytes message = Q931(1, kSetup,
                               Bytes{0xA1} + Bearer() + Bytes{0x9E} + Ie(0x28, Text("ab")) + Ie(0x2C, Text("1")) +
                                   Bytes{0x95} + Ie(0x7E, {0x04}));
    const std::vector<Walked> expected = {
        {Kind::SingleOctet, 0xA1, 0, false, 0},     {Kind::Variable, 0x04, 0, false, 3},
        {Kind::NonLockingShift, 0x9E, 6, false, 0}, {Kind::Variable, 0x28, 6, true, 2},
        {Kind::Variable, 0x2C, 0, false, 1},        {Kind::LockingShift, 0x95, 5, false, 0},
        {Kind::Variable, 0x7E, 5, false, 1},
    };
    EXPECT_EQ(Walk(message), expected);
}

TEST(ElementWalker, EndsAtAnElementThatRunsPastTheCheckBytes)
{
    struct Case {
        const char* name;
        Bytes elements;
        size_t items;
    };
    const Case cases[] = {
        {"length past the end", Bearer() + Bytes{0x28, 0x05, 'a'}, 1},
        {"identifier without a length", Bearer() + Bytes{0x28}, 1},
        {"no elements", {}, 0},
        {"empty element", Ie(0x28, {}), 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Walk(Q931(1, kSetup, c.elements)).size(), c.items) << c.name;
    }
}

}  // namespace
