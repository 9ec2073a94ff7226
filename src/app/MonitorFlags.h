#pragma once

namespace vanto {

// The two flags that the actions own and the dispatcher reads. One set lives as long as the
// monitor and starts cleared.
struct TMonitorFlags {
    bool MacroPlaying = false;   // a host playback is running
    bool MacroRecording = false; // an on-the-fly recording session is running
};

} // namespace vanto
