#pragma once

#include "platform/HookLibrary.h"
#include "platform/MessageBox.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vanto {

// ---------------------------------------------------------------------------------------------
// Codes and records

enum class TMouseButtons : std::uint8_t {
    BUTTON_NONE = 0,
    LCLICK,
    RCLICK,
    MCLICK,
    XCLICK4,
    XCLICK5,
    WHEELUP,
    WHEELDOWN,
    BUTTONX1,
    BUTTONX2,
    BUTTONX3
};

// Ordinal = mouse message - 0x200.
enum class TMouseButtonStates : std::uint8_t {
    MOUSEMOVE,
    LBUTTONDOWN,
    LBUTTONUP,
    LBUTTONDBLCLK,
    RBUTTONDOWN,
    RBUTTONUP,
    RBUTTONDBLCLK,
    MBUTTONDOWN,
    MBUTTONUP,
    MBUTTONDBLCLK,
    MOUSEWHEEL,
    XBUTTONDOWN,
    XBUTTONUP,
    XBUTTONDBLCLK,
    MOUSEHWHEEL,
    OTHERFUNCTION
};

// A set of TMouseButtonStates, one bit per ordinal.
class TMouseButtonStateSet {
public:
    constexpr TMouseButtonStateSet() = default;
    constexpr TMouseButtonStateSet(std::initializer_list<TMouseButtonStates> AStates) {
        for (TMouseButtonStates State : AStates) {
            Include(State);
        }
    }
    constexpr void Include(TMouseButtonStates AState) { FBits |= BitOf(AState); }
    constexpr void Exclude(TMouseButtonStates AState) {
        FBits = static_cast<std::uint16_t>(FBits & ~BitOf(AState));
    }
    constexpr bool Contains(TMouseButtonStates AState) const { return (FBits & BitOf(AState)) != 0; }
    // True for a mouse message whose state is in the set; messages outside 0x200..0x20F never.
    constexpr bool ContainsMessage(std::uintptr_t AMessage) const {
        return AMessage >= 0x200 && AMessage <= 0x20F &&
               Contains(static_cast<TMouseButtonStates>(AMessage - 0x200));
    }
    constexpr std::uint16_t Bits() const { return FBits; }
    constexpr bool operator==(const TMouseButtonStateSet&) const = default;

private:
    static constexpr std::uint16_t BitOf(TMouseButtonStates AState) {
        return static_cast<std::uint16_t>(1u << (static_cast<unsigned>(AState) & 15u));
    }
    std::uint16_t FBits = 0;
};

enum class TMouseStatesToHook : std::uint8_t { HOOK_DOWN, HOOK_UP };

// A mouse recording entry. nKeyType 0 = delay, 1 = button; nKeyState 1 = press, 0 = release;
// X, Y the low 16 bits of the screen position; TimeValue the delay in ms (delay entries only).
struct TMOUSEMACROKEY {
    std::uint16_t nKeyType;
    std::uint16_t nKeyState;
    TMouseButtons MouseButton;
    std::uint16_t X;
    std::uint16_t Y;
    std::uint16_t TimeValue;
    double Time;
    std::u16string MacroKeyString;
    std::u16string MacroKeyStateString;
};

// What the mouse recorder tells a recording of one event: a button or wheel step with its
// state, or the pause since the previous mouse event. The pause is signed and wide so that a
// length read from text elsewhere fits as it was written.
struct TRecordEvent {
    enum class TKind : std::uint8_t { Step, Pause };
    TKind FKind = TKind::Pause;
    TMouseButtons FButton = TMouseButtons::BUTTON_NONE;
    std::int32_t FState = 0; // 1 press, 0 release
    std::int64_t FMilliseconds = 0;
};

struct TMouseButtonString {
    TMouseButtons MouseButton;
    std::u16string_view ButtonDescription;
};

