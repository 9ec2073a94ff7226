// TuiHook's general keyboard and mouse hooks: their filters and blocking.
#include "macro/uiHook.h"

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
using platform::TMSLLHOOKSTRUCT;
using testing::ElementsAre;
using testing::IsEmpty;

using S = TMouseButtonStates;

constexpr std::uint32_t VK_A = 0x41;
constexpr std::uint32_t VK_B = 0x42;
constexpr std::uint32_t VK_DELETE = 0x2E;

std::unique_ptr<TKeyBoardHookDetailObject> KeyFilter(std::int32_t AKey, std::int32_t AScan,
                                                     std::int32_t AExtended, std::int32_t ABlock) {
    auto Filter = std::make_unique<TKeyBoardHookDetailObject>();
    Filter->FKeyBoardHookDetail = {AKey, AScan, AExtended, ABlock};
    return Filter;
}

std::unique_ptr<TMouseHookDetailObject> MouseFilter(TMouseButtons AButton,
                                                    TMouseButtonStateSet AStates,
                                                    TMouseButtons AModified =
                                                        TMouseButtons::BUTTONX3) {
    auto Filter = std::make_unique<TMouseHookDetailObject>();
    Filter->FMouseHookDetail = {AButton, AStates, AModified, TMouseStatesToHook::HOOK_DOWN};
    return Filter;
}

class uiHookGeneralTest : public testing::Test {
protected:
    uiHookGeneralTest() : FHook(FLibrary, FMessages) {}

    void ListenToKeys() {
        FHook.OnHookKeyboardKey = [this](std::int32_t Key, std::int32_t AState,
                                         std::int32_t AKeyExtended, TBlockFlag& ABlocked,
                                         std::uint32_t AScanKey) {
            FLines.push_back("key " + std::to_string(Key) + " " + std::to_string(AState) + " " +
                             std::to_string(AKeyExtended) + " " + std::to_string(AScanKey) +
                             (ABlocked ? " blocked" : ""));
        };
    }

    void ListenToButtons() {
        FHook.OnHookMouseButton = [this](TMouseButtons AButton, std::int32_t AState,
                                         TBlockFlag& ABlocked) {
            FLines.push_back("button " + std::to_string(static_cast<int>(AButton)) + " " +
                             std::to_string(AState) + (ABlocked ? " blocked" : ""));
        };
    }

    bool KeyWithCode(std::int32_t ACode, std::uint32_t AKey) {
        TKBDLLHOOKSTRUCT Record;
        Record.vkCode = AKey;
        return FLibrary.KeyRecord(Record, ACode);
    }

    sim::TSimClock FClock;
    sim::TSimHookLibrary FLibrary{FClock};
    sim::TSimMessageBox FMessages;
    TuiHook FHook;
    std::vector<std::string> FLines;
};

// --- keyboard --------------------------------------------------------------------------------

TEST_F(uiHookGeneralTest, EveryKeyWithHookCode0GoesToOnHookKeyboardAllKeyWhichMayBlock) {
    FHook.OnHookKeyboardAllKey = [this](std::int32_t Key, std::int32_t AState,
                                        std::int32_t AKeyExtended, TBlockFlag& ABlocked,
                                        std::uint32_t AScanKey) {
        FLines.push_back("all " + std::to_string(Key) + " " + std::to_string(AState) + " " +
                         std::to_string(AKeyExtended) + " " + std::to_string(AScanKey));
        ABlocked = Key == static_cast<std::int32_t>(VK_B);
    };
    FHook.StartHookKeyboard();
    EXPECT_FALSE(FLibrary.KeyEvent(VK_A, 0x1E, false, false));
    EXPECT_TRUE(FLibrary.KeyEvent(VK_B, 0x30, false, true));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_DELETE, 0x53, true, false));
    EXPECT_FALSE(KeyWithCode(3, VK_B));
    EXPECT_THAT(FLines, ElementsAre("all 65 1 0 30", "all 66 0 0 48", "all 46 1 1 83"));
    FHook.StopHookKeyboard();
    EXPECT_FALSE(FLibrary.KeyEvent(VK_B, 0x30, false, false));
    EXPECT_EQ(FLines.size(), 3u);
}

