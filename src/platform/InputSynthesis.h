#pragma once

#include <cstdint>

namespace vanto::platform {

// Mouse event flags, with the values the operating system gives them, so that a recorded event
// reads the same on both sides of the seam.
inline constexpr std::uint32_t MOUSE_LEFT_DOWN = 0x0002;
inline constexpr std::uint32_t MOUSE_LEFT_UP = 0x0004;
inline constexpr std::uint32_t MOUSE_RIGHT_DOWN = 0x0008;
inline constexpr std::uint32_t MOUSE_RIGHT_UP = 0x0010;
inline constexpr std::uint32_t MOUSE_MIDDLE_DOWN = 0x0020;
inline constexpr std::uint32_t MOUSE_MIDDLE_UP = 0x0040;
inline constexpr std::uint32_t MOUSE_WHEEL = 0x0800;
// One wheel notch.
inline constexpr std::int32_t WHEEL_NOTCH = 120;

// Carried in the extra information of every event we synthesise, so that our own input hook can
// tell a replayed click from the user's.
inline constexpr std::uintptr_t SYNTHESISED_INPUT_MARK = 0x564E544F;

struct TCursorPos {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TCursorPos&) const = default;
};

// Keyboard and mouse input made up by the program, and the waits between its events.
class IInputSynthesis {
public:
    virtual ~IInputSynthesis() = default;

    // Where the pointer is; (0, 0) when the system does not say.
    virtual TCursorPos CursorPos() = 0;
    virtual void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                         bool AUp) = 0;
    // AFlags is a set of MOUSE_... flags; AData the wheel movement of MOUSE_WHEEL, else 0.
    virtual void SendMouse(std::uint32_t AFlags, TCursorPos APos, std::int32_t AData) = 0;

    // A wait of AMs and as little more as the system allows, counted from the start of the last
    // send when it comes right after one (a send may take its time), else from now; false when
    // CancelWaits ended it, or had been called before it began and no ArmWaits since.
    virtual bool WaitPrecise(std::uint32_t AMs) = 0;
    // From any thread: the wait in progress ends at once, and every later one returns false at
    // once, until ArmWaits.
    virtual void CancelWaits() noexcept = 0;
    // Waits take their time again. The thread that starts a playback calls it before the
    // playback's own thread runs, so that a cancel made after the start is never lost.
    virtual void ArmWaits() noexcept = 0;
    // On the thread that plays, around its events and waits. Meanwhile the implementation may
    // hold system-wide resources (a finer timer period) that it must not hold otherwise, and may
    // raise the thread's priority; EndPlayback gives both back. The pair nests.
    virtual void BeginPlayback() noexcept = 0;
    virtual void EndPlayback() noexcept = 0;
};

// Holds a playback open for its lifetime, whichever way the scope is left.
class TPlaybackScope {
public:
    explicit TPlaybackScope(IInputSynthesis& AInput) : FInput(AInput) { FInput.BeginPlayback(); }
    ~TPlaybackScope() { FInput.EndPlayback(); }
    TPlaybackScope(const TPlaybackScope&) = delete;
    TPlaybackScope& operator=(const TPlaybackScope&) = delete;

private:
    IInputSynthesis& FInput;
};

} // namespace vanto::platform