// The seven described buttons; "Backward(Mouse) " keeps its trailing blank.
extern const std::array<TMouseButtonString, 7> MouseButtonStrings;
// The description of a button code, empty for a code without a row.
const std::u16string& MouseButtonDescription(TMouseButtons AButton);

// The key combination being recorded. nModifier bits: Alt 1, Ctrl 2, Shift 4, Win 8.
struct TCOMBOKEY {
    std::uint16_t nKeyValue1;
    std::uint16_t nKeyValue1Extended;
    std::uint16_t nKeyValue2;
    std::uint16_t nKeyValue2Extended;
    std::uint16_t nModifier;
    std::uint32_t nScanKey1;
    std::uint32_t nScanKey2;
};

// A keyboard recording entry. nKeyType 0 = delay, 1 = key; nKeyState 1 = press, 0 = release
// (0 for delays); nKeyValue the virtual-key code or the delay in ms; nKeyValueExtended 0/1.
struct TMACROKEYHOOK {
    std::uint16_t nKeyType;
    std::uint16_t nKeyState;
    std::uint16_t nKeyValue;
    std::uint16_t nKeyValueExtended;
    double Time;
    std::u16string MacroKeyString;
    std::u16string MacroKeyStateString;
};

// A filter of the general keyboard hook. KeyboardVKKey: the code to match, 0 = not by code,
// -1 = end of the filters; KeyboardSCANKey: the scan code to match, 0 = not by scan code;
// KeyExtended: the extended flag the event must have; block: 1 = block matching events.
struct TKeyBoardHookDetail {
    std::int32_t KeyboardVKKey;
    std::int32_t KeyboardSCANKey;
    std::int32_t KeyExtended;
    std::int32_t block;
};

// A filter of the general mouse hook. MouseStateSet: the messages it takes; ModifiedFunction:
// when equal to the event's button the event is taken without a report; MouseStateToHook is
// not consulted.
struct TMouseHookDetail {
    TMouseButtons MouseButton;
    TMouseButtonStateSet MouseStateSet;
    TMouseButtons ModifiedFunction;
    TMouseStatesToHook MouseStateToHook;
};

class TMOUSEMacroKeyObject {
public:
    TMOUSEMACROKEY FMOUSEMacroKey{};
};

class TMacroKeyObject {
public:
    TMACROKEYHOOK FMacroKey{};
};

class TKeyBoardHookDetailObject {
public:
    TKeyBoardHookDetail FKeyBoardHookDetail{};
};

class TMouseHookDetailObject {
public:
    TMouseHookDetail FMouseHookDetail{};
};

// ---------------------------------------------------------------------------------------------
// Lists

// An ordered list of owned objects, each filed under a name; names may repeat. The list owns
// every object in it: Clear and destruction release them.
template <typename TObject> class TNamedObjectList {
public:
    struct TItem {
        std::u16string Name;
        std::unique_ptr<TObject> Object;
    };

    TNamedObjectList() = default;
    TNamedObjectList(const TNamedObjectList&) = delete;
    TNamedObjectList& operator=(const TNamedObjectList&) = delete;
    TNamedObjectList(TNamedObjectList&&) noexcept = default;
    TNamedObjectList& operator=(TNamedObjectList&&) noexcept = default;

    std::size_t Count() const { return FItems.size(); }
    bool Empty() const { return FItems.empty(); }
    // Both throw std::out_of_range for an index outside the list.
    const std::u16string& Name(std::size_t AIndex) const { return FItems.at(AIndex).Name; }
    const TObject& Object(std::size_t AIndex) const { return *FItems.at(AIndex).Object; }
    // The first entry filed under AName, -1 when there is none.
    int IndexOf(std::u16string_view AName) const {
        for (std::size_t I = 0; I < FItems.size(); ++I) {
            if (FItems[I].Name == AName) {
                return static_cast<int>(I);
            }
        }
        return -1;
    }
    const TObject* Find(std::u16string_view AName) const {
        const int Index = IndexOf(AName);
        return Index < 0 ? nullptr : FItems[static_cast<std::size_t>(Index)].Object.get();
    }

    // A null object is not filed.
    void Add(std::u16string AName, std::unique_ptr<TObject> AObject) {
        if (AObject) {
            FItems.push_back(TItem{std::move(AName), std::move(AObject)});
        }
    }
    void Clear() { FItems.clear(); }

    typename std::vector<TItem>::const_iterator begin() const { return FItems.begin(); }
    typename std::vector<TItem>::const_iterator end() const { return FItems.end(); }

private:
    std::vector<TItem> FItems;
};

