#include "audio/MicrophoneMute.h"

#include "platform/sim/SimAudio.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace vanto {
namespace {

using platform::TSystemVersion;
using sim::TSimAudio;
using sim::TSimMixerSetup;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr TSystemVersion WINDOWS_10{true, 10};
constexpr TSystemVersion WINDOWS_VISTA{true, 6};
constexpr TSystemVersion WINDOWS_XP{true, 5};
constexpr TSystemVersion WINDOWS_98{false, 4};

class MicrophoneMuteTest : public testing::Test {
protected:
    TSimAudio FAudio;
    sim::TSimMessageBox FMessages;
    TAudioControl FControl{FAudio, FMessages};
};

// --- Core Audio: NT 6 and later ---

TEST_F(MicrophoneMuteTest, TwoPressesLeaveTheMicrophoneAsItWas) {
    for (const bool Initially : {false, true}) {
        FAudio.SetMicrophoneMuted(Initially);
        FControl.MicrophoneMute();
        EXPECT_EQ(FAudio.MicrophoneMuted(), !Initially);
        FControl.MicrophoneMute();
        EXPECT_EQ(FAudio.MicrophoneMuted(), Initially);
    }
    // Set up on the first press and kept: one enumerator, one listener.
    EXPECT_EQ(FAudio.EnumeratorsCreated(), 1u);
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 1u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MicrophoneMuteTest, SetUpAtStartTakesTheDefaultCaptureEndpoint) {
    FControl.InitAudioEndpoint();
    EXPECT_TRUE(FControl.HasEndpoint());
    EXPECT_EQ(FAudio.LastRequestedFlow(), platform::TAudioDataFlow::Capture);
    EXPECT_EQ(FAudio.LastRequestedRole(), platform::TAudioRole::Multimedia);
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 1u);

    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MicrophoneMuted());
    EXPECT_EQ(FAudio.EnumeratorsCreated(), 1u);
}

TEST_F(MicrophoneMuteTest, WithoutMicrophoneAPressIsSilentAndTheNextOneTriesAgain) {
    FAudio.SetMicrophonePresent(false);
    FControl.MicrophoneMute();
    EXPECT_FALSE(FControl.HasEndpoint());
    EXPECT_EQ(FAudio.EndpointRequests(), 1u);
    FControl.MicrophoneMute();
    EXPECT_EQ(FAudio.EndpointRequests(), 2u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());

    FAudio.SetMicrophonePresent(true);
    FControl.MicrophoneMute();
    EXPECT_TRUE(FControl.HasEndpoint());
    EXPECT_TRUE(FAudio.MicrophoneMuted());
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 1u);
}

