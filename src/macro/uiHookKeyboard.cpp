// TuiHook's keyboard callbacks: the single-key, combination, macro and extended macro
// recorders and the general keyboard hook.
#include "macro/uiHook.h"

#include "keys/uiKeyCode.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

namespace vanto {

using platform::TKBDLLHOOKSTRUCT;

namespace {

constexpr std::uint32_t VK_LSHIFT_CODE = 0xA0;
constexpr std::uint32_t VK_RSHIFT_CODE = 0xA1;
constexpr std::uint32_t VK_LCONTROL_CODE = 0xA2;
constexpr std::uint32_t VK_RCONTROL_CODE = 0xA3;
constexpr std::uint32_t VK_LMENU_CODE = 0xA4;
constexpr std::uint32_t VK_RMENU_CODE = 0xA5;
constexpr std::uint32_t VK_LWIN_CODE = 0x5B;
constexpr std::uint32_t VK_RWIN_CODE = 0x5C;

// The low-level hook names each modifier by side: VK_LSHIFT..VK_RMENU, VK_LWIN, VK_RWIN.
bool IsModifierKey(std::uint32_t AVirtualKey) {
    return (AVirtualKey >= VK_LSHIFT_CODE && AVirtualKey <= VK_RMENU_CODE) ||
           AVirtualKey == VK_LWIN_CODE || AVirtualKey == VK_RWIN_CODE;
}

struct TComboModifier {
    std::uint32_t FLeftKey;
    std::uint32_t FRightKey;
    std::uint16_t FBit;
    std::u16string_view FPrefix;
};

// In the order their names lead the combination's text.
constexpr std::array<TComboModifier, 4> COMBO_MODIFIERS{{
    {VK_LCONTROL_CODE, VK_RCONTROL_CODE, 2, u"Ctrl+"},
    {VK_LMENU_CODE, VK_RMENU_CODE, 1, u"Alt+"},
    {VK_LWIN_CODE, VK_RWIN_CODE, 8, u"Win+"},
    {VK_LSHIFT_CODE, VK_RSHIFT_CODE, 4, u"Shift+"},
}};

std::int32_t StateOf(const TKBDLLHOOKSTRUCT& ARecord) {
    return (ARecord.flags & platform::LLKHF_UP_FLAG) != 0 ? 0 : 1;
}

std::int32_t ExtendedOf(const TKBDLLHOOKSTRUCT& ARecord) {
    return (ARecord.flags & platform::LLKHF_EXTENDED_FLAG) != 0 ? 1 : 0;
}

std::int32_t KeyOf(const TKBDLLHOOKSTRUCT& ARecord) {
    return static_cast<std::int32_t>(ARecord.vkCode);
}

std::u16string KeyNameOf(const TKBDLLHOOKSTRUCT& ARecord) {
    return GetKeyDescription(KeyOf(ARecord), ExtendedOf(ARecord));
}

template <void (TuiHook::*Member)(const TKBDLLHOOKSTRUCT&, TBlockFlag&)>
void Dispatch(void* AContext, const void* ARecord, std::uint8_t* ABlock) {
    if (AContext == nullptr || ARecord == nullptr || ABlock == nullptr) {
        return;
    }
    (static_cast<TuiHook*>(AContext)->*Member)(*static_cast<const TKBDLLHOOKSTRUCT*>(ARecord),
                                              *ABlock);
}

} // namespace

// --- the library's callbacks -----------------------------------------------------------------

void TuiHook::KeyboardHookProc(void* AContext, std::int32_t ACode, std::uintptr_t,
                               const void* ARecord, std::uint8_t* ABlock) {
    if (AContext == nullptr || ARecord == nullptr || ABlock == nullptr) {
        return;
    }
    static_cast<TuiHook*>(AContext)->DoKeyboardHook(
        ACode, *static_cast<const TKBDLLHOOKSTRUCT*>(ARecord), *ABlock);
}

void TuiHook::SingleKeyHookProc(void* AContext, std::int32_t, std::uintptr_t, const void* ARecord,
                                std::uint8_t* ABlock) {
    Dispatch<&TuiHook::DoSingleKeyHook>(AContext, ARecord, ABlock);
}

void TuiHook::ComboKeyHookProc(void* AContext, std::int32_t, std::uintptr_t, const void* ARecord,
                               std::uint8_t* ABlock) {
    Dispatch<&TuiHook::DoComboKeyHook>(AContext, ARecord, ABlock);
}

void TuiHook::MacroKeyHookProc(void* AContext, std::int32_t, std::uintptr_t, const void* ARecord,
                               std::uint8_t* ABlock) {
    Dispatch<&TuiHook::DoMacroKeyHook>(AContext, ARecord, ABlock);
}

void TuiHook::MacroKeyExHookProc(void* AContext, std::int32_t, std::uintptr_t,
                                 const void* ARecord, std::uint8_t* ABlock) {
    Dispatch<&TuiHook::DoMacroKeyExHook>(AContext, ARecord, ABlock);
}

// --- recorders -------------------------------------------------------------------------------

// Every press and release; blocking is the handler's decision.
void TuiHook::DoSingleKeyHook(const TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock) {
    if (OnRecordKeyboardSingleKey) {
        OnRecordKeyboardSingleKey(KeyOf(ARecord), ARecord.scanCode, StateOf(ARecord),
                                  ExtendedOf(ARecord), KeyNameOf(ARecord), ABlock);
    }
}

// A key with the modifiers held, and a second key when it follows within 100 ms.
void TuiHook::DoComboKeyHook(const TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock) {
    if (!OnRecordKeyboardComboKey && !OnRecordKeyboardComboKey2) {
        return;
    }
    if (StateOf(ARecord) == 0 || IsModifierKey(ARecord.vkCode)) {
        return;
    }

    FComboKeyString.clear();
    TCOMBOKEY& Combo = FComboKeyInfo;
    Combo.nModifier = 0;
    if (Combo.nKeyValue1 != 0 && Combo.nKeyValue2 != 0) {
        Combo = TCOMBOKEY{};
    }

    // The system's key state, not the events seen: a modifier may have been held before the
    // recording started, and the secure desktop keeps the release of Ctrl+Alt+Del and Win+L
    // from every hook.
    std::u16string Prefix;
    for (const TComboModifier& Modifier : COMBO_MODIFIERS) {
        if (FLibrary.KeyDown(Modifier.FLeftKey) || FLibrary.KeyDown(Modifier.FRightKey)) {
            Combo.nModifier |= Modifier.FBit;
            Prefix += Modifier.FPrefix;
        }
    }

    const auto Key = static_cast<std::uint16_t>(ARecord.vkCode);
    const auto Extended = static_cast<std::uint16_t>(ExtendedOf(ARecord));
    auto SetKey1 = [&] {
        Combo.nKeyValue1 = Key;
        Combo.nKeyValue1Extended = Extended;
        Combo.nScanKey1 = ARecord.scanCode;
    };
    auto ClearKey2 = [&] {
        Combo.nKeyValue2 = 0;
        Combo.nKeyValue2Extended = 0;
        Combo.nScanKey2 = 0;
    };
    // Without an earlier key of this recording the key starts a new combination.
    const bool Close =
        FLastTimeKeyboardCombo &&
        std::abs(static_cast<std::int64_t>(StampDifference(ARecord.time, *FLastTimeKeyboardCombo))) <=
            100;
    if (!Close) {
        SetKey1();
        ClearKey2();
    } else if (Combo.nKeyValue1 == 0) {
        SetKey1();
    } else if (Combo.nKeyValue2 == 0) {
        if (Key != Combo.nKeyValue1) {
            Combo.nKeyValue2 = Key;
            Combo.nKeyValue2Extended = Extended;
            Combo.nScanKey2 = ARecord.scanCode;
        } else {
            SetKey1();
            ClearKey2();
        }
    }
    FLastTimeKeyboardCombo = ARecord.time;

    std::u16string Text = GetKeyDescription(Combo.nKeyValue1, Combo.nKeyValue1Extended);
    if (Combo.nKeyValue2 != 0) {
        Text += u'+';
        Text += GetKeyDescription(Combo.nKeyValue2, Combo.nKeyValue2Extended);
    }
    FComboKeyString = Prefix + Text;

    if (OnRecordKeyboardComboKey) {
        OnRecordKeyboardComboKey(Combo.nKeyValue1, Combo.nKeyValue1Extended, Combo.nKeyValue2,
                                 Combo.nKeyValue2Extended, Combo.nModifier, FComboKeyString);
    } else if (OnRecordKeyboardComboKey2) {
        OnRecordKeyboardComboKey2(Combo.nKeyValue1, static_cast<std::int32_t>(Combo.nScanKey1),
                                  Combo.nKeyValue1Extended, Combo.nKeyValue2,
                                  static_cast<std::int32_t>(Combo.nScanKey2),
                                  Combo.nKeyValue2Extended, Combo.nModifier, FComboKeyString);
    }
    ABlock = 1;
}

// Every key with the pause before it when that lies between 10 and 2000 ms.
void TuiHook::DoMacroKeyHook(const TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock) {
    if (!OnRecordKeyboardMacroKey) {
        return;
    }
    const double Time = static_cast<double>(ARecord.time);
    bool DelayReported = false;
    std::int32_t Delay = 0;
    if (!FLastTimeKeyboardMacro) {
        FLastTimeKeyboardMacro = ARecord.time;
    } else {
        // Across the wrap of the stamp the difference is the right small one; an earlier stamp
        // gives a negative one, and no delay.
        Delay = StampDifference(ARecord.time, *FLastTimeKeyboardMacro);
        if (Delay > 10 && Delay < 2000) {
            TMACROKEYHOOK Entry{};
            Entry.nKeyType = 0;
            Entry.nKeyValue = static_cast<std::uint16_t>(Delay);
            FileKeyEntry(Entry);
            DelayReported = true;
            OnRecordKeyboardMacroKey(0, Delay, 0, 0, Time, DecimalText(Delay), MillisecondsText(),
                                     FMacroKeyList);
        }
        FLastTimeKeyboardMacro = ARecord.time;
    }

    const std::int32_t State = StateOf(ARecord);
    const std::int32_t Extended = ExtendedOf(ARecord);
    TMACROKEYHOOK Entry{};
    Entry.nKeyType = 1;
    Entry.nKeyState = static_cast<std::uint16_t>(State);
    Entry.nKeyValue = static_cast<std::uint16_t>(ARecord.vkCode);
    Entry.nKeyValueExtended = static_cast<std::uint16_t>(Extended);
    FileKeyEntry(Entry);
    // Built as it always was: a key whose code equals the delay just reported for it is filed
    // but not reported, because callers have only ever seen it that way.
    const bool Skipped = DelayReported && static_cast<std::int64_t>(ARecord.vkCode) == Delay;
    if (!Skipped && OnRecordKeyboardMacroKey) {
        OnRecordKeyboardMacroKey(1, KeyOf(ARecord), State, Extended, Time, KeyNameOf(ARecord),
                                 DownUpText(State), FMacroKeyList);
    }
    ABlock = 1;
}

// Keys with the time since the previous distinct key event; auto-repeats of a held key are
// neither filed nor reported. At most about 500 entries.
void TuiHook::DoMacroKeyExHook(const TKBDLLHOOKSTRUCT& ARecord, TBlockFlag& ABlock) {
    if (!OnRecordKeyboardMacroKeyEx || FMacroKeyList.Count() > 500) {
        return;
    }
    // FAllKeyState has one byte per virtual-key code 0..255; a code beyond has no key behind it
    // and passes unrecorded and unblocked.
    if (ARecord.vkCode >= FAllKeyState.size()) {
        return;
    }
    const std::uint32_t Key = ARecord.vkCode;
    const bool Release = (ARecord.flags & platform::LLKHF_UP_FLAG) != 0;
    // Time since the previous distinct event; an earlier stamp counts as no time.
    auto Since = [&](std::uint32_t ABefore) {
        return static_cast<std::uint32_t>(std::max(0, StampDifference(ARecord.time, ABefore)));
    };
    bool Emit = false;
    if (FLastMacroKey.vkCode == 0) {
        FLastMacroKey = ARecord;
        FTotalMacroTime = 0;
    } else if (Key == FLastMacroKey.vkCode &&
               (ARecord.flags & platform::LLKHF_EXTENDED_FLAG) ==
                   (FLastMacroKey.flags & platform::LLKHF_EXTENDED_FLAG) &&
               (ARecord.flags & platform::LLKHF_UP_FLAG) ==
                   (FLastMacroKey.flags & platform::LLKHF_UP_FLAG) &&
               !Release) {
        // An auto-repeat: the time runs on from the first press.
        FTotalMacroTime = Since(FLastMacroKey.time);
    } else {
        FTotalMacroTime = Since(FLastMacroKey.time);
        FLastMacroKey = ARecord;
        Emit = true;
        if (Release) {
            FAllKeyState[Key] = 0;
        }
    }
    if (Emit && FTotalMacroTime > 0) {
        FTotalMacroTime = std::min<std::uint32_t>(FTotalMacroTime, 0xFFFF);
        TMACROKEYHOOK Entry{};
        Entry.nKeyType = 0;
        Entry.nKeyValue = static_cast<std::uint16_t>(FTotalMacroTime);
        FileKeyEntry(Entry);
    }
    if (FAllKeyState[Key] == 0) {
        if (!Release) {
            FAllKeyState[Key] = 1;
        }
        const std::int32_t State = StateOf(ARecord);
        const std::int32_t Extended = ExtendedOf(ARecord);
        TMACROKEYHOOK Entry{};
        Entry.nKeyType = 1;
        Entry.nKeyState = static_cast<std::uint16_t>(State);
        Entry.nKeyValue = static_cast<std::uint16_t>(Key);
        Entry.nKeyValueExtended = static_cast<std::uint16_t>(Extended);
        FileKeyEntry(Entry);
        OnRecordKeyboardMacroKeyEx(1, KeyOf(ARecord), State, Extended,
                                   static_cast<double>(ARecord.time), FTotalMacroTime,
                                   KeyNameOf(ARecord), DownUpText(State), FMacroKeyList);
    }
    ABlock = 1;
}

// --- the general keyboard hook ---------------------------------------------------------------

void TuiHook::DoKeyboardHook(std::int32_t ACode, const TKBDLLHOOKSTRUCT& ARecord,
                             TBlockFlag& ABlock) {
    if (ACode != 0) {
        return;
    }
    const std::int32_t Key = KeyOf(ARecord);
    const std::int32_t State = StateOf(ARecord);
    const std::int32_t Extended = ExtendedOf(ARecord);
    if (OnHookKeyboardAllKey) {
        OnHookKeyboardAllKey(Key, State, Extended, ABlock, ARecord.scanCode);
    }
    if (!OnHookKeyboardKey) {
        return;
    }
    for (const auto& Item : FKeyboardHookObjectList) {
        const TKeyBoardHookDetail& Filter = Item.Object->FKeyBoardHookDetail;
        if (Filter.KeyboardVKKey == -1) {
            return;
        }
        const bool ByCode = Filter.KeyboardVKKey != 0 &&
                            static_cast<std::int64_t>(Filter.KeyboardVKKey) ==
                                static_cast<std::int64_t>(ARecord.vkCode);
        const bool ByScanCode = Filter.KeyboardSCANKey != 0 &&
                                static_cast<std::int64_t>(Filter.KeyboardSCANKey) ==
                                    static_cast<std::int64_t>(ARecord.scanCode);
        if (Filter.KeyExtended != Extended || !(ByCode || ByScanCode)) {
            continue;
        }
        if (Filter.block == 1) {
            ABlock = 1;
        }
        // Nothing of the filter is used after the handler, which may remove all filters.
        OnHookKeyboardKey(Key, State, Extended, ABlock, ARecord.scanCode);
        return;
    }
}

} // namespace vanto
