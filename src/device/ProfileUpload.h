#pragma once

#include "device/FeatureReportTarget.h"
#include "platform/WindowSystem.h"
#include "profile/pubunit_quorvin.h"

#include <deque>
#include <memory>

namespace vanto {

// Writes a profile's first ten buttons and the macros they use into one of the mouse's two
// banks. Runs on the main thread only; the profile it is given is never changed.
class TProfileUploader {
public:
    TProfileUploader(IFeatureReportTarget& ATarget, platform::IWindowSystem& AWindows);
    TProfileUploader(const TProfileUploader&) = delete;
    TProfileUploader& operator=(const TProfileUploader&) = delete;

    // ABank is the current profile index; only banks 0 and 1 exist on the mouse, any other
    // value sends just the two mode commands.
    void UploadProfileToDevice(const TMouseProfileInfo& AProfile, int ABank);

    bool IsUploading() const { return FUploading; }

private:
    struct TRequest {
        std::unique_ptr<TMouseProfileInfo> FProfile;
        int FBank;
    };

    void Run(const TRequest& ARequest);
    void WriteBank(const TMouseProfileInfo& ADeviceProfile, unsigned ABank);
    void DispatchPendingMessages();

    IFeatureReportTarget& FTarget;
    platform::IWindowSystem& FWindows;
    bool FUploading = false;
    std::deque<TRequest> FWaiting;
};

// The profile as the upload sends it: buttons 4 and 5 and buttons 7 and 8 exchanged, ten
// buttons, and button 9 without a macro and with the parameterless function.
std::unique_ptr<TMouseProfileInfo> DeviceProfileOf(const TMouseProfileInfo& AProfile);

} // namespace vanto
