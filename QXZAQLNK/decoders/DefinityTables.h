// The Definity 2-wire message vocabulary: frame layout, message opcodes and
// the tables that turn message bytes into event codes.
#pragma once

#include <cstdint>
#include "decoders/CodeTable.h"
#include "qxzaqlnk.h"

namespace definity {

constexpr uint8_t kFromPbx = 0x58;  // 'X': PBX to set (lamps, display)
constexpr uint8_t kFromSet = 0x48;  // 'H': set to PBX (hook, buttons)

constexpr uint8_t kMessageAddress = 0xE3;  // frames of other addresses carry no messages
constexpr uint32_t kHeaderBytes = 2;       // address, control
constexpr uint32_t kCheckBytes = 2;        // frame check sequence
constexpr uint32_t kMessageBytes = 3;      // {opcode, a, b}

constexpr uint8_t kOpLamp = 0x80;       // from the PBX
constexpr uint8_t kOpDisplay = 0xE3;    // from the PBX; runs to the end of the field
constexpr uint8_t kOpHookButton = 0x80; // from the set
constexpr uint8_t kOpSoftKey = 0x82;    // from the set

constexpr uint8_t kHookOn = 0x01;
constexpr uint8_t kHookOff = 0x02;
constexpr uint8_t kButton = 0x20;

constexpr uint8_t kFirstLampField = 14;   // fields below it are refused
constexpr uint8_t kFirstFreeButton = 0x40; // buttons from here on are not decoded
constexpr uint8_t kFirstNavigationKey = 0x1C;  // soft keys are below it

constexpr uint8_t kRedialKey = 0x02;

// Lamp state by message byte a.
inline constexpr CodeRow kLampStates[] = {
    {0x20, QXEVT_LIGHT_OFF},
    {0x22, QXEVT_LIGHT_FASTFLASHING},
    {0x28, QXEVT_LIGHT_FLASHING},
    {0x2A, QXEVT_LIGHT_VERY_FASTFLASHING},
    {0x2D, QXEVT_LIGHT_QUICKFLASH},
    {0x2F, QXEVT_LIGHT_ON},
};

// Fixed buttons of message 0x80 / 0x20 by byte b; the others are function buttons.
inline constexpr CodeRow kFixedButtons[] = {
    {0x0A, QXEVT_HOLD_BUTTON_PRESSED},
    {0x08, QXEVT_TRANSFER_BUTTON_PRESSED},
    {0x06, QXEVT_CONF_BUTTON_PRESSED},
};

// Keys of message 0x82 by byte b from 0x1C on: 0x1D, 0x1F, 0x21 and 0x23 on have no
// row and decode to nothing.
inline constexpr CodeRow kNavigationKeys[] = {
    {0x1C, QXEVT_EXIT_BUTTON_PRESSED},
    {0x1E, QXEVT_NEXT_BUTTON_PRESSED},
    {0x20, QXEVT_PREVIOUS_BUTTON_PRESSED},
    {0x22, QXEVT_MENU_BUTTON_PRESSED},
};

}  // namespace definity
