// Result codes of the ISDN pass-through monitor (0 is success).
#pragma once

#include <cstdint>

namespace isdn {

inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kBadFramerCount = 0xE0090001;     // 0, odd or above 32
inline constexpr uint32_t kBadChanCount = 0xE0090002;       // 0 or above 60
inline constexpr uint32_t kBadFramer = 0xE0090003;          // framer or data-link index out of range
inline constexpr uint32_t kMissingPointer = 0xE0090004;     // no data, element, call or link where one is required
inline constexpr uint32_t kEmptyFrame = 0xE0090005;
inline constexpr uint32_t kFrameTooLong = 0xE0090006;       // above 266 bytes
inline constexpr uint32_t kFrameTooShort = 0xE0090007;      // below 5 bytes
inline constexpr uint32_t kBadAddress = 0xE0090008;         // SAPI, EA bit, or no free entity for a new TEI
inline constexpr uint32_t kBadCommandResponse = 0xE0090009;
inline constexpr uint32_t kNoCallOnChannel = 0xE009000B;
inline constexpr uint32_t kNoCallWithRef = 0xE009000C;
inline constexpr uint32_t kMessageTooShort = 0xE0090010;
inline constexpr uint32_t kBadCallRefLength = 0xE0090011;
inline constexpr uint32_t kBadDiscriminator = 0xE0090012;
inline constexpr uint32_t kNoIdleCall = 0xE0090013;
inline constexpr uint32_t kNoCallForRef = 0xE0090014;
inline constexpr uint32_t kBearerNotSupported = 0xE0090015;
inline constexpr uint32_t kBearerLayer1Wrong = 0xE0090016;
inline constexpr uint32_t kChanIdInterfaceType = 0xE0090017;
inline constexpr uint32_t kChanIdNotBChannel = 0xE0090018;
inline constexpr uint32_t kChanIdEmptyMap = 0xE0090019;
inline constexpr uint32_t kChanIdTooShort = 0xE009001A;
inline constexpr uint32_t kSegmentElementMissing = 0xE009001B;
inline constexpr uint32_t kSegmentOrCheckFailed = 0xE009001C;
// An element (or TEI-management message) that ends before the octets its
// contents need.
inline constexpr uint32_t kElementTooShort = 0xE009001D;
// Start with a mode other than 0 (single link) or 1 (multi-TEI).
inline constexpr uint32_t kBadMode = 0xE009001E;

inline constexpr uint32_t kMaxFramers = 32;
inline constexpr uint32_t kMaxCallEntities = 60;
inline constexpr uint32_t kMaxFrameLength = 266;
inline constexpr uint32_t kMinFrameLength = 5;
inline constexpr uint32_t kFcsLength = 2;

// Who sent a frame or message on the monitored line.
enum class Side : uint32_t { CO = 1, CPE = 2 };

}  // namespace isdn
