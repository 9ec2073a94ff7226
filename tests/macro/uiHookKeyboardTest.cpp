// TuiHook's keyboard recorders: keyboard macro, extended keyboard macro, combination, single key.
#include "macro/uiHook.h"

#include "keys/uiKeyCode.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHookLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto {
namespace {

using platform::TKBDLLHOOKSTRUCT;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr std::uint32_t VK_A = 0x41;
constexpr std::uint32_t VK_B = 0x42;
constexpr std::uint32_t VK_C = 0x43;
constexpr std::uint32_t VK_S = 0x53;
constexpr std::uint32_t VK_X = 0x58;
constexpr std::uint32_t VK_LSHIFT = 0xA0;
constexpr std::uint32_t VK_LCONTROL = 0xA2;
constexpr std::uint32_t VK_RCONTROL = 0xA3;
constexpr std::uint32_t VK_LMENU = 0xA4;
constexpr std::uint32_t VK_LWIN = 0x5B;
constexpr std::uint32_t VK_RWIN = 0x5C;

std::string Ascii(const std::u16string& AText) {
    std::string Text;
    for (char16_t C : AText) {
        Text += static_cast<char>(C);
    }
    return Text;
}

class uiHookKeyboardTest : public testing::Test {
protected:
    uiHookKeyboardTest() : FHook(FLibrary, FMessages) {}

    // A key at a given stamp; true when the hook blocked it.
    bool KeyAt(std::uint32_t ATime, std::uint32_t AKey, bool AUp = false, bool AExtended = false,
               std::uint32_t AScan = 0) {
        TKBDLLHOOKSTRUCT Record;
        Record.vkCode = AKey;
        Record.scanCode = AScan;
        Record.flags = (AExtended ? platform::LLKHF_EXTENDED_FLAG : 0) |
                       (AUp ? platform::LLKHF_UP_FLAG : 0);
        Record.time = ATime;
        return FLibrary.KeyRecord(Record);
    }

    // Keyboard macro events as "type value state ext "text" statetext".
    void ListenToMacro() {
        FHook.OnRecordKeyboardMacroKey = [this](std::int32_t MacroType, std::int32_t Key1,
                                                std::int32_t AState, std::int32_t Extended,
                                                double Time, const std::u16string& Text,
                                                const std::u16string& StateText,
                                                const TMacroKeyList& List) {
            FLines.push_back(std::to_string(MacroType) + " " + std::to_string(Key1) + " " +
                             std::to_string(AState) + " " + std::to_string(Extended) + " \"" +
                             Ascii(Text) + "\" " + Ascii(StateText));
            FTimes.push_back(Time);
            FListCounts.push_back(List.Count());
        };
    }

    void ListenToMacroEx() {
        FHook.OnRecordKeyboardMacroKeyEx =
            [this](std::int32_t MacroType, std::int32_t Key1, std::int32_t AState,
                   std::int32_t Extended, double, std::uint32_t TotalTime,
                   const std::u16string& Text, const std::u16string& StateText,
                   const TMacroKeyList&) {
                FLines.push_back(std::to_string(MacroType) + " " + std::to_string(Key1) + " " +
                                 std::to_string(AState) + " " + std::to_string(Extended) + " " +
                                 std::to_string(TotalTime) + " \"" + Ascii(Text) + "\" " +
                                 Ascii(StateText));
            };
    }

    void ListenToCombo() {
        FHook.OnRecordKeyboardComboKey = [this](std::int32_t Key1, std::int32_t Key1Extended,
                                                std::int32_t Key2, std::int32_t Key2Extended,
                                                std::int32_t Modifier,
                                                const std::u16string& Text) {
            FLines.push_back(std::to_string(Key1) + "/" + std::to_string(Key1Extended) + " " +
                             std::to_string(Key2) + "/" + std::to_string(Key2Extended) + " " +
                             std::to_string(Modifier) + " " + Ascii(Text));
        };
    }