// Recording entries, filed under their position as decimal text ("0", "1", ...).
using TMouseMacroKeyList = TNamedObjectList<TMOUSEMacroKeyObject>;
using TMacroKeyList = TNamedObjectList<TMacroKeyObject>;
// Filters, filed under the decimal KeyboardVKKey / the decimal ordinal of MouseButton.
using TKeyboardHookObjectList = TNamedObjectList<TKeyBoardHookDetailObject>;
using TMouseHookObjectList = TNamedObjectList<TMouseHookDetailObject>;

// ---------------------------------------------------------------------------------------------
// The component

// Every pointer movement files an entry while the mouse recorder runs; a recording left running
// would otherwise grow without end (about 150 KB a second at 1000 Hz). Past this many entries
// events are still reported but no longer filed.
inline constexpr std::size_t MOUSE_MACRO_LIST_LIMIT = 65536;

// The library's one-byte block flag itself: set to nonzero (true), it withholds the event from
// the rest of the system.
using TBlockFlag = std::uint8_t;

// Watches system-wide keyboard and mouse input through the hook library uiHook.dll and turns
// the raw events into recording events: the mouse-macro recorder, four keyboard recorders
// (single key, combination, macro, extended macro) and the general keyboard and mouse hooks.
//
// The library holds at most one keyboard and one mouse callback, so every Record/Start
// operation replaces the callback of its device: the keyboard modes exclude each other, and the
// general mouse hook excludes the mouse-macro recorder. Library calls happen only when
// DLLLoaded; the list and time-stamp steps of every operation always run.
//
// The callbacks take no locks: every event is raised inside the library's callback, on the
// thread that enabled the hook (the main thread). Handlers may call the component's operations
// and clear or replace other slots, but must not destroy the component.
class TuiHook {
public:
    // Loads the library (once per process, shared by every instance on the same library): a
    // missing library shows "uiHook.dll can not be found!" with the caption "Error", an
    // incomplete one nothing; both leave DLLLoaded false.
    TuiHook(platform::IHookLibrary& ALibrary, platform::IMessageBox& AMessageBox);
    // Disables the hooks this instance holds, unloads the library when no other instance uses
    // it, and releases every object of the four lists.
    ~TuiHook();

    // The library keeps this instance's address as the callbacks' context.
    TuiHook(const TuiHook&) = delete;
    TuiHook& operator=(const TuiHook&) = delete;

    bool DLLLoaded() const { return FDLLLoaded; }

    // Mouse-macro recording.
    void RecordMouseMacro();
    void StopRecordMouseMacro();

    // Keyboard recorders.
    void RecordKeyboardSingleKey();
    void StopRecordKeyboardSingleKey();
    void RecordKeyboardComboKey();
    void StopRecordKeyboardComboKey();
    void RecordKeyboardMacroKey();
    void StopRecordKeyboardMacroKey();
    void RecordKeyboardMacroKeyEx();
    void StopRecordKeyboardMacroKeyEx();

