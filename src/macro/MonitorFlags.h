#pragma once

#include <atomic>
#include <cstdint>

namespace vanto {

// The flags that the actions own and the dispatcher reads. One set lives as long as the
// monitor and starts cleared. Only MacroPlaying is shared: the playback thread clears it when
// it has finished; the rest belong to the main thread. The recording session sets
// MacroRecording; the player reads it and stays silent while a recording runs.
struct TMonitorFlags {
    std::atomic<bool> MacroPlaying = false; // a host playback is running
    bool MacroRecording = false;            // an on-the-fly recording session is running
};

} // namespace vanto