TEST_F(uiHookGeneralTest, KeyFiltersMatchByCodeOrScanCodeWithTheExtendedFlagAndTheFirstOneWins) {
    ListenToKeys();
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 0, 0, 1));         // block A
    FHook.AddKeyboardHookObject(KeyFilter(0, 0x30, 0, 0));         // B by scan code
    FHook.AddKeyboardHookObject(KeyFilter(VK_DELETE, 0, 1, 1));    // extended DEL only
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 0, 0, 0));         // never reached for A
    FHook.AddKeyboardHookObject(KeyFilter(0, 0, 0, 1));            // matches nothing
    FHook.StartHookKeyboard();
    EXPECT_TRUE(FLibrary.KeyEvent(VK_A, 0x1E, false, false));
    EXPECT_FALSE(FLibrary.KeyEvent(0x77, 0x30, false, false));
    EXPECT_TRUE(FLibrary.KeyEvent(VK_DELETE, 0x53, true, true));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_DELETE, 0x53, false, false)); // keypad DEL: not extended
    EXPECT_FALSE(FLibrary.KeyEvent(VK_B, 0x99, false, false));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_A, 0x1E, true, false)); // extended A: no filter
    EXPECT_THAT(FLines, ElementsAre("key 65 1 0 30 blocked", "key 119 1 0 48",
                                    "key 46 0 1 83 blocked"));
}

TEST_F(uiHookGeneralTest, KeyFiltersEndAtMinusOneAndNeedTheHandlerToBlock) {
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 0, 0, 1));
    FHook.AddKeyboardHookObject(KeyFilter(-1, 0, 0, 0));
    FHook.AddKeyboardHookObject(KeyFilter(VK_B, 0, 0, 1));
    FHook.StartHookKeyboard();
    // No OnHookKeyboardKey: the filters are not consulted.
    EXPECT_FALSE(FLibrary.KeyEvent(VK_A, 0, false, false));
    ListenToKeys();
    EXPECT_TRUE(FLibrary.KeyEvent(VK_A, 0, false, false));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_B, 0, false, false));
    EXPECT_THAT(FLines, ElementsAre("key 65 1 0 0 blocked"));
}

TEST_F(uiHookGeneralTest, KeyFiltersAreFiledUnderTheirCodeOwnedAndRemovedTogether) {
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 0, 0, 1));
    FHook.AddKeyboardHookObject(KeyFilter(-1, 0, 0, 0));
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 5, 0, 0));
    FHook.AddKeyboardHookObject(nullptr);
    const TKeyboardHookObjectList& List = FHook.KeyboardHookObjectList();
    ASSERT_EQ(List.Count(), 3u);
    EXPECT_EQ(List.Name(0), u"65");
    EXPECT_EQ(List.Name(1), u"-1");
    EXPECT_EQ(List.Name(2), u"65");
    EXPECT_EQ(List.IndexOf(u"65"), 0);
    EXPECT_EQ(List.Object(2).FKeyBoardHookDetail.KeyboardSCANKey, 5);
    FHook.RemoveAllKeyboardHookObject();
    EXPECT_TRUE(List.Empty());
}

TEST_F(uiHookGeneralTest, AKeyHandlerMayRemoveTheFiltersWhileItRuns) {
    FHook.AddKeyboardHookObject(KeyFilter(VK_A, 0, 0, 1));
    FHook.OnHookKeyboardKey = [this](auto&&...) { FHook.RemoveAllKeyboardHookObject(); };
    FHook.StartHookKeyboard();
    EXPECT_TRUE(FLibrary.KeyEvent(VK_A, 0, false, false));
    EXPECT_FALSE(FLibrary.KeyEvent(VK_A, 0, false, false));
}

// --- mouse -----------------------------------------------------------------------------------

