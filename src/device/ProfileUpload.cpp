#include "device/ProfileUpload.h"

#include "device/DeviceEncoding.h"

#include <cstring>

namespace vanto {

namespace {

constexpr char16_t UPLOAD_WINDOW_CLASS[] = u"TProfileUploaderSteps";
constexpr platform::TMessageId WM_UPLOAD_STEP = platform::WM_USER_FIRST + 1;
constexpr platform::TMessageId WM_UPLOAD_DONE = platform::WM_USER_FIRST + 2;

// The steps of one upload; a pause toward the mouse lies between each and the next.
enum TUploadStep : int {
    STEP_OPEN_AND_TABLE = 0,
    STEP_MACROS = 1,
    STEP_CLOSE = 2,
};

std::unique_ptr<TMouseProfileInfo> CopyOf(const TMouseProfileInfo& AProfile) {
    // 110 KB: kept on the heap.
    auto Copy = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Copy.get(), &AProfile, sizeof(TMouseProfileInfo));
    return Copy;
}

bool WritesBank(const TMouseProfileInfo& ADeviceProfile, int ABank) {
    return GetFirstMacro(ADeviceProfile).MacroListCount > 0 && ABank >= 0 &&
           ABank < static_cast<int>(DEVICE_BANK_COUNT);
}

} // namespace

std::unique_ptr<TMouseProfileInfo> DeviceProfileOf(const TMouseProfileInfo& AProfile) {
    std::unique_ptr<TMouseProfileInfo> Copy = CopyOf(AProfile);
    SwapButtonRecords(*Copy, 4, 5);
    SwapButtonRecords(*Copy, 7, 8);
    Copy->ConfigInfo.ButtonCount = DEVICE_UPLOAD_BUTTON_COUNT;
    TBUTTONFUNCINFO& Tenth = Copy->ConfigInfo.ButtonFuncInfo[9];
    Tenth.nFunctionGroup = NO_GROUP;
    Tenth.nDeviceFunction = DEVICE_FUNCTION_NO_PARAMETER;
    return Copy;
}

TProfileUploader::TProfileUploader(IFeatureReportTarget& ATarget, platform::IWindowSystem& AWindows)
    : FTarget(ATarget), FWindows(AWindows) {
    FWindow = FWindows.CreateHiddenWindow(
        UPLOAD_WINDOW_CLASS, u"",
        [this](platform::TMessageId AMsg, platform::TWParam, platform::TLParam) {
            if (AMsg == WM_UPLOAD_STEP) {
                RunStep();
            } else if (AMsg == WM_UPLOAD_DONE) {
                RunOneDone();
            }
            return platform::TMessageResult{0};
        });
}

TProfileUploader::~TProfileUploader() {
    Finish();
    if (FWindow != 0) {
        FWindows.DestroyHiddenWindow(FWindow);
    }
}

void TProfileUploader::UploadProfileToDevice(const TMouseProfileInfo& AProfile, int ABank,
                                             std::function<void()> AOnDone) {
    auto Request = std::make_unique<TRequest>();
    Request->FProfile = DeviceProfileOf(AProfile);
    Request->FBank = ABank;
    Request->FOnDone = std::move(AOnDone);
    FWaiting.push_back(std::move(Request));
    if (!IsUploading()) {
        StartNext();
    }
}

void TProfileUploader::UploadFailedBanksAgain() {
    std::map<int, std::unique_ptr<TMouseProfileInfo>> Failed = std::move(FFailed);
    FFailed.clear();
    for (auto& [Bank, DeviceProfile] : Failed) {
        auto Request = std::make_unique<TRequest>();
        Request->FProfile = std::move(DeviceProfile);
        Request->FBank = Bank;
        FWaiting.push_back(std::move(Request));
    }
    if (!IsUploading() && !FWaiting.empty()) {
        StartNext();
    }
}

void TProfileUploader::Finish() {
    FWaiting.clear();
    FDone.clear();
    // A running upload has always sent its first step, so the mouse is in upload mode.
    if (FRunning) {
        FRunning->FStep = STEP_CLOSE;
        SendSteps(*FRunning);
    }
    FRunning.reset();
}

