// What the property pages show by PBX type code: the PBX's name, eight- or
// sixteen-slot groups, light masks or voice activity, and whether the unit
// has a PBX level (ISDN and four-wire units have NT/TE error rows instead).
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

QString PbxName(uint32_t pbxType);           // "" for a code outside 1 to 35
bool HasEightSlotGroups(uint32_t pbxType);
bool UsesLightMasks(uint32_t pbxType);
bool HasPbxLevel(uint32_t pbxType);          // false also means paired NT/TE error rows

// The "Slots:" entries for a bus (ZAQ16_BUS_MVIP or ZAQ16_BUS_SCSA); the slot
// value is the index in this list.
QStringList SlotGroups(int32_t bus, uint32_t pbxType);
// "Stream 0" ... "Stream 7", and on to "Stream 15" on an SCSA bus.
QStringList Streams(int32_t bus);