TEST_F(uiHookGeneralTest, PointerMovementGoesOnlyToOnHookMouseMoveAndIsNeverBlocked) {
    std::vector<std::string> Moves;
    FHook.OnHookMouseMove = [&](std::int32_t X, std::int32_t Y, double Time) {
        Moves.push_back(std::to_string(X) + "," + std::to_string(Y) + " @" +
                        std::to_string(static_cast<long long>(Time)));
    };
    FHook.OnHookMouseAllButton = [&](auto&&...) { ADD_FAILURE() << "movement as a button"; };
    FHook.StartHookMouse();
    FClock.AdvanceTo(42);
    FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, -5, 70000);
    FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, 1, 1, 0, true);
    EXPECT_THAT(Moves, ElementsAre("-5,70000 @42"));
}

// The block flag as another hook in the chain may have left it: the general mouse hook clears
// it for pointer movement it reports, and only then.
class TPresetFlagLibrary : public platform::IHookLibrary {
public:
    platform::THookLoadResult Load() override { return platform::THookLoadResult::Loaded; }
    void Unload() override {}
    void EnableKeyboardHook(platform::THookCallback, void*) override {}
    void DisableKeyboardHook() override {}
    void EnableMouseHook(platform::THookCallback ACallback, void* AContext) override {
        FCallback = ACallback;
        FContext = AContext;
    }
    void DisableMouseHook() override { FCallback = nullptr; }
    bool KeyDown(std::uint32_t) override { return false; }

    std::uint8_t Move(bool AInjected) {
        TMSLLHOOKSTRUCT Record;
        Record.flags = AInjected ? platform::LLMHF_INJECTED_FLAG : 0;
        std::uint8_t Block = 1;
        FCallback(FContext, 0, platform::WM_MOUSEMOVE_MSG, &Record, &Block);
        return Block;
    }

    platform::THookCallback FCallback = nullptr;
    void* FContext = nullptr;
};

TEST(uiHookMouseMoveFlag, ReportedMovementClearsTheBlockFlag) {
    TPresetFlagLibrary Library;
    sim::TSimMessageBox Messages;
    TuiHook Hook(Library, Messages);
    Hook.StartHookMouse();
    ASSERT_NE(Library.FCallback, nullptr);
    EXPECT_EQ(Library.Move(false), 1); // no handler
    Hook.OnHookMouseMove = [](auto&&...) {};
    EXPECT_EQ(Library.Move(true), 1); // injected
    EXPECT_EQ(Library.Move(false), 0);
}

TEST_F(uiHookGeneralTest, EveryRealButtonEventGoesToOnHookMouseAllButtonWhichMayBlock) {
    std::vector<std::string> All;
    FHook.OnHookMouseAllButton = [&](TMouseButtons AButton, std::int32_t AState,
                                     std::int16_t AExValue, TBlockFlag& ABlocked) {
        All.push_back(std::to_string(static_cast<int>(AButton)) + " " + std::to_string(AState) +
                      " " + std::to_string(AExValue));
        ABlocked = AButton == TMouseButtons::RCLICK;
    };
    FHook.StartHookMouse();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1));
    EXPECT_TRUE(FLibrary.MouseEvent(platform::WM_RBUTTONUP_MSG, 1, 1));
    FLibrary.MouseEvent(platform::WM_MBUTTONUP_MSG, 1, 1);
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 120);
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, -240);
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 0);
    FLibrary.MouseEvent(platform::WM_XBUTTONDOWN_MSG, 1, 1, 1);
    FLibrary.MouseEvent(platform::WM_XBUTTONUP_MSG, 1, 1, 2);
    FLibrary.MouseEvent(platform::WM_MOUSEHWHEEL_MSG, 1, 1, 120);
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_RBUTTONDOWN_MSG, 1, 1, 0, true)); // injected
    EXPECT_THAT(All, ElementsAre("1 1 0", "2 0 0", "3 0 0", "6 1 120", "7 1 -240", "0 1 0",
                                 "4 1 1", "5 0 2", "0 1 0"));
    FHook.StopHookMouse();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_RBUTTONUP_MSG, 1, 1));
}