void TProfileUploader::StartNext() {
    if (FWaiting.empty()) {
        if (OnIdle) {
            OnIdle();
        }
        return;
    }
    FRunning = std::move(FWaiting.front());
    FWaiting.pop_front();
    RunStep();
}

// A stale step message (after Finish) finds nothing running and does nothing.
void TProfileUploader::RunStep() {
    if (!FRunning) {
        return;
    }
    SendSteps(*FRunning);
    if (FRunning->FStep <= STEP_CLOSE) {
        ScheduleStep();
        return;
    }
    EndRunning();
}

// Sends what the request's step holds, and moves it on. After a failed report the rest of the
// bank is skipped: the final mode command goes out at once, so the mouse does not stay in
// upload mode when it can still be told to leave it.
void TProfileUploader::SendSteps(TRequest& ARequest) {
    const TMouseProfileInfo& Profile = *ARequest.FProfile;
    const bool Bank = WritesBank(Profile, ARequest.FBank);
    if (ARequest.FStep == STEP_OPEN_AND_TABLE) {
        ARequest.FFailed = !Send([&] { return SendModeCommand(FTarget, DEVICE_MODE_UPLOAD); });
        if (!ARequest.FFailed && Bank) {
            ARequest.FFailed = !Send([&] {
                return WriteButtonTable(FTarget, BuildButtonTable(Profile),
                                        ButtonTableAddress(static_cast<unsigned>(ARequest.FBank)));
            });
        }
        ARequest.FStep = Bank && !ARequest.FFailed ? STEP_MACROS : STEP_CLOSE;
        if (Bank && !ARequest.FFailed) {
            return;
        }
    }
    if (ARequest.FStep == STEP_MACROS) {
        ARequest.FFailed = !Send([&] {
            return WriteMacroBlocks(FTarget, BuildMacroBlocks(Profile),
                                    static_cast<unsigned>(ARequest.FBank));
        });
        ARequest.FStep = STEP_CLOSE;
        if (!ARequest.FFailed) {
            return;
        }
    }
    if (ARequest.FStep == STEP_CLOSE) {
        const bool Closed = Send([&] { return SendModeCommand(FTarget, DEVICE_MODE_RUN); });
        ARequest.FFailed = ARequest.FFailed || !Closed;
        ARequest.FStep = STEP_CLOSE + 1;
    }
}

// A target that throws failed like one that answers with an error: the upload ends the same.
bool TProfileUploader::Send(const std::function<std::uint32_t()>& ASend) {
    try {
        return ASend() == platform::HID_ERROR_NONE;
    } catch (...) {
        return false;
    }
}

void TProfileUploader::EndRunning() {
    std::unique_ptr<TRequest> Done = std::move(FRunning);
    if (Done->FFailed && Done->FBank >= 0 && Done->FBank < static_cast<int>(DEVICE_BANK_COUNT)) {
        FFailed[Done->FBank] = std::move(Done->FProfile);
    } else if (!Done->FFailed) {
        FFailed.erase(Done->FBank);
    }
    // Posted before the next upload starts, so it runs before any button event held meanwhile.
    if (Done->FOnDone) {
        FDone.push_back(std::move(Done->FOnDone));
        if (!FWindows.Post(FWindow, WM_UPLOAD_DONE, 0, 0)) {
            RunOneDone();
        }
    }
    StartNext();
}

void TProfileUploader::RunOneDone() {
    if (FDone.empty()) {
        return;
    }
    std::function<void()> Done = std::move(FDone.front());
    FDone.pop_front();
    Done();
}

void TProfileUploader::ScheduleStep() {
    if (!FWindows.Post(FWindow, WM_UPLOAD_STEP, 0, 0)) {
        // No loop to take the pause in: the rest goes out now rather than never.
        while (FRunning && FRunning->FStep <= STEP_CLOSE) {
            SendSteps(*FRunning);
        }
        EndRunning();
    }
}

} // namespace vanto
