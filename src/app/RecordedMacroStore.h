#pragma once

#include "device/ProfileUpload.h"
#include "platform/Platform.h"
#include "profile/DM.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <functional>

namespace vanto {

// Puts a finished recording where it is played from: the button that stopped it, the play
// buttons and macro slot 0 of the current profile, the registry, and the mouse's memory. The
// configuration application hears of it last, once the mouse has it.
class TRecordedMacroStore {
public:
    TRecordedMacroStore(TDM& ADM, TProfileUploader& AUploader, platform::IWindowSystem& AWindows,
                        platform::IDebugOutput& ADebug);

    // Returns once the upload has started; the rest runs from the message loop after it.
    void StoreRecordedMacro(std::uint8_t AKeyIndex, const TMACROKEYINFO& AMacro);

    // Once the upload has ended: the macro's steps, and whether the mouse took it.
    std::function<void(int ASteps, bool AUploaded)> OnStored;

private:
    void AnnounceRecordedMacro(const TMACROKEYINFO& AMacro, bool AStored, int AProfileIndex);
    void ReportStorageError(const EProfileError& AError);

    TDM& FDM;
    TProfileUploader& FUploader;
    platform::IWindowSystem& FWindows;
    platform::IDebugOutput& FDebug;
};

} // namespace vanto