    // The list as "type state value ext" lines.
    std::vector<std::string> Entries() const {
        std::vector<std::string> Lines;
        const TMacroKeyList& List = FHook.MacroKeyList();
        for (std::size_t I = 0; I < List.Count(); ++I) {
            const TMACROKEYHOOK& Entry = List.Object(I).FMacroKey;
            Lines.push_back(std::to_string(Entry.nKeyType) + " " + std::to_string(Entry.nKeyState) +
                            " " + std::to_string(Entry.nKeyValue) + " " +
                            std::to_string(Entry.nKeyValueExtended));
        }
        return Lines;
    }

    sim::TSimClock FClock;
    sim::TSimHookLibrary FLibrary{FClock};
    sim::TSimMessageBox FMessages;
    TuiHook FHook;
    std::vector<std::string> FLines;
    std::vector<double> FTimes;
    std::vector<std::size_t> FListCounts;
};

// --- keyboard macro --------------------------------------------------------------------------

TEST_F(uiHookKeyboardTest, MacroDelaysAreReportedOnlyBetween10And2000MsExclusive) {
    ListenToMacro();
    FHook.RecordKeyboardMacroKey();
    KeyAt(1000, VK_A);
    KeyAt(1005, VK_B); // 5 ms
    KeyAt(1015, VK_C); // 10 ms
    KeyAt(1026, VK_X); // 11 ms
    KeyAt(3026, VK_A); // 2000 ms
    KeyAt(5025, VK_B); // 1999 ms
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 \"A\" Down", "1 66 1 0 \"B\" Down",
                                    "1 67 1 0 \"C\" Down", "0 11 0 0 \"11\" ms",
                                    "1 88 1 0 \"X\" Down", "1 65 1 0 \"A\" Down",
                                    "0 1999 0 0 \"1999\" ms", "1 66 1 0 \"B\" Down"));
    EXPECT_EQ(FTimes[3], 1026.0);
    EXPECT_THAT(Entries(), ElementsAre("1 1 65 0", "1 1 66 0", "1 1 67 0", "0 0 11 0", "1 1 88 0",
                                       "1 1 65 0", "0 0 1999 0", "1 1 66 0"));
}

TEST_F(uiHookKeyboardTest, MacroKeysAreBlockedNamedWithTheirExtendedFlagAndFiledWithoutTexts) {
    ListenToMacro();
    FHook.RecordKeyboardMacroKey();
    EXPECT_TRUE(KeyAt(0, 0x2E, false, true));
    EXPECT_TRUE(KeyAt(0, 0x2E, true, true));
    EXPECT_TRUE(KeyAt(0, 0x2E, true, false));
    EXPECT_THAT(FLines, ElementsAre("1 46 1 1 \"DEL\" Down", "1 46 0 1 \"DEL\" Up",
                                    "1 46 0 0 \"Keypad DEL\" Up"));
    EXPECT_THAT(FListCounts, ElementsAre(1u, 2u, 3u));
    const TMacroKeyList& List = FHook.MacroKeyList();
    for (std::size_t I = 0; I < List.Count(); ++I) {
        EXPECT_EQ(List.Name(I), std::u16string(1, static_cast<char16_t>(u'0' + I)));
        EXPECT_EQ(List.Object(I).FMacroKey.Time, 0.0);
        EXPECT_TRUE(List.Object(I).FMacroKey.MacroKeyString.empty());
        EXPECT_TRUE(List.Object(I).FMacroKey.MacroKeyStateString.empty());
    }
}

TEST_F(uiHookKeyboardTest, WithoutAMacroHandlerKeysPassUnrecordedAndTheStampIsNotTaken) {
    FHook.RecordKeyboardMacroKey();
    EXPECT_FALSE(KeyAt(100, VK_A));
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
    ListenToMacro();
    KeyAt(150, VK_B);
    EXPECT_THAT(FLines, ElementsAre("1 66 1 0 \"B\" Down"));
}

