#include <gtest/gtest.h>

#include "XQKit/ModifierFlags.h"

using platform::ModifierFlags;
namespace Flag = platform::ModifierFlag;

namespace {
constexpr ModifierFlags Shift = Flag::Shift, Control = Flag::Control, Option = Flag::Option, Command = Flag::Command,
                        Caps = Flag::CapsLock, Pad = Flag::NumericPad, Fn = Flag::Function, Help = Flag::Help;
}

TEST(ModifierFlags, TheMaskIsTheFourModifiers) {
    EXPECT_EQ(MODIFIER_MASK, 0x1E0000u);
    EXPECT_EQ(Shift, 0x20000u);
    EXPECT_EQ(Control, 0x40000u);
    EXPECT_EQ(Option, 0x80000u);
    EXPECT_EQ(Command, 0x100000u);
    EXPECT_EQ(Caps, 0x10000u);
}

TEST(ModifierFlags, AnyModifier) {
    EXPECT_FALSE(isModifierFlags(0));
    EXPECT_FALSE(isModifierFlags(Caps));
    EXPECT_FALSE(isModifierFlags(Caps | Pad | Fn | Help | 0x1));
    EXPECT_TRUE(isModifierFlags(Shift | Caps));
    for (ModifierFlags one : {Shift, Control, Option, Command}) EXPECT_TRUE(isModifierFlags(one));
}

TEST(ModifierFlags, Equality) {
    EXPECT_FALSE(ModifierFlagsEqual(0, 0));
    EXPECT_FALSE(ModifierFlagsEqual(Caps, Caps));
    EXPECT_TRUE(ModifierFlagsEqual(Command | Shift, Command | Shift | Caps));
    EXPECT_TRUE(ModifierFlagsEqual(Command | Fn, Command | Pad));
    EXPECT_FALSE(ModifierFlagsEqual(Command | Shift, Command));
    EXPECT_FALSE(ModifierFlagsEqual(Option, Control));
}

TEST(ModifierFlags, ExactlyOneModifier) {
    struct Case {
        ModifierFlags flags;
        bool control, shift, command, option;
    };
    for (const Case& c : {
             Case{Control, true, false, false, false}, Case{Shift | Caps, false, true, false, false},
             Case{Command | Fn, false, false, true, false}, Case{Option, false, false, false, true},
             Case{Command | Option, false, false, false, false}, Case{0, false, false, false, false},
             Case{Control | Shift, false, false, false, false},
         }) {
        EXPECT_EQ(IsControlModifierFlags(c.flags), c.control) << std::hex << c.flags;
        EXPECT_EQ(IsShiftModifierFlags(c.flags), c.shift) << std::hex << c.flags;
        EXPECT_EQ(IsCommandModifierFlags(c.flags), c.command) << std::hex << c.flags;
        EXPECT_EQ(IsOptionModifierFlags(c.flags), c.option) << std::hex << c.flags;
    }
}

TEST(ModifierFlags, ContainLooksAtEveryBit) {
    EXPECT_TRUE(ModifierFlagsContain(Command | Shift, Command));
    EXPECT_TRUE(ModifierFlagsContain(Command, 0));
    EXPECT_FALSE(ModifierFlagsContain(Command, Command | Caps));
    EXPECT_TRUE(ModifierFlagsContain(Command | Caps | Fn, Caps | Fn));
    EXPECT_FALSE(ModifierFlagsContain(0, Shift));
}

TEST(ModifierFlags, KeyCodes) {
    struct Case {
        std::uint16_t code;
        bool control, shift, command, option;
    };
    for (const Case& c : {
             Case{59, true, false, false, false}, Case{62, true, false, false, false}, Case{56, false, true, false, false},
             Case{60, false, true, false, false}, Case{55, false, false, true, false}, Case{54, false, false, true, false},
             Case{58, false, false, false, true}, Case{61, false, false, false, true}, Case{49, false, false, false, false},
             Case{57, false, false, false, false}, Case{63, false, false, false, false}, Case{0, false, false, false, false},
             Case{0xFFFF, false, false, false, false},
         }) {
        EXPECT_EQ(IsControlKeyCode(c.code), c.control) << c.code;
        EXPECT_EQ(IsShiftKeyCode(c.code), c.shift) << c.code;
        EXPECT_EQ(IsCommandKeyCode(c.code), c.command) << c.code;
        EXPECT_EQ(IsOptionKeyCode(c.code), c.option) << c.code;
    }
}

TEST(ModifierFlags, EventTapFlagsConvertByMasking) {
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(Command | Caps | Pad | 0x100), Command);
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(Shift | Control | Option | Command | Fn), MODIFIER_MASK);
    EXPECT_EQ(NSEventModifierFlagsFromCGEventFlags(Caps), 0u);
    EXPECT_TRUE(CGEventFlagsEqualToModifierFlags(Command | Caps, Command));
    EXPECT_FALSE(CGEventFlagsEqualToModifierFlags(Command | Caps, Command | Caps));
    EXPECT_TRUE(CGEventFlagsEqualToModifierFlags(Caps, 0));
    EXPECT_FALSE(CGEventFlagsEqualToModifierFlags(Command, Command | Shift));

    auto space = platform::SessionEvent::keyboard(49, true, Command | Caps);
    EXPECT_TRUE(CGEventMatchesModifierFlags(space, Command));
    EXPECT_FALSE(CGEventMatchesModifierFlags(space, Command | Caps));
    EXPECT_FALSE(CGEventMatchesModifierFlags(platform::SessionEvent::keyboard(49, true), Command));
    EXPECT_TRUE(CGEventMatchesModifierFlags(platform::SessionEvent::keyboard(49, true), 0));
}