TEST_F(MicrophoneMuteTest, EveryStepOfTheSetUpIsRetriedUntilItSucceeds) {
    FAudio.SetServiceAvailable(false);
    FControl.MicrophoneMute();
    EXPECT_EQ(FAudio.EndpointRequests(), 0u);

    FAudio.SetServiceAvailable(true);
    FAudio.SetActivateFails(true);
    FControl.MicrophoneMute();
    FControl.MicrophoneMute();
    EXPECT_EQ(FAudio.EnumeratorsCreated(), 2u);
    EXPECT_FALSE(FControl.HasEndpoint());
    EXPECT_FALSE(FAudio.MicrophoneMuted());

    FAudio.SetActivateFails(false);
    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MicrophoneMuted());
    EXPECT_EQ(FAudio.EnumeratorsCreated(), 3u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MicrophoneMuteTest, AMicrophoneThatGoesAwayLaterIsLeftAlone) {
    FControl.InitAudioEndpoint();
    FAudio.SetMicrophonePresent(false);
    FControl.MicrophoneMute();
    FAudio.SetMicrophonePresent(true);
    EXPECT_FALSE(FAudio.MicrophoneMuted());
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MicrophoneMuteTest, EachPressTogglesTheMicrophoneThatIsTheDefaultThen) {
    FControl.InitAudioEndpoint();
    const std::size_t Headset = FAudio.AddMicrophone();
    FControl.MicrophoneMute();
    FAudio.SetDefaultMicrophone(Headset);
    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MicrophoneMuted(0));
    EXPECT_TRUE(FAudio.MicrophoneMuted(Headset));
    // Only the microphone in use is listened to.
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 1u);

    FAudio.SetDefaultMicrophone(0);
    FControl.MicrophoneMute();
    EXPECT_FALSE(FAudio.MicrophoneMuted(0));
    EXPECT_TRUE(FAudio.MicrophoneMuted(Headset));
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MicrophoneMuteTest, AMicrophoneUnpluggedAndPluggedInAgainIsToggledAgain) {
    FControl.MicrophoneMute();
    FAudio.SetMicrophonePresent(false);
    FControl.MicrophoneMute();
    EXPECT_FALSE(FControl.HasEndpoint());
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 0u);
    FAudio.SetMicrophonePresent(true);
    FControl.MicrophoneMute();
    EXPECT_FALSE(FAudio.MicrophoneMuted());

    // Out and back in between two presses: what the control held from before answers no more.
    FAudio.SetMicrophonePresent(false);
    FAudio.SetMicrophonePresent(true);
    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MicrophoneMuted());
    EXPECT_EQ(FAudio.RegisteredCallbacks(), 1u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

// A platform whose audio service throws instead of answering.
class TThrowingAudio final : public platform::IAudio {
public:
    TSystemVersion SystemVersion() override { return WINDOWS_10; }
    std::unique_ptr<platform::IAudioDeviceEnumerator> CreateDeviceEnumerator() override {
        throw std::runtime_error("audio service");
    }
    std::uint32_t MixerDeviceCount() override { return 0; }
    std::unique_ptr<platform::IMixerDevice> OpenMixer(std::uint32_t) override { return nullptr; }
};

TEST(MicrophoneMuteFailureTest, AFailureOfTheAudioServiceStaysInside) {
    TThrowingAudio Audio;
    sim::TSimMessageBox Messages;
    TAudioControl Control(Audio, Messages);
    EXPECT_NO_THROW(Control.InitAudioEndpoint());
    EXPECT_NO_THROW(Control.MicrophoneMute());
    EXPECT_THAT(Messages.Shown(), IsEmpty());
}

TEST_F(MicrophoneMuteTest, TheVersionAloneChoosesThePathAtEveryPress) {
    FAudio.SetSystemVersion(WINDOWS_VISTA);
    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MicrophoneMuted());
    EXPECT_FALSE(FAudio.MixerMicrophoneMuted());

    for (const TSystemVersion Old : {WINDOWS_XP, WINDOWS_98, TSystemVersion{false, 6}}) {
        FAudio.SetSystemVersion(Old);
        const bool MixerBefore = FAudio.MixerMicrophoneMuted();
        FControl.MicrophoneMute();
        EXPECT_TRUE(FAudio.MicrophoneMuted());
        EXPECT_NE(FAudio.MixerMicrophoneMuted(), MixerBefore);
    }
}

// --- The legacy mixer: before NT 6 ---

class MixerMuteTest : public MicrophoneMuteTest {
protected:
    void SetUp() override { FAudio.SetSystemVersion(WINDOWS_XP); }
};

