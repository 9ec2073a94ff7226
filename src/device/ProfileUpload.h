#pragma once

#include "device/FeatureReportTarget.h"
#include "platform/WindowSystem.h"
#include "shared/pubunit_quorvin.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace vanto {

// Writes a profile's first ten buttons and the macros they use into one of the mouse's two
// banks, on the main thread. The mouse wants a pause after the button table and after the
// macros; the upload takes them as turns of the message loop (each later step is a message to
// the uploader's own window), so no other handler ever runs inside an upload and nothing of one
// upload lands between the reports of another. The profile it is given is copied when asked.
class TProfileUploader {
public:
    TProfileUploader(IFeatureReportTarget& ATarget, platform::IWindowSystem& AWindows);
    ~TProfileUploader();
    TProfileUploader(const TProfileUploader&) = delete;
    TProfileUploader& operator=(const TProfileUploader&) = delete;

    // ABank is the current profile index; only banks 0 and 1 exist on the mouse, any other
    // value sends just the two mode commands. The first step goes out before this returns;
    // a request made while an upload runs waits for its final mode command. AOnDone runs once
    // that upload has sent its final mode command, as a message handler of its own, so that it
    // may end with a send to another program.
    void UploadProfileToDevice(const TMouseProfileInfo& AProfile, int ABank,
                               std::function<void()> AOnDone = nullptr);
    // Sends again every bank whose last upload failed; for the mouse's next arrival.
    void UploadFailedBanksAgain();
    // Ends every step still to come (the process ends); the final mode command still goes out
    // when an upload had begun. What was to run after an upload does not run.
    void Finish();

    bool IsUploading() const { return FRunning != nullptr; }
    bool HasFailedBanks() const { return !FFailed.empty(); }
    // Whether the last upload of that bank did not reach the mouse whole.
    bool BankFailed(int ABank) const { return FFailed.contains(ABank); }
    // Runs on the main thread when the last waiting upload has sent its final mode command.
    std::function<void()> OnIdle;

private:
    struct TRequest {
        std::unique_ptr<TMouseProfileInfo> FProfile;
        int FBank = 0;
        int FStep = 0;
        bool FFailed = false;
        std::function<void()> FOnDone;
    };

    void StartNext();
    void RunStep();
    bool Send(const std::function<std::uint32_t()>& ASend);
    void SendSteps(TRequest& ARequest);
    void EndRunning();
    void ScheduleStep();
    void RunOneDone();

    IFeatureReportTarget& FTarget;
    platform::IWindowSystem& FWindows;
    platform::TWindowHandle FWindow = 0;
    std::unique_ptr<TRequest> FRunning;
    std::deque<std::unique_ptr<TRequest>> FWaiting;
    std::deque<std::function<void()>> FDone;
    // The profile of each bank whose last upload did not reach the mouse whole.
    std::map<int, std::unique_ptr<TMouseProfileInfo>> FFailed;
};

// The profile as the upload sends it: buttons 4 and 5 and buttons 7 and 8 exchanged, ten
// buttons, and button 9 without a macro and with the parameterless function.
std::unique_ptr<TMouseProfileInfo> DeviceProfileOf(const TMouseProfileInfo& AProfile);

} // namespace vanto
