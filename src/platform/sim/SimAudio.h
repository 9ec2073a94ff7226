#pragma once

#include "platform/Audio.h"
#include "platform/MessageBox.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vanto::sim {

// The legacy mixer device 0 of a simulated old system. Its microphone line and a line-in line
// each carry a mute control, so that asking for the wrong line or control type shows.
struct TSimMixerSetup {
    bool FPresent = true;
    bool FOpenFails = false;
    bool FHasMicrophoneLine = true;
    bool FHasMuteControl = true;
    bool FReadFails = false;
    bool FWriteFails = false;
};

// A simulated machine's audio: the system version, microphones (one to begin with) of which one
// is the default capture endpoint, and the legacy mixer. The default stays where a test puts
// it, also while that microphone is unplugged.
//
// The microphone is shared by the main thread and whatever thread a test or scenario changes it
// from, as a real one is shared with other programs; a change, from either side, is delivered
// to every registered callback on the thread that made it.
class TSimAudio final : public platform::IAudio {
public:
    TSimAudio();
    ~TSimAudio() override;
    TSimAudio(const TSimAudio&) = delete;
    TSimAudio& operator=(const TSimAudio&) = delete;

    platform::TSystemVersion SystemVersion() override;
    std::unique_ptr<platform::IAudioDeviceEnumerator> CreateDeviceEnumerator() override;
    std::uint32_t MixerDeviceCount() override;
    std::unique_ptr<platform::IMixerDevice> OpenMixer(std::uint32_t ADeviceId) override;

    // Windows 10 unless told otherwise.
    void SetSystemVersion(platform::TSystemVersion AVersion);

    // The audio service itself; without it no enumerator can be created.
    void SetServiceAvailable(bool AAvailable);
    // Plugs or unplugs the default microphone; unplugged, there is no default capture endpoint.
    // Whatever it handed out before it was unplugged answers no more, also once it is back.
    // Plugging, unplugging and choosing another default are told to the enumerators' device
    // callbacks on the calling thread.
    void SetMicrophonePresent(bool APresent);
    void SetActivateFails(bool AFails);
    // Plugs in one more microphone and gives its number; the first one is 0.
    std::size_t AddMicrophone();
    void SetDefaultMicrophone(std::size_t AMicrophone);
    // The default microphone's mute, or that of the numbered one.
    bool MicrophoneMuted() const;
    bool MicrophoneMuted(std::size_t AMicrophone) const;
    // A change of the default microphone made by someone else (another program, the user):
    // its callbacks run here.
    void SetMicrophoneMuted(bool AMuted);
    // Delivers one change notification of the default microphone without changing anything.
    void NotifyControlChange();

    // What the monitor asked of the endpoint side.
    std::size_t EnumeratorsCreated() const;
    std::size_t EndpointRequests() const;
    std::size_t RegisteredCallbacks() const;
    std::size_t RegisteredDeviceCallbacks() const;
    std::size_t NotificationsDelivered() const;
    // Flow and role of the last endpoint request.
    platform::TAudioDataFlow LastRequestedFlow() const;
    platform::TAudioRole LastRequestedRole() const;

    void SetMixer(const TSimMixerSetup& ASetup);
    bool MixerMicrophoneMuted() const;
    void SetMixerMicrophoneMuted(bool AMuted);
    bool MixerLineInMuted() const;
    std::size_t MixerOpens() const;
    std::size_t MixersOpenNow() const;

    static constexpr std::uint32_t MICROPHONE_LINE_ID = 0x00010003;
    static constexpr std::uint32_t LINE_IN_LINE_ID = 0x00010008;
    static constexpr std::uint32_t MICROPHONE_MUTE_CONTROL_ID = 17;
    static constexpr std::uint32_t MICROPHONE_VOLUME_CONTROL_ID = 18;
    static constexpr std::uint32_t LINE_IN_MUTE_CONTROL_ID = 19;

private:
    struct TMicrophone;
    class TEndpointVolume;
    class TDevice;
    class TEnumerator;
    class TMixerDevice;
    struct TState;

    // Shared with every object handed out, which may outlive this one.
    std::shared_ptr<TState> FState;
};

// Records every message box instead of showing it; Show returns at once, as if dismissed.
class TSimMessageBox final : public platform::IMessageBox {
public:
    void Show(const std::u16string& AText) override;
    void ShowError(const std::u16string& AText, const std::u16string& ACaption) override;
    std::vector<std::u16string> Shown() const;
    // The caption of each box in Shown(); empty for a plain box.
    std::vector<std::u16string> Captions() const;
    void Clear();

private:
    mutable std::mutex FLock;
    std::vector<std::u16string> FShown;
    std::vector<std::u16string> FCaptions;
};

} // namespace vanto::sim