    // General hooks and their filters. The component takes ownership of every filter.
    void StartHookKeyboard();
    void StopHookKeyboard();
    void StartHookMouse();
    void StopHookMouse();
    void AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject);
    void RemoveAllKeyboardHookObject();
    void AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject);
    void RemoveAllMouseHookObject();

    // State, for callers and tests.
    const TMouseMacroKeyList& MouseMacroKeyList() const { return FMouseMacroKeyList; }
    const TMacroKeyList& MacroKeyList() const { return FMacroKeyList; }
    const TKeyboardHookObjectList& KeyboardHookObjectList() const { return FKeyboardHookObjectList; }
    const TMouseHookObjectList& MouseHookObjectList() const { return FMouseHookObjectList; }
    const TCOMBOKEY& ComboKeyInfo() const { return FComboKeyInfo; }
    const std::u16string& ComboKeyString() const { return FComboKeyString; }
    // The stamp (ms) of the recorder's previous mouse event; empty when there is none yet.
    std::optional<std::uint32_t> LastTimeMouseMacro() const { return FLastTimeMouseMacro; }

    // Events. Time parameters are the low-level record's millisecond stamp as double.
    std::function<void(std::int32_t Key, std::uint32_t ScanKey, std::int32_t AState,
                       std::int32_t AKeyExtended, const std::u16string& SingleKeyString,
                       TBlockFlag& ABlocked)>
        OnRecordKeyboardSingleKey;
    std::function<void(std::int32_t Key1, std::int32_t Key1Extended, std::int32_t Key2,
                       std::int32_t Key2Extended, std::int32_t Modifier,
                       const std::u16string& ComboKeyString)>
        OnRecordKeyboardComboKey;
    std::function<void(std::int32_t Key1, std::int32_t ScanKey1, std::int32_t Key1Extended,
                       std::int32_t Key2, std::int32_t ScanKey2, std::int32_t Key2Extended,
                       std::int32_t Modifier, const std::u16string& ComboKeyString)>
        OnRecordKeyboardComboKey2;
    std::function<void(std::int32_t MacroType, std::int32_t Key1, std::int32_t AState,
                       std::int32_t Extended, double Time, const std::u16string& MacroKeyString,
                       const std::u16string& MacroKeyStateString, const TMacroKeyList& KeyList)>
        OnRecordKeyboardMacroKey;
    std::function<void(std::int32_t MacroType, std::int32_t Key1, std::int32_t AState,
                       std::int32_t Extended, double Time, std::uint32_t TotalTime,
                       const std::u16string& MacroKeyString,
                       const std::u16string& MacroKeyStateString, const TMacroKeyList& KeyList)>
        OnRecordKeyboardMacroKeyEx;
    std::function<void(std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState,
                       std::uint16_t X, std::uint16_t Y, double Time,
                       const std::u16string& MacroKeyString,
                       const std::u16string& MacroKeyStateString,
                       const TMouseMacroKeyList& MouseRecordList)>
        OnRecordMouseMacroKey;
    // The same recorder's events as a recording takes them; raised after OnRecordMouseMacroKey.
    std::function<void(const TRecordEvent& AEvent)> OnRecordEvent;
    std::function<void(const TMacroKeyList& KeyoboardRecordList)> OnStopRecordKeyboardMacroKey;
    std::function<void(const TMouseMacroKeyList& MouseRecordList)> OnStopRecordMouseMacroKey;
    std::function<void(std::int32_t Key, std::int32_t AState, std::int32_t AKeyExtended,
                       TBlockFlag& ABlocked, std::uint32_t AScanKey)>
        OnHookKeyboardKey;
    std::function<void(std::int32_t Key, std::int32_t AState, std::int32_t AKeyExtended,
                       TBlockFlag& ABlocked, std::uint32_t AScanKey)>
        OnHookKeyboardAllKey;
    std::function<void(TMouseButtons AuiButton, std::int32_t AState, TBlockFlag& ABlocked)>
        OnHookMouseButton;
    std::function<void(TMouseButtons AuiButton, std::int32_t AState, std::int16_t AExValue,
                       TBlockFlag& ABlocked)>
        OnHookMouseAllButton;
    std::function<void(std::int32_t X, std::int32_t Y, double Time)> OnHookMouseMove;

