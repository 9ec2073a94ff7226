// TuiHook: loading the hook library, the operations that switch the modes, the filter lists.
// The callbacks are in uiHookMouse.cpp and uiHookKeyboard.cpp.
#include "macro/uiHook.h"

#include <map>
#include <mutex>

namespace vanto {

using platform::THookLoadResult;

const std::array<TMouseButtonString, 7> MouseButtonStrings{{
    {TMouseButtons::LCLICK, u"Mouse Click"},
    {TMouseButtons::RCLICK, u"Mouse Right Click"},
    {TMouseButtons::MCLICK, u"Mouse Middle Click"},
    {TMouseButtons::XCLICK4, u"Backward(Mouse) "},
    {TMouseButtons::XCLICK5, u"Forward(Mouse)"},
    {TMouseButtons::WHEELUP, u"Wheel up(Mouse)"},
    {TMouseButtons::WHEELDOWN, u"Wheel Down(Mouse)"},
}};

const std::u16string& MouseButtonDescription(TMouseButtons AButton) {
    // Built once, so that the recorder hands out references and never allocates for them.
    static const std::array<std::u16string, 256> Descriptions = [] {
        std::array<std::u16string, 256> Table;
        for (const TMouseButtonString& Row : MouseButtonStrings) {
            Table[static_cast<std::uint8_t>(Row.MouseButton)] = std::u16string(Row.ButtonDescription);
        }
        return Table;
    }();
    return Descriptions[static_cast<std::uint8_t>(AButton)];
}

const std::u16string& TuiHook::MillisecondsText() {
    static const std::u16string Text = u"ms";
    return Text;
}

const std::u16string& TuiHook::DownUpText(std::int32_t AState) {
    static const std::u16string Down = u"Down";
    static const std::u16string Up = u"Up";
    return AState == 1 ? Down : Up;
}

std::u16string TuiHook::DecimalText(std::int64_t AValue) {
    char16_t Digits[24];
    std::size_t Start = sizeof(Digits) / sizeof(Digits[0]);
    const bool Negative = AValue < 0;
    // Through the unsigned magnitude, so that the smallest value has one too.
    std::uint64_t Magnitude =
        Negative ? ~static_cast<std::uint64_t>(AValue) + 1 : static_cast<std::uint64_t>(AValue);
    do {
        Digits[--Start] = static_cast<char16_t>(u'0' + Magnitude % 10);
        Magnitude /= 10;
    } while (Magnitude != 0);
    if (Negative) {
        Digits[--Start] = u'-';
    }
    return std::u16string(Digits + Start, Digits + sizeof(Digits) / sizeof(Digits[0]));
}

namespace {

// The library is loaded once per process and shared by every TuiHook on it. It is unloaded
// when the last of them goes, and each instance, when it goes, disables the callbacks that
// still point at it, so that the library never calls into a destroyed component.
struct TLibraryUse {
    int FUsers = 0;
    const TuiHook* FKeyboardOwner = nullptr;
    const TuiHook* FMouseOwner = nullptr;
};

std::mutex& UseLock() {
    static std::mutex Lock;
    return Lock;
}

std::map<const platform::IHookLibrary*, TLibraryUse>& Uses() {
    static std::map<const platform::IHookLibrary*, TLibraryUse> Map;
    return Map;
}

} // namespace

TuiHook::TuiHook(platform::IHookLibrary& ALibrary, platform::IMessageBox& AMessageBox)
    : FLibrary(ALibrary), FMessageBox(AMessageBox) {
    switch (FLibrary.Load()) {
    case THookLoadResult::Loaded: {
        FDLLLoaded = true;
        std::lock_guard<std::mutex> Guard(UseLock());
        ++Uses()[&FLibrary].FUsers;
        break;
    }
    case THookLoadResult::NotFound:
        FMessageBox.ShowError(u"uiHook.dll can not be found!", u"Error");
        break;
    case THookLoadResult::Incomplete:
        break;
    }
}

TuiHook::~TuiHook() {
    if (!FDLLLoaded) {
        return;
    }
    bool OwnsKeyboard = false;
    bool OwnsMouse = false;
    bool Last = false;
    {
        std::lock_guard<std::mutex> Guard(UseLock());
        auto Found = Uses().find(&FLibrary);
        if (Found != Uses().end()) {
            TLibraryUse& Use = Found->second;
            OwnsKeyboard = Use.FKeyboardOwner == this;
            OwnsMouse = Use.FMouseOwner == this;
            if (OwnsKeyboard) {
                Use.FKeyboardOwner = nullptr;
            }
            if (OwnsMouse) {
                Use.FMouseOwner = nullptr;
            }
            Last = --Use.FUsers <= 0;
            if (Last) {
                Uses().erase(Found);
            }
        }
    }
    if (OwnsKeyboard) {
        FLibrary.DisableKeyboardHook();
    }
    if (OwnsMouse) {
        FLibrary.DisableMouseHook();
    }
    if (Last) {
        FLibrary.Unload();
    }
    // The four lists release their objects as members.
}

// --- library calls ---------------------------------------------------------------------------

void TuiHook::EnableKeyboard(platform::THookCallback ACallback) {
    if (!FDLLLoaded) {
        return;
    }
    FLibrary.DisableKeyboardHook();
    FLibrary.EnableKeyboardHook(ACallback, this);
    std::lock_guard<std::mutex> Guard(UseLock());
    Uses()[&FLibrary].FKeyboardOwner = this;
}

void TuiHook::DisableKeyboard() {
    if (!FDLLLoaded) {
        return;
    }
    FLibrary.DisableKeyboardHook();
    std::lock_guard<std::mutex> Guard(UseLock());
    Uses()[&FLibrary].FKeyboardOwner = nullptr;
}

void TuiHook::EnableMouse(platform::THookCallback ACallback) {
    if (!FDLLLoaded) {
        return;
    }
    FLibrary.DisableMouseHook();
    FLibrary.EnableMouseHook(ACallback, this);
    std::lock_guard<std::mutex> Guard(UseLock());
    Uses()[&FLibrary].FMouseOwner = this;
}

void TuiHook::DisableMouse() {
    if (!FDLLLoaded) {
        return;
    }
    FLibrary.DisableMouseHook();
    std::lock_guard<std::mutex> Guard(UseLock());
    Uses()[&FLibrary].FMouseOwner = nullptr;
}

// --- mouse-macro recording -------------------------------------------------------------------

void TuiHook::RecordMouseMacro() {
    FMouseMacroKeyList.Clear();
    EnableMouse(&TuiHook::MouseMacroHookProc);
    FLastTimeMouseMacro.reset();
}

void TuiHook::StopRecordMouseMacro() {
    DisableMouse();
    // The list keeps its entries until the next RecordMouseMacro.
    if (OnStopRecordMouseMacroKey) {
        OnStopRecordMouseMacroKey(FMouseMacroKeyList);
    }
}

// --- keyboard recorders ----------------------------------------------------------------------

void TuiHook::RecordKeyboardSingleKey() { EnableKeyboard(&TuiHook::SingleKeyHookProc); }

void TuiHook::StopRecordKeyboardSingleKey() { DisableKeyboard(); }

void TuiHook::RecordKeyboardComboKey() {
    EnableKeyboard(&TuiHook::ComboKeyHookProc);
    FLastTimeKeyboardCombo.reset();
}

void TuiHook::StopRecordKeyboardComboKey() {
    DisableKeyboard();
    FLastTimeKeyboardCombo.reset();
}

void TuiHook::RecordKeyboardMacroKey() {
    FMacroKeyList.Clear();
    EnableKeyboard(&TuiHook::MacroKeyHookProc);
    // FLastTimeKeyboardMacro is not reset: a first key within 2 s of the last key of an earlier
    // recording is preceded by a delay, as callers have always seen.
}

void TuiHook::RecordKeyboardMacroKeyEx() {
    FLastMacroKey = platform::TKBDLLHOOKSTRUCT{};
    FTotalMacroTime = 0;
    FAllKeyState.fill(0);
    FMacroKeyList.Clear();
    EnableKeyboard(&TuiHook::MacroKeyExHookProc);
}

void TuiHook::StopRecordKeyboardMacro() {
    DisableKeyboard();
    if (OnStopRecordKeyboardMacroKey) {
        OnStopRecordKeyboardMacroKey(FMacroKeyList);
    }
    FMacroKeyList.Clear();
}

void TuiHook::StopRecordKeyboardMacroKey() { StopRecordKeyboardMacro(); }

void TuiHook::StopRecordKeyboardMacroKeyEx() { StopRecordKeyboardMacro(); }

// --- general hooks ---------------------------------------------------------------------------

void TuiHook::StartHookKeyboard() { EnableKeyboard(&TuiHook::KeyboardHookProc); }

void TuiHook::StopHookKeyboard() { DisableKeyboard(); }

void TuiHook::StartHookMouse() { EnableMouse(&TuiHook::MouseHookProc); }

void TuiHook::StopHookMouse() { DisableMouse(); }

void TuiHook::AddKeyboardHookObject(std::unique_ptr<TKeyBoardHookDetailObject> AObject) {
    if (!AObject) {
        return;
    }
    std::u16string Name = DecimalText(AObject->FKeyBoardHookDetail.KeyboardVKKey);
    FKeyboardHookObjectList.Add(std::move(Name), std::move(AObject));
}

void TuiHook::RemoveAllKeyboardHookObject() { FKeyboardHookObjectList.Clear(); }

void TuiHook::AddMouseHookObject(std::unique_ptr<TMouseHookDetailObject> AObject) {
    if (!AObject) {
        return;
    }
    std::u16string Name =
        DecimalText(static_cast<std::uint8_t>(AObject->FMouseHookDetail.MouseButton));
    FMouseHookObjectList.Add(std::move(Name), std::move(AObject));
}

void TuiHook::RemoveAllMouseHookObject() { FMouseHookObjectList.Clear(); }

// --- list filing -----------------------------------------------------------------------------

void TuiHook::FileMouseEntry(const TMOUSEMACROKEY& AEntry) {
    if (FMouseMacroKeyList.Count() >= MOUSE_MACRO_LIST_LIMIT) {
        return;
    }
    auto Object = std::make_unique<TMOUSEMacroKeyObject>();
    TMOUSEMACROKEY& Copy = Object->FMOUSEMacroKey;
    // Time and the strings stay empty in the list.
    Copy.nKeyType = AEntry.nKeyType;
    Copy.nKeyState = AEntry.nKeyState;
    Copy.MouseButton = AEntry.MouseButton;
    Copy.X = AEntry.X;
    Copy.Y = AEntry.Y;
    Copy.TimeValue = AEntry.TimeValue;
    FMouseMacroKeyList.Add(DecimalText(static_cast<std::int64_t>(FMouseMacroKeyList.Count())),
                           std::move(Object));
}

void TuiHook::FileKeyEntry(const TMACROKEYHOOK& AEntry) {
    auto Object = std::make_unique<TMacroKeyObject>();
    TMACROKEYHOOK& Copy = Object->FMacroKey;
    Copy.nKeyType = AEntry.nKeyType;
    Copy.nKeyState = AEntry.nKeyState;
    Copy.nKeyValue = AEntry.nKeyValue;
    Copy.nKeyValueExtended = AEntry.nKeyValueExtended;
    FMacroKeyList.Add(DecimalText(static_cast<std::int64_t>(FMacroKeyList.Count())),
                      std::move(Object));
}

} // namespace vanto
