// vantoctl.exe export and import beside a running VantoMon.exe: the profile goes where this user
// keeps it (the registry value and, as the setting group says, the profile file in Documents) and
// the monitor hears of it as it hears of the configuration application's own saves.

#include "MonitorProcess.h"
#include "shared/pubunit_quorvin.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;
constexpr wchar_t REGISTRY_KEY[] = L"software\\VantoGamingMouse";
constexpr wchar_t PROFILE_1_VALUE[] = L"VantoProfile1.pfd";
constexpr wchar_t GROUP_VALUE[] = L"VantoProfileSettingGroup.pfd";
constexpr std::size_t CHANGED_AT =
    offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[3].nSingleKeyValue);
// Bytes no field of the text carries: one in the changed button itself, one elsewhere.
constexpr std::size_t UNCARRIED_IN_BUTTON =
    offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[3].Reserved928) + 5;
constexpr std::size_t UNCARRIED_ELSEWHERE = offsetof(TMouseProfileInfo, FunctionList) + 17;

std::optional<std::string> ReadValue(const wchar_t* AName) {
    DWORD Size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, AName, RRF_RT_REG_BINARY, nullptr, nullptr,
                     &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::string Bytes(Size, '\0');
    if (RegGetValueW(HKEY_CURRENT_USER, REGISTRY_KEY, AName, RRF_RT_REG_BINARY, nullptr,
                     Bytes.data(), &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Bytes.resize(Size);
    return Bytes;
}

bool WriteValue(const wchar_t* AName, const std::optional<std::string>& ABytes) {
    if (!ABytes) {
        const LSTATUS Status = RegDeleteKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, AName);
        return Status == ERROR_SUCCESS || Status == ERROR_FILE_NOT_FOUND;
    }
    return RegSetKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, AName, REG_BINARY, ABytes->data(),
                           static_cast<DWORD>(ABytes->size())) == ERROR_SUCCESS;
}

bool WriteProfileId(DWORD AValue) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, REGISTRY_KEY, L"ProfileID", REG_DWORD, &AValue,
                           sizeof(AValue)) == ERROR_SUCCESS;
}

std::optional<std::string> ReadBytes(const std::wstring& APath) {
    std::ifstream In(std::filesystem::path(APath), std::ios::binary);
    if (!In) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(In), {});
}

