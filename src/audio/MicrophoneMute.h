#pragma once

#include "platform/Audio.h"
#include "platform/MessageBox.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace vanto {

// The texts the legacy mixer path shows; fixed, not translated.
inline constexpr char16_t MIXER_LINE_ERROR_TEXT[] = u"GetLineInfo Error";
inline constexpr char16_t MIXER_VALUE_ERROR_TEXT[] = u"SetControlDetails Error";

// Registered with the endpoint so that the audio service has a listener; it marks that a
// change is being delivered and tells the change listener, if any. It runs on the audio
// service's thread, hence the atomic.
class TMyEndpointVolumeCallback final : public platform::IAudioEndpointVolumeCallback {
public:
    TMyEndpointVolumeCallback(std::atomic<bool>& AVolumeUpdating,
                              std::function<void()> AOnChange = {})
        : FVolumeUpdating(AVolumeUpdating), FOnChange(std::move(AOnChange)) {}
    void OnNotify() override;

private:
    std::atomic<bool>& FVolumeUpdating;
    const std::function<void()> FOnChange;
};

// Core Audio exists from Windows Vista (NT 6.0) on; older systems mute through the legacy mixer.
bool HasCoreAudio(platform::IAudio& AAudio);

// The microphone mute toggle that the main form owns: Core Audio's default capture endpoint on
// NT 6 and later, mixer device 0's microphone line before. Runs on the main thread and never
// fails outward; the only things the user may see are the two mixer error boxes.
//
// The default microphone is asked for at every press, since a headset may have been plugged in
// or another default chosen since the last one; its volume control is kept only while it stays
// the default.
class TAudioControl {
public:
    TAudioControl(platform::IAudio& AAudio, platform::IMessageBox& AMessageBox);
    ~TAudioControl();
    TAudioControl(const TAudioControl&) = delete;
    TAudioControl& operator=(const TAudioControl&) = delete;

    // Takes the default microphone's volume control now, where there is one.
    void InitAudioEndpoint();
    // Toggles the mute of the microphone that is the default at this moment; without one it
    // does nothing.
    void MicrophoneMute();
    // The microphone line's mute control; false when it could not be read.
    bool GetMixerMute();
    void SetMixerMute(bool AMute);

    // The default microphone's mute as it is now (on older systems the mixer line's); none when
    // there is no microphone or its state cannot be read.
    std::optional<bool> ReadMute();
    // Lets go of every audio object; the next call takes what it needs afresh.
    void Release();
    // Called on the audio service's thread whenever the microphone held changes, by anyone;
    // applies to the microphones taken from now on.
    void SetChangeListener(std::function<void()> AOnChange) { FOnChange = std::move(AOnChange); }

    bool VolumeUpdating() const { return FVolumeUpdating.load(); }
    bool HasEndpoint() const { return FEndpoint != nullptr; }

private:
    enum class TMixerAccess { Read, Write };
    enum class TTaken { None, Kept, Fresh };

    // The default microphone's volume control: the one held when it is still the default
    // (unless ARenew), else a fresh one; on None nothing is held.
    TTaken TakeDefaultMicrophone(bool ARenew);
    void ReleaseMicrophone();
    // False when the state could not be read, and nothing was written.
    bool ToggleMute();
    // One pass over mixer device 0's microphone mute control; none when nothing was read.
    std::optional<bool> AccessMixerMute(TMixerAccess AAccess, bool AValue);

    platform::IAudio& FAudio;
    platform::IMessageBox& FMessageBox;
    std::function<void()> FOnChange;
    // Declared before the endpoint objects so that it outlives their registration.
    std::atomic<bool> FVolumeUpdating{false};
    std::unique_ptr<platform::IAudioDeviceEnumerator> FMMDevEnum;
    std::unique_ptr<platform::IAudioDevice> FMMDev;
    std::u16string FMMDevId;
    std::unique_ptr<platform::IAudioEndpointVolume> FEndpoint;
};

} // namespace vanto
