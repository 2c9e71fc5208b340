#include "decoders/DefinityTables.h"

#include "qxzaqlnk.h"

namespace definity {

namespace {

constexpr CodeRow kLampStates[] = {
    {0x20, QXEVT_LIGHT_OFF},
    {0x22, QXEVT_LIGHT_FASTFLASHING},
    {0x28, QXEVT_LIGHT_FLASHING},
    {0x2A, QXEVT_LIGHT_VERY_FASTFLASHING},
    {0x2D, QXEVT_LIGHT_QUICKFLASH},
    {0x2F, QXEVT_LIGHT_ON},
};

constexpr CodeRow kFixedButtons[] = {
    {0x0A, QXEVT_HOLD_BUTTON_PRESSED},
    {0x08, QXEVT_TRANSFER_BUTTON_PRESSED},
    {0x06, QXEVT_CONF_BUTTON_PRESSED},
};

// 0x1D, 0x1F, 0x21 and 0x23 on have no row: they decode to nothing.
constexpr CodeRow kNavigationKeys[] = {
    {0x1C, QXEVT_EXIT_BUTTON_PRESSED},
    {0x1E, QXEVT_NEXT_BUTTON_PRESSED},
    {0x20, QXEVT_PREVIOUS_BUTTON_PRESSED},
    {0x22, QXEVT_MENU_BUTTON_PRESSED},
};

}  // namespace

std::span<const CodeRow> LampStates()
{
    return kLampStates;
}

std::span<const CodeRow> FixedButtons()
{
    return kFixedButtons;
}

std::span<const CodeRow> NavigationKeys()
{
    return kNavigationKeys;
}

}  // namespace definity
