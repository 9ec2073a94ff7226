#include "app/RecordedMacroStore.h"

#include "platform/Utf16.h"
#include "profile/ProfileErrors.h"
#include "shared/ConfigAppInterface.h"

namespace vanto {

namespace {

bool CarriesRecordedMacro(const TBUTTONFUNCINFO& AButton) {
    return AButton.nFunctionType == FUNCTION_TYPE_PLAY_MACRO ||
           (AButton.nFunctionType == FUNCTION_TYPE_MACRO_BY_INDEX &&
            AButton.MacroKeyInfo.nMacroIndex == 0);
}

} // namespace

TRecordedMacroStore::TRecordedMacroStore(TDM& ADM, TProfileUploader& AUploader,
                                         platform::IWindowSystem& AWindows,
                                         platform::IDebugOutput& ADebug)
    : FDM(ADM), FUploader(AUploader), FWindows(AWindows), FDebug(ADebug) {}

void TRecordedMacroStore::StoreRecordedMacro(std::uint8_t AKeyIndex, const TMACROKEYINFO& AMacro) {
    try {
        FDM.LoadCurrentProfileInfoFromRegistry();
    } catch (const EProfileError& Error) {
        // What is in memory is the last profile read; the recording goes into that.
        ReportStorageError(Error);
    }
    TMouseProfileInfo& Profile = FDM.EditCurrentProfileInfo();
    if (AKeyIndex < BUTTON_COUNT) {
        TBUTTONFUNCINFO& Pressed = Profile.ConfigInfo.ButtonFuncInfo[AKeyIndex];
        Pressed.MacroKeyInfo = AMacro;
    }
    for (std::size_t Button = 0; Button < 10; ++Button) {
        TBUTTONFUNCINFO& Info = Profile.ConfigInfo.ButtonFuncInfo[Button];
        if (CarriesRecordedMacro(Info)) {
            Info.MacroKeyInfo = AMacro;
            Info.nFunctionGroup = MACRO_GROUP;
            Info.MacroKeyInfo.nMacroIndex = 0;
            Info.nFunctionID = 0;
        }
    }
    Profile.MacroKeyInfoList.MacroInfos[0] = AMacro;
    // A list that counted no macro would keep the upload from writing this one, and the
    // mouse's play button would run whatever its slot held before.
    if (Profile.MacroKeyInfoList.nMacroInfoCount == 0) {
        Profile.MacroKeyInfoList.nMacroInfoCount = 1;
    }

    bool Stored = false;
    try {
        FDM.SaveBackToCurrentProfileInfo();
        Stored = FDM.SaveCurrentProfileInfoToRegistry();
    } catch (const EProfileError& Error) {
        // The mouse still gets the macro the user just recorded.
        ReportStorageError(Error);
    }
    // The rest follows once the mouse has the macro, so that the configuration application,
    // told last, never talks to the mouse in the middle of this upload.
    const int ProfileIndex = FDM.ProfileIndex();
    FUploader.UploadProfileToDevice(FDM.CurrentProfileInfo(), ProfileIndex,
                                    [this, Macro = AMacro, Stored, ProfileIndex] {
                                        AnnounceRecordedMacro(Macro, Stored, ProfileIndex);
                                    });
}

void TRecordedMacroStore::AnnounceRecordedMacro(const TMACROKEYINFO& AMacro, bool AStored,
                                                int AProfileIndex) {
    try {
        FDM.SaveBackRecordMacroInfoToRegistry(AMacro);
    } catch (const EProfileError& Error) {
        ReportStorageError(Error);
    }
    if (OnStored) {
        OnStored(AMacro.MacroListCount, !FUploader.BankFailed(AProfileIndex));
    }
    // The message says the stored profile holds the macro: the application reloads it. The
    // send is the last step: what the application sends back is handled inside it.
    const platform::TWindowHandle ConfigApp = FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS);
    if (AStored && ConfigApp != 0) {
        FWindows.Send(ConfigApp, WM_MACRO_RECORDED, static_cast<platform::TWParam>(AProfileIndex),
                      0);
    }
}

// The other program may have stored something the monitor cannot read: the recording goes on
// to the mouse all the same.
void TRecordedMacroStore::ReportStorageError(const EProfileError& AError) {
    FDebug.Write(AsciiToUtf16(AError.what()));
}

} // namespace vanto
