#include "device/ProfileUpload.h"

#include "device/DeviceEncoding.h"

#include <cstring>

namespace vanto {

namespace {

std::unique_ptr<TMouseProfileInfo> CopyOf(const TMouseProfileInfo& AProfile) {
    // 110 KB: kept on the heap.
    auto Copy = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Copy.get(), &AProfile, sizeof(TMouseProfileInfo));
    return Copy;
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
    : FTarget(ATarget), FWindows(AWindows) {}

void TProfileUploader::UploadProfileToDevice(const TMouseProfileInfo& AProfile, int ABank) {
    // The pauses of an upload dispatch messages, and a handler may ask for another upload.
    // Its reports must not land between ours, so it waits: it is kept with the profile and bank
    // it was asked with, and runs after the running upload has sent its final mode command,
    // before the outermost call returns. Requests run in the order they were made.
    FWaiting.push_back({CopyOf(AProfile), ABank});
    if (FUploading) {
        return;
    }
    FUploading = true;
    try {
        while (!FWaiting.empty()) {
            TRequest Request = std::move(FWaiting.front());
            FWaiting.pop_front();
            Run(Request);
        }
    } catch (...) {
        // Requests still waiting would otherwise run at some unrelated later upload.
        FWaiting.clear();
        FUploading = false;
        throw;
    }
    FUploading = false;
}

void TProfileUploader::Run(const TRequest& ARequest) {
    SendModeCommand(FTarget, DEVICE_MODE_UPLOAD);
    std::unique_ptr<TMouseProfileInfo> DeviceProfile = DeviceProfileOf(*ARequest.FProfile);
    if (GetFirstMacro(*DeviceProfile).MacroListCount > 0 && ARequest.FBank >= 0 &&
        ARequest.FBank < static_cast<int>(DEVICE_BANK_COUNT)) {
        WriteBank(*DeviceProfile, static_cast<unsigned>(ARequest.FBank));
    }
    SendModeCommand(FTarget, DEVICE_MODE_RUN);
}

void TProfileUploader::WriteBank(const TMouseProfileInfo& ADeviceProfile, unsigned ABank) {
    DeviceMacroBlocks Blocks = BuildMacroBlocks(ADeviceProfile);
    DeviceButtonTable Table = BuildButtonTable(ADeviceProfile);
    WriteButtonTable(FTarget, Table, ButtonTableAddress(ABank));
    DispatchPendingMessages();
    WriteMacroBlocks(FTarget, Blocks, ABank);
    DispatchPendingMessages();
}

void TProfileUploader::DispatchPendingMessages() {
    // A quit asked for meanwhile does not cut the upload short: the mouse must get its final
    // mode command. The message loop sees the quit when the upload returns.
    FWindows.ProcessPendingMessages();
}

} // namespace vanto
