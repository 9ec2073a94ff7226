#include "platform/sim/SimHookLibrary.h"

namespace vanto::sim {

using platform::THookLoadResult;

THookLoadResult TSimHookLibrary::Load() {
    if (FLoaded) {
        return THookLoadResult::Loaded;
    }
    ++FLoadAttempts;
    FLoaded = FAvailability == THookLoadResult::Loaded;
    return FAvailability;
}

void TSimHookLibrary::Unload() {
    // Once the library is gone nothing of it can call back.
    FLoaded = false;
    FKeyboard = {};
    FMouse = {};
}

void TSimHookLibrary::EnableKeyboardHook(platform::THookCallback ACallback, void* AContext) {
    if (FLoaded) {
        FKeyboard = {ACallback, AContext};
    }
}

void TSimHookLibrary::DisableKeyboardHook() { FKeyboard = {}; }

void TSimHookLibrary::EnableMouseHook(platform::THookCallback ACallback, void* AContext) {
    if (FLoaded) {
        FMouse = {ACallback, AContext};
    }
}

void TSimHookLibrary::DisableMouseHook() { FMouse = {}; }

bool TSimHookLibrary::MouseEvent(std::uint32_t AMessage, std::int32_t AX, std::int32_t AY,
                                 std::int16_t AData, bool AInjected) {
    platform::TMSLLHOOKSTRUCT Record;
    Record.X = AX;
    Record.Y = AY;
    Record.mouseData = static_cast<std::uint32_t>(static_cast<std::uint16_t>(AData)) << 16;
    Record.flags = AInjected ? platform::LLMHF_INJECTED_FLAG : 0;
    Record.time = Now();
    return MouseRecord(AMessage, Record);
}

bool TSimHookLibrary::KeyEvent(std::uint32_t AVirtualKey, std::uint32_t AScanCode,
                               bool AExtended, bool AUp, bool AInjected) {
    platform::TKBDLLHOOKSTRUCT Record;
    Record.vkCode = AVirtualKey;
    Record.scanCode = AScanCode;
    Record.flags = (AExtended ? platform::LLKHF_EXTENDED_FLAG : 0) |
                   (AUp ? platform::LLKHF_UP_FLAG : 0) | (AInjected ? 0x10u : 0);
    Record.time = Now();
    return KeyRecord(Record);
}

bool TSimHookLibrary::MouseRecord(std::uint32_t AMessage, const platform::TMSLLHOOKSTRUCT& ARecord,
                                  std::int32_t ACode) {
    return Deliver(FMouse, ACode, AMessage, &ARecord);
}

bool TSimHookLibrary::KeyRecord(const platform::TKBDLLHOOKSTRUCT& ARecord, std::int32_t ACode) {
    const bool Up = (ARecord.flags & platform::LLKHF_UP_FLAG) != 0;
    // A keyboard hook is told the keyboard message; the callbacks do not look at it.
    const bool Blocked = Deliver(FKeyboard, ACode, Up ? 0x0101 : 0x0100, &ARecord);
    // The system updates a key's state after its hooks have seen the event, and not at all for
    // an event a hook withheld.
    if (!Blocked) {
        SetKeyDown(ARecord.vkCode, !Up);
    }
    return Blocked;
}

bool TSimHookLibrary::KeyDown(std::uint32_t AVirtualKey) {
    constexpr std::uint32_t VK_SHIFT_CODE = 0x10;
    constexpr std::uint32_t VK_MENU_CODE = 0x12;
    constexpr std::uint32_t VK_LSHIFT_CODE = 0xA0;
    if (AVirtualKey >= VK_SHIFT_CODE && AVirtualKey <= VK_MENU_CODE) {
        const std::uint32_t Left = VK_LSHIFT_CODE + 2 * (AVirtualKey - VK_SHIFT_CODE);
        return FKeysDown[Left] || FKeysDown[Left + 1];
    }
    return AVirtualKey < FKeysDown.size() && FKeysDown[AVirtualKey];
}

void TSimHookLibrary::SetKeyDown(std::uint32_t AVirtualKey, bool ADown) {
    if (AVirtualKey < FKeysDown.size()) {
        FKeysDown[AVirtualKey] = ADown;
    }
}

bool TSimHookLibrary::Deliver(const THook& AHook, std::int32_t ACode, std::uintptr_t AMessage,
                              const void* ARecord) {
    if (AHook.FCallback == nullptr) {
        return false;
    }
    std::uint8_t Block = 0;
    // A copy: the callback may disable or replace the hook while it runs.
    const THook Hook = AHook;
    Hook.FCallback(Hook.FContext, ACode, AMessage, ARecord, &Block);
    return Block != 0;
}

} // namespace vanto::sim
