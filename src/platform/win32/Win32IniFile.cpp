#include "platform/win32/Win32IniFile.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <vector>

namespace vanto::win32 {

namespace {

// The profile functions cut what does not fit and say so only by the length they return, so the
// buffer grows until the result is shorter than it by more than the terminators.
template <typename TRead> std::vector<wchar_t> ReadGrowing(TRead ARead, DWORD ATerminators) {
    std::vector<wchar_t> Buffer(1024);
    for (;;) {
        DWORD Length = ARead(Buffer.data(), static_cast<DWORD>(Buffer.size()));
        if (Length + ATerminators < Buffer.size() || Buffer.size() >= (1u << 24)) {
            Buffer.resize(Length);
            return Buffer;
        }
        Buffer.resize(Buffer.size() * 4);
    }
}

} // namespace

int TWin32IniFile::ReadInteger(const std::u16string& AFile, const std::u16string& ASection,
                               const std::u16string& AKey, int ADefault) {
    return static_cast<int>(
        GetPrivateProfileIntW(AsWide(ASection), AsWide(AKey), ADefault, AsWide(AFile)));
}

std::u16string TWin32IniFile::ReadString(const std::u16string& AFile,
                                         const std::u16string& ASection, const std::u16string& AKey,
                                         const std::u16string& ADefault) {
    auto Text = ReadGrowing(
        [&](wchar_t* ABuffer, DWORD ASize) {
            return GetPrivateProfileStringW(AsWide(ASection), AsWide(AKey), AsWide(ADefault),
                                            ABuffer, ASize, AsWide(AFile));
        },
        1);
    return FromWide({Text.data(), Text.size()});
}

platform::TIniPairs TWin32IniFile::ReadSection(const std::u16string& AFile,
                                               const std::u16string& ASection) {
    auto Block = ReadGrowing(
        [&](wchar_t* ABuffer, DWORD ASize) {
            return GetPrivateProfileSectionW(AsWide(ASection), ABuffer, ASize, AsWide(AFile));
        },
        2);
    // "key=value\0key=value\0\0": each entry up to its NUL.
    platform::TIniPairs Pairs;
    std::size_t Start = 0;
    for (std::size_t I = 0; I <= Block.size(); ++I) {
        if (I < Block.size() && Block[I] != L'\0') {
            continue;
        }
        std::u16string Entry = FromWide({Block.data() + Start, I - Start});
        Start = I + 1;
        std::size_t Equals = Entry.find(u'=');
        if (!Entry.empty() && Equals != std::u16string::npos) {
            Pairs.emplace_back(Entry.substr(0, Equals), Entry.substr(Equals + 1));
        }
    }
    return Pairs;
}

} // namespace vanto::win32