bool WriteBytes(const std::wstring& APath, const std::optional<std::string>& ABytes) {
    if (!ABytes) {
        return DeleteFileW(APath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    std::ofstream Out(std::filesystem::path(APath), std::ios::binary | std::ios::trunc);
    Out.write(ABytes->data(), static_cast<std::streamsize>(ABytes->size()));
    return static_cast<bool>(Out.flush());
}

std::wstring RecordText(const char16_t* AText) {
    return std::wstring(reinterpret_cast<const wchar_t*>(AText));
}

// Where the stored setting group keeps game profile 1, when it keeps it in a file.
std::optional<std::wstring> ProfileFileOfGroup(const std::string& AGroup) {
    auto Group = std::make_unique<TProfileSettingGroup>();
    if (AGroup.size() != sizeof(TProfileSettingGroup)) {
        return std::nullopt;
    }
    std::memcpy(Group.get(), AGroup.data(), AGroup.size());
    const TPROFILESETTINGINFO& Entry = Group->ProfileSettingList[0];
    if (Entry.nStorageType != STORAGE_FILE) {
        return std::nullopt;
    }
    std::wstring Folder = RecordText(Entry.szFilePath);
    if (!Folder.empty() && Folder.back() != L'\\') {
        Folder += L'\\';
    }
    return Folder + RecordText(Entry.szFileName);
}

std::uint16_t U16At(const std::string& ABytes, std::size_t AOffset) {
    std::uint16_t Value = 0;
    std::memcpy(&Value, ABytes.data() + AOffset, sizeof(Value));
    return Value;
}

// The text of the fourth button with its single key made AKey.
std::optional<std::string> WithButton3Key(std::string AJson, int AKey) {
    const std::string Field = "\"nSingleKeyValue\": ";
    std::size_t At = AJson.find("\"ButtonFuncInfo\"");
    for (int Button = 0; Button <= 3 && At != std::string::npos; ++Button) {
        At = AJson.find(Field, At + 1);
    }
    if (At == std::string::npos) {
        return std::nullopt;
    }
    At += Field.size();
    const std::size_t End = AJson.find_first_not_of("0123456789", At);
    AJson.replace(At, End - At, std::to_string(AKey));
    return AJson;
}

struct TCtlRun {
    DWORD FExit = STILL_ACTIVE;
    std::string FOut;
    std::string FErr;
};

class MonitorImportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const TMonitorCopy Copy = CopyMonitorToFolder(VANTO_MONITOR_EXE, L"VantoMonImport");
        FFolder = Copy.FFolder;
        FExecutable = Copy.FExecutable;
    }

    static void TearDownTestSuite() {
        std::error_code Ignored;
        std::filesystem::remove_all(std::filesystem::path(FFolder), Ignored);
    }

    // The monitor is running and has stored its profiles; the group and profile 1 are put back
    // afterwards for the tests that expect the factory ones.
    void SetUp() override {
        ASSERT_TRUE(MonitorWindows().empty()) << "a monitor is already running";
        FMonitor = std::make_unique<TMonitorProcess>(FExecutable);
        ASSERT_NE(FMonitor->WaitForWindow(WAIT_MS), nullptr);
        FGroupBefore = ReadValue(GROUP_VALUE);
        ASSERT_TRUE(FGroupBefore.has_value());
        FProfileValueBefore = ReadValue(PROFILE_1_VALUE);
        const std::optional<std::wstring> File = ProfileFileOfGroup(*FGroupBefore);
        ASSERT_TRUE(File.has_value()) << "the factory setting group keeps profile 1 in a file";
        FProfileFile = *File;
        FProfileFileBefore = ReadBytes(FProfileFile);
        ASSERT_TRUE(FProfileFileBefore.has_value());
        ASSERT_EQ(FProfileFileBefore->size(), sizeof(TMouseProfileInfo));
    }

    void TearDown() override {
        FMonitor.reset();
        EXPECT_TRUE(WriteValue(GROUP_VALUE, FGroupBefore));
        EXPECT_TRUE(WriteValue(PROFILE_1_VALUE, FProfileValueBefore));
        EXPECT_TRUE(WriteBytes(FProfileFile, FProfileFileBefore));
    }

    // vantoctl.exe with its output caught in files; a Windows program's handle can be waited on.
    static TCtlRun RunVantoCtl(const std::wstring& AArguments) {
        const std::wstring OutPath = FFolder + L"\\out.txt";
        const std::wstring ErrPath = FFolder + L"\\err.txt";
        SECURITY_ATTRIBUTES Inherit{sizeof(Inherit), nullptr, TRUE};
        const HANDLE Out = CreateFileW(OutPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &Inherit,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        const HANDLE Err = CreateFileW(ErrPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &Inherit,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW Startup{};
        Startup.cb = sizeof(Startup);
        Startup.dwFlags = STARTF_USESTDHANDLES;
        Startup.hStdOutput = Out;
        Startup.hStdError = Err;
        const std::wstring Program = WindowsPathOf(VANTO_CTL_EXE);
        std::wstring CommandLine = L"\"" + Program + L"\" " + AArguments;
        PROCESS_INFORMATION Process{};
        TCtlRun Run;
        if (CreateProcessW(Program.c_str(), CommandLine.data(), nullptr, nullptr, TRUE,
                           CREATE_NO_WINDOW, nullptr, nullptr, &Startup, &Process)) {
            CloseHandle(Process.hThread);
            if (!PumpUntil(
                    [&] { return WaitForSingleObject(Process.hProcess, 0) == WAIT_OBJECT_0; },
                    WAIT_MS)) {
                TerminateProcess(Process.hProcess, STILL_ACTIVE);
                WaitForSingleObject(Process.hProcess, WAIT_MS);
            }
            GetExitCodeProcess(Process.hProcess, &Run.FExit);
            CloseHandle(Process.hProcess);
        }
        CloseHandle(Out);
        CloseHandle(Err);
        Run.FOut = ReadBytes(OutPath).value_or("");
        Run.FErr = ReadBytes(ErrPath).value_or("");
        return Run;
    }

    // Profile 1 with a byte no text carries, stored in both places as the configuration
    // application stores it, then exported and given another key on button 3.
    std::string EditedExport(const std::wstring& AJsonFile, int AKey, std::string& AStored) {
        AStored = *FProfileFileBefore;
        AStored[UNCARRIED_IN_BUTTON] = 0x5A;
        AStored[UNCARRIED_ELSEWHERE] = 0x42;
        EXPECT_TRUE(WriteBytes(FProfileFile, AStored));
        EXPECT_TRUE(WriteValue(PROFILE_1_VALUE, AStored));
        const TCtlRun Export = RunVantoCtl(L"export 1 -o \"" + AJsonFile + L"\"");
        EXPECT_EQ(Export.FExit, 0u) << Export.FErr;
        const std::optional<std::string> Edited =
            WithButton3Key(ReadBytes(AJsonFile).value_or(""), AKey);
        EXPECT_TRUE(Edited.has_value()) << "no fourth nSingleKeyValue in the exported text";
        EXPECT_TRUE(WriteBytes(AJsonFile, Edited.value_or("")));
        return Edited.value_or("");
    }

    static std::wstring FFolder;
    static std::wstring FExecutable;
    std::unique_ptr<TMonitorProcess> FMonitor;
    std::optional<std::string> FGroupBefore;
    std::optional<std::string> FProfileValueBefore;
    std::wstring FProfileFile;
    std::optional<std::string> FProfileFileBefore;
};

std::wstring MonitorImportTest::FFolder;
std::wstring MonitorImportTest::FExecutable;

// Group 1 is made current so that the monitor's ProfileID shows the lParam came from the stored
// group and not from a default.
TEST_F(MonitorImportTest, AnEditedExportIsStoredInBothPlacesAndTheMonitorReloads) {
    std::string Group = *FGroupBefore;
    const std::int32_t GroupOne = 1;
    std::memcpy(Group.data() + offsetof(TProfileSettingGroup, CurrentProfileGroup), &GroupOne,
                sizeof(GroupOne));
    ASSERT_TRUE(WriteValue(GROUP_VALUE, Group));
    ASSERT_TRUE(WriteProfileId(7));
    // A name no single ANSI code page holds, as a user's file may have.
    const std::wstring Json = FFolder + L"\\pr\u00F8fil-\u0436.json";
    std::string Before;
    ASSERT_FALSE(EditedExport(Json, 65, Before).empty());
    ASSERT_NE(U16At(Before, CHANGED_AT), 65) << "the factory key is already the new one";

    const TCtlRun Import = RunVantoCtl(L"import \"" + Json + L"\" 1");
    ASSERT_EQ(Import.FExit, 0u) << Import.FErr;
    EXPECT_TRUE(Import.FOut.empty());
    EXPECT_NE(Import.FErr.find("the monitor reloads it"), std::string::npos) << Import.FErr;

    const std::optional<std::string> Value = ReadValue(PROFILE_1_VALUE);
    ASSERT_TRUE(Value.has_value());
    ASSERT_EQ(Value->size(), Before.size());
    EXPECT_EQ(U16At(*Value, CHANGED_AT), 65);
    for (std::size_t At = 0; At < Before.size(); ++At) {
        if (At != CHANGED_AT && At != CHANGED_AT + 1 && (*Value)[At] != Before[At]) {
            ADD_FAILURE() << "byte " << At << " changed, beside the key of button 3";
            break;
        }
    }
    // Compared whole, not printed: a profile is 110 KB.
    EXPECT_TRUE(ReadBytes(FProfileFile) == Value) << "the profile file differs from the value";
    EXPECT_EQ(GetFileAttributesW((FProfileFile + L".tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(PumpUntil([] { return ReadProfileId() == std::optional<DWORD>(1); }, WAIT_MS))
        << "the monitor did not store the group of WM_CFG_PROFILE_CHANGED as its ProfileID";
    EXPECT_FALSE(FMonitor->WaitForExit(0));
}

TEST_F(MonitorImportTest, WhileTheConfigAppRunsImportRefusesAndWritesNothing) {
    const std::wstring Json = FFolder + L"\\refused.json";
    std::string Stored;
    ASSERT_FALSE(EditedExport(Json, 66, Stored).empty());
    const TConfigAppStandIn ConfigApp;
    ASSERT_NE(ConfigApp.Window(), nullptr);

    const TCtlRun Refused = RunVantoCtl(L"import \"" + Json + L"\" 1");
    EXPECT_EQ(Refused.FExit, 1u);
    EXPECT_EQ(std::count(Refused.FErr.begin(), Refused.FErr.end(), '\n'), 1) << Refused.FErr;
    EXPECT_NE(Refused.FErr.find("the configuration application is running"), std::string::npos)
        << Refused.FErr;
    EXPECT_TRUE(ReadValue(PROFILE_1_VALUE) == Stored) << "the registry value changed";
    EXPECT_TRUE(ReadBytes(FProfileFile) == Stored) << "the profile file changed";

    const TCtlRun Forced = RunVantoCtl(L"import \"" + Json + L"\" 1 --force");
    EXPECT_EQ(Forced.FExit, 0u) << Forced.FErr;
    EXPECT_EQ(U16At(ReadValue(PROFILE_1_VALUE).value_or(Stored), CHANGED_AT), 66);
}

} // namespace
} // namespace vanto::monitortest
