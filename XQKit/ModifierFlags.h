#pragma once

// Comparing keyboard modifier states and recognising modifier keys by virtual key code. Event-tap
// flags and application-event modifier flags keep Shift, Control, Option and Command in the same bits,
// so converting between them is a masked copy. Pure functions.

#include <cstdint>

#include "platform/appkit/Event.h"
#include "platform/system/SessionEvent.h"

// Shift | Control | Option | Command. Caps Lock, the numeric-pad, help and function bits lie outside.
inline constexpr platform::ModifierFlags MODIFIER_MASK = platform::ModifierFlag::Shift | platform::ModifierFlag::Control |
                                                         platform::ModifierFlag::Option |
                                                         platform::ModifierFlag::Command;
static_assert(MODIFIER_MASK == 0x1E0000);

// At least one of the four modifiers is set.
bool isModifierFlags(platform::ModifierFlags flags);
// Both have the same four-modifier part, and it is not empty.
bool ModifierFlagsEqual(platform::ModifierFlags a, platform::ModifierFlags b);
// The four-modifier part is exactly that one modifier.
bool IsControlModifierFlags(platform::ModifierFlags flags);
bool IsShiftModifierFlags(platform::ModifierFlags flags);
bool IsCommandModifierFlags(platform::ModifierFlags flags);
bool IsOptionModifierFlags(platform::ModifierFlags flags);
// Every bit of b (all bits, not only the four) is set in a.
bool ModifierFlagsContain(platform::ModifierFlags a, platform::ModifierFlags b);

// Left and right keys: Control 59/62, Shift 56/60, Command 55/54, Option 58/61.
bool IsControlKeyCode(std::uint16_t keyCode);
bool IsShiftKeyCode(std::uint16_t keyCode);
bool IsCommandKeyCode(std::uint16_t keyCode);
bool IsOptionKeyCode(std::uint16_t keyCode);

// Modifier flags holding only those of the four modifiers set in event-tap flags.
platform::ModifierFlags NSEventModifierFlagsFromCGEventFlags(platform::ModifierFlags eventFlags);
// The conversion above equals `flags` exactly (all bits).
bool CGEventFlagsEqualToModifierFlags(platform::ModifierFlags eventFlags, platform::ModifierFlags flags);
bool CGEventMatchesModifierFlags(const platform::SessionEvent& event, platform::ModifierFlags flags);