TEST_F(uiHookKeyboardTest, AMacroKeyWhoseCodeEqualsTheDelayJustReportedIsFiledButNotReported) {
    ListenToMacro();
    FHook.RecordKeyboardMacroKey();
    KeyAt(1000, VK_B);
    KeyAt(1065, VK_A); // 65 ms before key 65
    KeyAt(1131, VK_A); // 66 ms before key 65
    EXPECT_THAT(FLines, ElementsAre("1 66 1 0 \"B\" Down", "0 65 0 0 \"65\" ms",
                                    "0 66 0 0 \"66\" ms", "1 65 1 0 \"A\" Down"));
    EXPECT_THAT(Entries(),
                ElementsAre("1 1 66 0", "0 0 65 0", "1 1 65 0", "0 0 66 0", "1 1 65 0"));
}

TEST_F(uiHookKeyboardTest, MacroTimingSurvivesTheWrapAndIgnoresEarlierStamps) {
    ListenToMacro();
    FHook.RecordKeyboardMacroKey();
    KeyAt(0xFFFFFFF0u, VK_A);
    KeyAt(0x10u, VK_B);  // 32 ms later, across the wrap
    KeyAt(0x08u, VK_C);  // earlier: no delay
    KeyAt(0x30u, VK_X);  // 40 ms after the earlier stamp
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 \"A\" Down", "0 32 0 0 \"32\" ms",
                                    "1 66 1 0 \"B\" Down", "1 67 1 0 \"C\" Down",
                                    "0 40 0 0 \"40\" ms", "1 88 1 0 \"X\" Down"));
}

TEST_F(uiHookKeyboardTest, StopHandsOverTheMacroListThenEmptiesIt) {
    ListenToMacro();
    std::vector<std::size_t> Handed;
    FHook.OnStopRecordKeyboardMacroKey = [&](const TMacroKeyList& AList) {
        Handed.push_back(AList.Count());
    };
    FHook.RecordKeyboardMacroKey();
    KeyAt(0, VK_A);
    KeyAt(0, VK_A, true);
    FHook.StopRecordKeyboardMacroKey();
    EXPECT_FALSE(FLibrary.KeyboardHookEnabled());
    EXPECT_THAT(Handed, ElementsAre(2u));
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
    EXPECT_FALSE(KeyAt(5, VK_B));

    FHook.RecordKeyboardMacroKeyEx();
    ListenToMacroEx();
    KeyAt(10, VK_A);
    FHook.StopRecordKeyboardMacroKeyEx();
    EXPECT_THAT(Handed, ElementsAre(2u, 1u));
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
}

TEST_F(uiHookKeyboardTest, RecordEmptiesTheMacroListButKeepsTheStampOfTheLastKey) {
    ListenToMacro();
    FHook.RecordKeyboardMacroKey();
    KeyAt(1000, VK_A);
    FHook.RecordKeyboardMacroKey();
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
    KeyAt(1500, VK_B);
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 \"A\" Down", "0 500 0 0 \"500\" ms",
                                    "1 66 1 0 \"B\" Down"));
}

// --- extended keyboard macro -----------------------------------------------------------------

TEST_F(uiHookKeyboardTest, HoldingAKeyGivesOnePressAndAReleaseWithTheTimeSinceThePress) {
    ListenToMacroEx();
    FHook.RecordKeyboardMacroKeyEx();
    EXPECT_TRUE(KeyAt(1000, VK_A));
    EXPECT_TRUE(KeyAt(1500, VK_A)); // auto-repeats: blocked, not reported
    EXPECT_TRUE(KeyAt(1533, VK_A));
    EXPECT_TRUE(KeyAt(2000, VK_A, true));
    EXPECT_TRUE(KeyAt(2250, VK_B));
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 0 \"A\" Down", "1 65 0 0 1000 \"A\" Up",
                                    "1 66 1 0 250 \"B\" Down"));
    EXPECT_THAT(Entries(),
                ElementsAre("1 1 65 0", "0 0 1000 0", "1 0 65 0", "0 0 250 0", "1 1 66 0"));
}

