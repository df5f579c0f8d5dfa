#include "XQKit/ModifierFlags.h"

using platform::ModifierFlags;
namespace Flag = platform::ModifierFlag;

bool isModifierFlags(ModifierFlags flags) { return (flags & MODIFIER_MASK) != 0; }

bool ModifierFlagsEqual(ModifierFlags a, ModifierFlags b) {
    return (a & MODIFIER_MASK) == (b & MODIFIER_MASK) && isModifierFlags(a);
}

bool IsControlModifierFlags(ModifierFlags flags) { return (flags & MODIFIER_MASK) == Flag::Control; }
bool IsShiftModifierFlags(ModifierFlags flags) { return (flags & MODIFIER_MASK) == Flag::Shift; }
bool IsCommandModifierFlags(ModifierFlags flags) { return (flags & MODIFIER_MASK) == Flag::Command; }
bool IsOptionModifierFlags(ModifierFlags flags) { return (flags & MODIFIER_MASK) == Flag::Option; }

bool ModifierFlagsContain(ModifierFlags a, ModifierFlags b) { return (a & b) == b; }

bool IsControlKeyCode(std::uint16_t keyCode) { return keyCode == 59 || keyCode == 62; }
bool IsShiftKeyCode(std::uint16_t keyCode) { return keyCode == 56 || keyCode == 60; }
bool IsCommandKeyCode(std::uint16_t keyCode) { return keyCode == 55 || keyCode == 54; }
bool IsOptionKeyCode(std::uint16_t keyCode) { return keyCode == 58 || keyCode == 61; }

ModifierFlags NSEventModifierFlagsFromCGEventFlags(ModifierFlags eventFlags) { return eventFlags & MODIFIER_MASK; }

bool CGEventFlagsEqualToModifierFlags(ModifierFlags eventFlags, ModifierFlags flags) {
    return NSEventModifierFlagsFromCGEventFlags(eventFlags) == flags;
}

bool CGEventMatchesModifierFlags(const platform::SessionEvent& event, ModifierFlags flags) {
    return CGEventFlagsEqualToModifierFlags(event.flags(), flags);
}