private:
    // The library's callbacks: each casts the context back to the TuiHook.
    static void MouseMacroHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                   const void* ARecord, std::uint8_t* ABlock);
    static void MouseHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                              const void* ARecord, std::uint8_t* ABlock);
    static void KeyboardHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                 const void* ARecord, std::uint8_t* ABlock);
    static void SingleKeyHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                  const void* ARecord, std::uint8_t* ABlock);
    static void ComboKeyHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                 const void* ARecord, std::uint8_t* ABlock);
    static void MacroKeyHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                 const void* ARecord, std::uint8_t* ABlock);
    static void MacroKeyExHookProc(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                                   const void* ARecord, std::uint8_t* ABlock);

    void DoMouseMacroHook(std::uintptr_t AMessage, const platform::TMSLLHOOKSTRUCT& ARecord);
    void DoMouseHook(std::uintptr_t AMessage, const platform::TMSLLHOOKSTRUCT& ARecord,
                     TBlockFlag& ABlock);
    void DoKeyboardHook(std::int32_t ACode, const platform::TKBDLLHOOKSTRUCT& ARecord,
                        TBlockFlag& ABlock);
    void DoSingleKeyHook(const platform::TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock);
    void DoComboKeyHook(const platform::TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock);
    void DoMacroKeyHook(const platform::TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock);
    void DoMacroKeyExHook(const platform::TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock);

    // Library calls, made only when DLLLoaded; Enable always disables first.
    void EnableKeyboard(platform::THookCallback ACallback);
    void DisableKeyboard();
    void EnableMouse(platform::THookCallback ACallback);
    void DisableMouse();

    // The fixed texts of the events, built once so that the callbacks only hand out references.
    static const std::u16string& MillisecondsText();
    static const std::u16string& DownUpText(std::int32_t AState);
    static std::u16string DecimalText(std::int64_t AValue);
    // ANow - ABefore for millisecond stamps that wrap after 2^32 ms: negative when ANow is
    // earlier, the right small difference across the wrap.
    static std::int32_t StampDifference(std::uint32_t ANow, std::uint32_t ABefore) {
        return static_cast<std::int32_t>(ANow - ABefore);
    }

    void FileMouseEntry(const TMOUSEMACROKEY& AEntry);
    bool ListensToMouseMacro() const { return OnRecordMouseMacroKey || OnRecordEvent; }
    void ReportMousePause(std::uint32_t ADelta, std::uint16_t AX, std::uint16_t AY, double ATime);
    void ReportMouseStep(TMouseButtons AButton, std::int32_t AState, std::uint16_t AX,
                         std::uint16_t AY, double ATime);
    void FileKeyEntry(const TMACROKEYHOOK& AEntry);
    void StopRecordKeyboardMacro();

    platform::IHookLibrary& FLibrary;
    platform::IMessageBox& FMessageBox;
    bool FDLLLoaded = false;

    TMouseMacroKeyList FMouseMacroKeyList;
    TMacroKeyList FMacroKeyList;
    TKeyboardHookObjectList FKeyboardHookObjectList;
    TMouseHookObjectList FMouseHookObjectList;

    // Time stamps of the previous event of each mode; empty = none yet (a stamp of 0 is a
    // stamp like any other).
    std::optional<std::uint32_t> FLastTimeMouseMacro;
    std::optional<std::uint32_t> FLastTimeKeyboardMacro;
    std::optional<std::uint32_t> FLastTimeKeyboardCombo;

    TCOMBOKEY FComboKeyInfo{};
    std::u16string FComboKeyString;

    std::uint32_t FTotalMacroTime = 0;
    platform::TKBDLLHOOKSTRUCT FLastMacroKey{};
    std::array<std::uint8_t, 256> FAllKeyState{};
};

} // namespace vanto