TEST_F(uiHookKeyboardTest, ExDelaysAreCappedAt65535AndEarlierStampsCountAsNoTime) {
    ListenToMacroEx();
    FHook.RecordKeyboardMacroKeyEx();
    KeyAt(1000, VK_A);
    KeyAt(101000, VK_A, true); // 100 s
    KeyAt(100000, VK_B);       // earlier
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 0 \"A\" Down", "1 65 0 0 65535 \"A\" Up",
                                    "1 66 1 0 0 \"B\" Down"));
    EXPECT_THAT(Entries(), ElementsAre("1 1 65 0", "0 0 65535 0", "1 0 65 0", "1 1 66 0"));
}

TEST_F(uiHookKeyboardTest, ExRecordingStopsTakingKeysBeyond500Entries) {
    ListenToMacroEx();
    FHook.RecordKeyboardMacroKeyEx();
    std::uint32_t Time = 0;
    // Each release or press after another key files a delay and the key: two entries.
    while (FHook.MacroKeyList().Count() <= 500) {
        KeyAt(Time += 5, VK_A);
        KeyAt(Time += 5, VK_A, true);
    }
    const std::size_t Count = FHook.MacroKeyList().Count();
    const std::size_t Lines = FLines.size();
    EXPECT_FALSE(KeyAt(Time += 5, VK_B));
    EXPECT_EQ(FHook.MacroKeyList().Count(), Count);
    EXPECT_EQ(FLines.size(), Lines);
}

TEST_F(uiHookKeyboardTest, ExIgnoresCodesBeyondTheKeyStateTable) {
    ListenToMacroEx();
    FHook.RecordKeyboardMacroKeyEx();
    KeyAt(0, VK_A);
    EXPECT_FALSE(KeyAt(10, 256));
    EXPECT_FALSE(KeyAt(20, 0xFFFFFFFFu, true));
    EXPECT_TRUE(KeyAt(30, VK_A, true));
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 0 \"A\" Down", "1 65 0 0 30 \"A\" Up"));
    EXPECT_TRUE(KeyAt(40, 255));
    EXPECT_EQ(FLines.size(), 3u);
}

TEST_F(uiHookKeyboardTest, RecordKeyboardMacroKeyExForgetsHeldKeys) {
    ListenToMacroEx();
    FHook.RecordKeyboardMacroKeyEx();
    KeyAt(0, VK_A);
    FHook.RecordKeyboardMacroKeyEx();
    KeyAt(10, VK_A);
    EXPECT_THAT(FLines, ElementsAre("1 65 1 0 0 \"A\" Down", "1 65 1 0 0 \"A\" Down"));
    EXPECT_THAT(Entries(), ElementsAre("1 1 65 0"));
}

TEST_F(uiHookKeyboardTest, WithoutAnExHandlerKeysPassUnblocked) {
    FHook.RecordKeyboardMacroKeyEx();
    EXPECT_FALSE(KeyAt(0, VK_A));
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
}

// --- combination -----------------------------------------------------------------------------

TEST_F(uiHookKeyboardTest, CtrlThenCGivesOneEventWithModifier2AndTheTextCtrlPlusC) {
    ListenToCombo();
    FHook.RecordKeyboardComboKey();
    FClock.AdvanceTo(1000);
    EXPECT_FALSE(FLibrary.KeyEvent(VK_LCONTROL, 0x1D, false, false));
    FClock.AdvanceBy(300);
    EXPECT_TRUE(FLibrary.KeyEvent(VK_C, 0x2E, false, false));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_C, 0x2E, false, true));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_LCONTROL, 0x1D, false, true));
    EXPECT_THAT(FLines, ElementsAre("67/0 0/0 2 Ctrl+C"));
    EXPECT_EQ(FHook.ComboKeyString(), u"Ctrl+C");
    EXPECT_EQ(FHook.ComboKeyInfo().nScanKey1, 0x2Eu);
}

