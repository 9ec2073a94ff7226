#pragma once

#include "platform/HookLibrary.h"
#include "platform/sim/SimClock.h"

#include <array>
#include <cstdint>

namespace vanto::sim {

// The hook library of the simulation. Tests and the scenario runner play the user's hand: each
// mouse or keyboard event goes to the enabled hook at once, on the calling thread, stamped with
// the simulated clock, as the system's low-level hooks stamp theirs.
class TSimHookLibrary final : public platform::IHookLibrary {
public:
    explicit TSimHookLibrary(TSimClock& AClock) : FClock(AClock) {}

    platform::THookLoadResult Load() override;
    void Unload() override;
    void EnableKeyboardHook(platform::THookCallback ACallback, void* AContext) override;
    void DisableKeyboardHook() override;
    void EnableMouseHook(platform::THookCallback ACallback, void* AContext) override;
    void DisableMouseHook() override;
    // Follows the key events delivered here; the generic Shift, Ctrl and Alt codes answer for
    // either side, as the system's do.
    bool KeyDown(std::uint32_t AVirtualKey) override;

    // The key changes state without any hook being told: a key already held when the hook was
    // set, or a release the secure desktop kept for itself (Ctrl+Alt+Del, Win+L).
    void HoldKeyUnseen(std::uint32_t AVirtualKey) { SetKeyDown(AVirtualKey, true); }
    void ReleaseKeyUnseen(std::uint32_t AVirtualKey) { SetKeyDown(AVirtualKey, false); }

    // What the next Load finds on disk.
    void SetAvailability(platform::THookLoadResult AResult) { FAvailability = AResult; }
    bool Loaded() const { return FLoaded; }
    int LoadAttempts() const { return FLoadAttempts; }
    bool MouseHookEnabled() const { return FMouse.FCallback != nullptr; }
    bool KeyboardHookEnabled() const { return FKeyboard.FCallback != nullptr; }

    // A mouse event at (AX, AY). AData is the high word of the record's mouse data: the wheel
    // movement for the wheel, the X-button number for X buttons. True when a hook withheld it.
    bool MouseEvent(std::uint32_t AMessage, std::int32_t AX, std::int32_t AY,
                    std::int16_t AData = 0, bool AInjected = false);
    bool KeyEvent(std::uint32_t AVirtualKey, std::uint32_t AScanCode, bool AExtended, bool AUp,
                  bool AInjected = false);
    // The records as given, time stamp included; ACode is the hook code.
    bool MouseRecord(std::uint32_t AMessage, const platform::TMSLLHOOKSTRUCT& ARecord,
                     std::int32_t ACode = 0);
    bool KeyRecord(const platform::TKBDLLHOOKSTRUCT& ARecord, std::int32_t ACode = 0);

    // The system's millisecond time stamp: the simulated clock cut to 32 bits.
    std::uint32_t Now() const { return static_cast<std::uint32_t>(FClock.NowMs()); }

private:
    struct THook {
        platform::THookCallback FCallback = nullptr;
        void* FContext = nullptr;
    };
    static bool Deliver(const THook& AHook, std::int32_t ACode, std::uintptr_t AMessage,
                        const void* ARecord);
    void SetKeyDown(std::uint32_t AVirtualKey, bool ADown);

    TSimClock& FClock;
    platform::THookLoadResult FAvailability = platform::THookLoadResult::Loaded;
    bool FLoaded = false;
    int FLoadAttempts = 0;
    THook FKeyboard;
    THook FMouse;
    std::array<bool, 256> FKeysDown{};
};

} // namespace vanto::sim