TEST_F(uiHookGeneralTest, AMouseFilterTakesItsMessagesForEveryButtonCodeUpToItsOwn) {
    ListenToButtons();
    FHook.AddMouseHookObject(
        MouseFilter(TMouseButtons::RCLICK, {S::LBUTTONDOWN, S::RBUTTONDOWN, S::MBUTTONDOWN}));
    FHook.StartHookMouse();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1); // 1 <= 2: taken
    FLibrary.MouseEvent(platform::WM_RBUTTONDOWN_MSG, 1, 1); // 2 <= 2: taken
    FLibrary.MouseEvent(platform::WM_MBUTTONDOWN_MSG, 1, 1); // 3 > 2: not taken
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);   // message not in the set
    EXPECT_THAT(FLines, ElementsAre("button 1 1", "button 2 1"));
}

TEST_F(uiHookGeneralTest, TheFirstMouseFilterTakingAnEventDecidesAndItsHandlerMayBlock) {
    FHook.OnHookMouseButton = [this](TMouseButtons AButton, std::int32_t AState,
                                     TBlockFlag& ABlocked) {
        FLines.push_back("button " + std::to_string(static_cast<int>(AButton)) + " " +
                         std::to_string(AState));
        ABlocked = true;
    };
    // Swallows the wheel without a report, and so hides the filter after it.
    FHook.AddMouseHookObject(
        MouseFilter(TMouseButtons::BUTTONX3, {S::MOUSEWHEEL}, TMouseButtons::WHEELUP));
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::BUTTONX3, {S::MOUSEWHEEL, S::XBUTTONUP}));
    FHook.StartHookMouse();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 120));
    EXPECT_TRUE(FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, -120));
    EXPECT_TRUE(FLibrary.MouseEvent(platform::WM_XBUTTONUP_MSG, 1, 1, 2));
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_XBUTTONDOWN_MSG, 1, 1, 2));
    EXPECT_THAT(FLines, ElementsAre("button 7 1", "button 5 0"));
}

TEST_F(uiHookGeneralTest, MouseFiltersNeedTheHandlerAndNeverTakeMessagesAbove0x20F) {
    TMouseButtonStateSet Every;
    for (int I = 0; I < 16; ++I) {
        Every.Include(static_cast<TMouseButtonStates>(I));
    }
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::BUTTONX3, Every));
    FHook.StartHookMouse();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1)); // no handler yet
    ListenToButtons();
    TMSLLHOOKSTRUCT Record;
    FLibrary.MouseRecord(0x210, Record);
    FLibrary.MouseRecord(0x20F, Record);
    FLibrary.MouseRecord(0x1FF, Record);
    EXPECT_THAT(FLines, ElementsAre("button 0 1"));
}

TEST_F(uiHookGeneralTest, MouseFiltersAreFiledUnderTheirButtonOwnedAndRemovedTogether) {
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::WHEELDOWN, {}));
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::BUTTONX3, {}));
    FHook.AddMouseHookObject(nullptr);
    const TMouseHookObjectList& List = FHook.MouseHookObjectList();
    ASSERT_EQ(List.Count(), 2u);
    EXPECT_EQ(List.Name(0), u"7");
    EXPECT_EQ(List.Name(1), u"10");
    EXPECT_NE(List.Find(u"10"), nullptr);
    FHook.RemoveAllMouseHookObject();
    EXPECT_TRUE(List.Empty());
    EXPECT_THROW(List.Name(0), std::out_of_range);
}

TEST_F(uiHookGeneralTest, AButtonHandlerMayRemoveTheFiltersWhileItRuns) {
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::BUTTONX3, {S::LBUTTONDOWN}));
    FHook.AddMouseHookObject(MouseFilter(TMouseButtons::BUTTONX3, {S::LBUTTONDOWN}));
    int Calls = 0;
    FHook.OnHookMouseButton = [&](auto&&...) {
        ++Calls;
        FHook.RemoveAllMouseHookObject();
    };
    FHook.StartHookMouse();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_EQ(Calls, 1);
}

} // namespace
} // namespace vanto