TEST_F(uiHookKeyboardTest, ModifiersComeInTheOrderCtrlAltWinShift) {
    ListenToCombo();
    FHook.RecordKeyboardComboKey();
    KeyAt(0, VK_RCONTROL, false, true);
    KeyAt(0, VK_LSHIFT);
    KeyAt(500, VK_S);
    KeyAt(600, VK_LMENU);
    KeyAt(600, VK_RWIN, false, true);
    KeyAt(1000, VK_X);
    KeyAt(1100, VK_LSHIFT, true);
    KeyAt(1100, VK_RCONTROL, true, true);
    KeyAt(1100, VK_LMENU, true);
    KeyAt(1100, VK_RWIN, true, true);
    KeyAt(2000, VK_X);
    EXPECT_THAT(FLines, ElementsAre("83/0 0/0 6 Ctrl+Shift+S", "88/0 0/0 15 Ctrl+Alt+Win+Shift+X",
                                    "88/0 0/0 0 X"));
}

// The hook sees neither a press made before recording nor the releases the secure desktop keeps.
TEST_F(uiHookKeyboardTest, TheModifiersAreTheKeysDownNowNotTheEventsSeen) {
    FLibrary.HoldKeyUnseen(VK_RCONTROL);
    ListenToCombo();
    FHook.RecordKeyboardComboKey();
    KeyAt(0, VK_C);
    KeyAt(100, VK_RCONTROL, true, true);
    // Ctrl+Alt+Del, then Win+L: back on this desktop nothing is held any more.
    KeyAt(1000, VK_LCONTROL);
    KeyAt(1000, VK_LMENU);
    FLibrary.ReleaseKeyUnseen(VK_LCONTROL);
    FLibrary.ReleaseKeyUnseen(VK_LMENU);
    KeyAt(5000, VK_LWIN);
    FLibrary.ReleaseKeyUnseen(VK_LWIN);
    KeyAt(9000, VK_S);
    EXPECT_THAT(FLines, ElementsAre("67/0 0/0 2 Ctrl+C", "83/0 0/0 0 S"));
}

TEST_F(uiHookKeyboardTest, TwoLettersWithin100MsMakeOneCombinationAndAThirdStartsAnew) {
    ListenToCombo();
    FHook.RecordKeyboardComboKey();
    KeyAt(1000, VK_A);
    KeyAt(1050, VK_B);
    KeyAt(1100, VK_C);  // both keys set: cleared, and key 1 was empty
    KeyAt(1200, VK_C);  // same code as key 1: starts again
    KeyAt(1301, VK_A);  // more than 100 ms
    KeyAt(1301, 0x2E, false, true);
    EXPECT_THAT(FLines, ElementsAre("65/0 0/0 0 A", "65/0 66/0 0 A+B", "67/0 0/0 0 C",
                                    "67/0 0/0 0 C", "65/0 0/0 0 A", "65/0 46/1 0 A+DEL"));
}

TEST_F(uiHookKeyboardTest, ACombinationRecordingStartsWithoutTheKeysOfTheLastOne) {
    ListenToCombo();
    FHook.RecordKeyboardComboKey();
    KeyAt(0, VK_A);
    FHook.StopRecordKeyboardComboKey();
    EXPECT_FALSE(KeyAt(10, VK_B));
    FHook.RecordKeyboardComboKey();
    KeyAt(30, VK_B);
    EXPECT_THAT(FLines, ElementsAre("65/0 0/0 0 A", "66/0 0/0 0 B"));
}

