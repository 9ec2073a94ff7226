#pragma once

#include "audio/MicrophoneMute.h"
#include "platform/Audio.h"

#include <functional>
#include <memory>

namespace vanto {

enum class TMicrophoneState { Live, Muted, Absent };

// Keeps watch over the default microphone for whoever shows its state. Two things tell of a
// change, whoever makes it: the device enumerator, when another microphone becomes the default
// or the default one goes; and the microphone's own volume control, which the mute toggle
// registers with, when anyone mutes or unmutes it. Both speak on the audio service's threads,
// where the watcher only calls ANotify; that hands over to the main thread, which reads the
// state with Current(). Nothing is polled.
class TMicrophoneWatcher {
public:
    // ANotify may be called on any thread, and again before an earlier call was handled.
    TMicrophoneWatcher(platform::IAudio& AAudio, TAudioControl& AControl,
                       std::function<void()> ANotify);
    ~TMicrophoneWatcher();
    TMicrophoneWatcher(const TMicrophoneWatcher&) = delete;
    TMicrophoneWatcher& operator=(const TMicrophoneWatcher&) = delete;

    // Registers for the enumerator's notifications; false when the audio service cannot be
    // reached, and then the state is read all the same whenever asked.
    bool Start();
    // Ends every registration; the audio objects go with it.
    void Stop();
    bool Watching() const { return FEnumerator != nullptr; }

    // The default microphone as it is now; main thread.
    TMicrophoneState Current();

private:
    class TDeviceListener;

    platform::IAudio& FAudio;
    TAudioControl& FControl;
    std::shared_ptr<TDeviceListener> FListener;
    std::unique_ptr<platform::IAudioDeviceEnumerator> FEnumerator;
};

} // namespace vanto
