#pragma once

#include <atomic>
#include <cstdint>

namespace vanto {

// The flags that the actions own and the dispatcher reads. One set lives as long as the
// monitor and starts cleared. Only MacroPlaying is shared: the playback thread clears it when
// it has finished; the rest belong to the main thread.
struct TMonitorFlags {
    std::atomic<bool> MacroPlaying = false; // a host playback is running
    bool MacroRecording = false;            // an on-the-fly recording session is running
    // A button or wheel event has been recorded since the recording started.
    bool RecordArmed = false;
    // Milliseconds collected since the last recorded button or wheel step, not yet written.
    std::int32_t PendingDelay = 0;
};

} // namespace vanto