TEST_F(uiHookKeyboardTest, TheSecondComboEventCarriesScanCodesAndIsUsedOnlyWithoutTheFirst) {
    std::vector<std::string> Second;
    FHook.OnRecordKeyboardComboKey2 = [&](std::int32_t Key1, std::int32_t Scan1, std::int32_t Ext1,
                                          std::int32_t Key2, std::int32_t Scan2, std::int32_t Ext2,
                                          std::int32_t Modifier, const std::u16string& Text) {
        Second.push_back(std::to_string(Key1) + "/" + std::to_string(Scan1) + "/" +
                         std::to_string(Ext1) + " " + std::to_string(Key2) + "/" +
                         std::to_string(Scan2) + "/" + std::to_string(Ext2) + " " +
                         std::to_string(Modifier) + " " + Ascii(Text));
    };
    FHook.RecordKeyboardComboKey();
    EXPECT_TRUE(KeyAt(0, VK_A, false, false, 0x1E));
    KeyAt(20, VK_B, false, false, 0x30);
    EXPECT_THAT(Second, ElementsAre("65/30/0 0/0/0 0 A", "65/30/0 66/48/0 0 A+B"));
    ListenToCombo();
    KeyAt(500, VK_C, false, false, 0x2E);
    EXPECT_EQ(Second.size(), 2u);
    EXPECT_THAT(FLines, ElementsAre("67/0 0/0 0 C"));
}

TEST_F(uiHookKeyboardTest, WithoutAComboHandlerNothingHappens) {
    FHook.RecordKeyboardComboKey();
    EXPECT_FALSE(KeyAt(0, VK_A));
    EXPECT_EQ(FHook.ComboKeyInfo().nKeyValue1, 0);
    EXPECT_TRUE(FHook.ComboKeyString().empty());
}

// --- single key ------------------------------------------------------------------------------

TEST_F(uiHookKeyboardTest, SingleKeysAreReportedOnPressAndReleaseAndBlockedByTheHandler) {
    std::vector<std::string> Keys;
    FHook.OnRecordKeyboardSingleKey = [&](std::int32_t Key, std::uint32_t ScanKey,
                                          std::int32_t AState, std::int32_t AKeyExtended,
                                          const std::u16string& Name, TBlockFlag& ABlocked) {
        Keys.push_back(std::to_string(Key) + " " + std::to_string(ScanKey) + " " +
                       std::to_string(AState) + " " + std::to_string(AKeyExtended) + " " +
                       Ascii(Name) + (ABlocked ? " (blocked)" : ""));
        if (Key == static_cast<std::int32_t>(VK_X)) {
            ABlocked = true;
        }
    };
    FHook.RecordKeyboardSingleKey();
    EXPECT_FALSE(FLibrary.KeyEvent(VK_A, 0x1E, false, false));
    EXPECT_TRUE(FLibrary.KeyEvent(VK_X, 0x2D, false, false));
    EXPECT_TRUE(FLibrary.KeyEvent(VK_X, 0x2D, false, true));
    EXPECT_FALSE(FLibrary.KeyEvent(0x2E, 0x53, true, true));
    EXPECT_THAT(Keys, ElementsAre("65 30 1 0 A", "88 45 1 0 X", "88 45 0 0 X", "46 83 0 1 DEL"));
    FHook.StopRecordKeyboardSingleKey();
    EXPECT_FALSE(FLibrary.KeyEvent(VK_X, 0x2D, false, false));
    EXPECT_EQ(Keys.size(), 4u);
}

TEST_F(uiHookKeyboardTest, TheKeyboardModesExcludeEachOther) {
    ListenToMacro();
    ListenToCombo();
    FHook.RecordKeyboardMacroKey();
    FHook.RecordKeyboardComboKey();
    KeyAt(0, VK_A);
    EXPECT_THAT(FLines, ElementsAre("65/0 0/0 0 A"));
    EXPECT_TRUE(FHook.MacroKeyList().Empty());
}

} // namespace
} // namespace vanto