TEST_F(MixerMuteTest, TwoPressesToggleOnlyTheMicrophoneLineAndCloseTheMixer) {
    FControl.MicrophoneMute();
    EXPECT_TRUE(FAudio.MixerMicrophoneMuted());
    EXPECT_TRUE(FControl.GetMixerMute());
    FControl.MicrophoneMute();
    EXPECT_FALSE(FAudio.MixerMicrophoneMuted());

    EXPECT_FALSE(FAudio.MixerLineInMuted());
    EXPECT_EQ(FAudio.MixerOpens(), 5u);
    EXPECT_EQ(FAudio.MixersOpenNow(), 0u);
    EXPECT_EQ(FAudio.EnumeratorsCreated(), 0u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MixerMuteTest, NoDeviceNoOpenAndNoMicrophoneLineAreSilent) {
    for (const TSimMixerSetup Setup :
         {TSimMixerSetup{.FPresent = false}, TSimMixerSetup{.FOpenFails = true},
          TSimMixerSetup{.FHasMicrophoneLine = false}}) {
        FAudio.SetMixer(Setup);
        FControl.MicrophoneMute();
        EXPECT_FALSE(FControl.GetMixerMute());
    }
    EXPECT_FALSE(FAudio.MixerMicrophoneMuted());
    EXPECT_FALSE(FAudio.MixerLineInMuted());
    EXPECT_EQ(FAudio.MixersOpenNow(), 0u);
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
}

TEST_F(MixerMuteTest, AMicrophoneLineWithoutMuteControlComplainsOnReadAndOnWrite) {
    FAudio.SetMixer({.FHasMuteControl = false});
    FControl.MicrophoneMute();
    EXPECT_THAT(FMessages.Shown(), ElementsAre(u"GetLineInfo Error", u"GetLineInfo Error"));
    EXPECT_FALSE(FAudio.MixerLineInMuted());
    EXPECT_EQ(FAudio.MixersOpenNow(), 0u);
}

TEST_F(MixerMuteTest, AFailedReadOrWriteOfTheValueComplains) {
    // An unreadable value counts as not muted, so the press mutes.
    FAudio.SetMixer({.FReadFails = true});
    FControl.MicrophoneMute();
    EXPECT_THAT(FMessages.Shown(), ElementsAre(u"SetControlDetails Error"));
    EXPECT_TRUE(FAudio.MixerMicrophoneMuted());

    FMessages.Clear();
    FAudio.SetMixer({.FWriteFails = true});
    FControl.MicrophoneMute();
    EXPECT_THAT(FMessages.Shown(), ElementsAre(u"SetControlDetails Error"));
    EXPECT_TRUE(FAudio.MixerMicrophoneMuted());
    EXPECT_EQ(FAudio.MixersOpenNow(), 0u);
}

// --- Change notifications from the audio service's thread ---

TEST_F(MicrophoneMuteTest, ChangesFromAnotherThreadReachTheListenerBesideThePresses) {
    constexpr int CHANGES = 500;
    constexpr int PRESSES = 100;
    FControl.InitAudioEndpoint();
    std::thread Service([this] {
        for (int I = 0; I < CHANGES; ++I) {
            FAudio.SetMicrophoneMuted(I % 2 == 0);
            FAudio.NotifyControlChange();
        }
    });
    for (int I = 0; I < PRESSES; ++I) {
        FControl.MicrophoneMute();
    }
    Service.join();
    // One listener, told of every change: the service's and the presses' own.
    EXPECT_EQ(FAudio.NotificationsDelivered(), std::size_t{2 * CHANGES + PRESSES});
    EXPECT_FALSE(FControl.VolumeUpdating());
}

TEST(MicrophoneMuteLifetimeTest, NotificationsStopReachingAControlThatIsGone) {
    TSimAudio Audio;
    sim::TSimMessageBox Messages;
    std::atomic<bool> Stop{false};
    std::thread Service([&] {
        while (!Stop.load()) {
            Audio.NotifyControlChange();
        }
    });
    for (int I = 0; I < 50; ++I) {
        TAudioControl Control(Audio, Messages);
        Control.MicrophoneMute();
        EXPECT_EQ(Audio.RegisteredCallbacks(), 1u);
    }
    Stop.store(true);
    Service.join();
    EXPECT_EQ(Audio.RegisteredCallbacks(), 0u);
}

} // namespace
} // namespace vanto
