#pragma once

#include "macro/FrmRecord.h"
#include "macro/MonitorFlags.h"
#include "macro/uiHook.h"
#include "platform/Platform.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vanto {

// The name an on-the-fly recording is stored under, before translation.
inline constexpr char16_t USER_RECORDED_MACRO_NAME[] = u"User Recorded";
// The most steps a recording counts; the mouse's macro slot holds no more.
inline constexpr std::int32_t RECORD_STEP_LIMIT = 127;

// The mouse recorder's event in its positional form (MacroType 1 a step, any other a pause
// whose milliseconds are MacroKeyString's decimal text; text that is no number is a pause of 0).
TRecordEvent RecordEventOf(std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState,
                           const std::u16string& MacroKeyString);

// One on-the-fly recording at a time: it turns the mouse recorder's events into the steps of a
// macro the mouse can play, shows them on the overlay while it runs, and hands the macro over
// when it stops. Starting and stopping the recorder itself is the owner's; the owner also passes
// the ticks of the overlay's guard timer, which runs on its window. Main thread only.
class TRecordingSession {
public:
    TRecordingSession(const platform::TPlatform& APlatform, TMonitorFlags& AFlags,
                      std::uintptr_t AGuardTimerId);
    TRecordingSession(const TRecordingSession&) = delete;
    TRecordingSession& operator=(const TRecordingSession&) = delete;

    // The window that owns the overlay's guard timer; set before the first Start.
    void SetOwnerWindow(platform::TWindowHandle AWindow) { FOwnerWindow = AWindow; }

    // Clears the buffer and shows the overlay. A pause collected before is kept: the first step
    // finds the buffer empty and drops it.
    void Start();
    // Closes the overlay. The macro, named and ready to store, unless nothing was recorded.
    std::optional<TMACROKEYINFO> Stop();
    void Take(const TRecordEvent& AEvent);
    void GuardTimer();

    void ShowRecordOverlay();
    void CloseRecordOverlay();
    void AddRecordOverlayLine(std::uint8_t AType, std::uint8_t AValue, std::uint8_t AIndex);
    // The overlay while a recording runs, else null.
    const TFrmRecord* RecordOverlay() const { return FFrmRecord.get(); }

    bool RecordArmed() const { return FRecordArmed; }

    // Called once a recording when its steps reach RECORD_STEP_LIMIT; what follows is dropped.
    std::function<void()> OnRecordingFull;
    std::int32_t PendingDelay() const { return FPendingDelay; }

    // The recording buffer: what is being recorded, after a stop what was handed over. It keeps
    // its contents until the next start.
    TMACROKEYINFO FMacroInfo{};

private:
    void RecordStep(TMouseButtons AButton, std::int32_t AState);
    void CollectPause(std::int64_t AMilliseconds);
    void AnnounceFullOnce();

    const platform::TPlatform& FPlatform;
    // MacroRecording is published there: the player will not start while a recording runs.
    TMonitorFlags& FFlags;
    std::uintptr_t FGuardTimerId;
    platform::TWindowHandle FOwnerWindow = 0;
    std::unique_ptr<TFrmRecord> FFrmRecord;
    // A button or wheel step has been recorded since the recording started.
    bool FRecordArmed = false;
    bool FFullAnnounced = false;
    // Milliseconds collected since the last recorded step, not yet written.
    std::int32_t FPendingDelay = 0;
};

} // namespace vanto
