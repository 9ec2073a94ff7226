#include "Trace.h"

#include "app/VantoMonExMain.h"
#include "platform/TrayIcon.h"
#include "shared/ConfigAppInterface.h"

#include <array>
#include <cstdio>
#include <utility>

namespace vanto::simrun {

namespace {

constexpr std::array<std::pair<std::string_view, platform::TMessageId>, 9> MESSAGE_NAMES{{
    {"WM_CFG_PROFILE_CHANGED", WM_CFG_PROFILE_CHANGED},
    {"WM_MONITOR_EXIT", WM_MONITOR_EXIT},
    {"WM_CFG_SETTINGS_CHANGED", WM_CFG_SETTINGS_CHANGED},
    {"WM_MACRO_RECORDED", WM_MACRO_RECORDED},
    {"WM_PROFILE_SWITCH", WM_PROFILE_SWITCH},
    {"WM_BUTTON_EVENT", WM_BUTTON_EVENT},
    {"WM_COMMAND", platform::WM_COMMAND_MESSAGE},
    {"WM_TIMER", platform::WM_TIMER_MESSAGE},
    {"WM_POWERBROADCAST", platform::WM_POWERBROADCAST_MESSAGE},
}};

void AppendUtf8(std::string& AOut, char32_t ACode) {
    if (ACode < 0x80) {
        AOut += static_cast<char>(ACode);
    } else if (ACode < 0x800) {
        AOut += static_cast<char>(0xC0 | (ACode >> 6));
        AOut += static_cast<char>(0x80 | (ACode & 0x3F));
    } else if (ACode < 0x10000) {
        AOut += static_cast<char>(0xE0 | (ACode >> 12));
        AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
        AOut += static_cast<char>(0x80 | (ACode & 0x3F));
    } else {
        AOut += static_cast<char>(0xF0 | (ACode >> 18));
        AOut += static_cast<char>(0x80 | ((ACode >> 12) & 0x3F));
        AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
        AOut += static_cast<char>(0x80 | (ACode & 0x3F));
    }
}

} // namespace

void TTrace::Line(std::string_view AText) {
    char Stamp[32];
    std::snprintf(Stamp, sizeof Stamp, "[%7llu ms] ",
                  static_cast<unsigned long long>(FClock.NowMs()));
    std::lock_guard Guard(FLock);
    FOut << Stamp << AText << '\n';
}

void TTrace::More(std::string_view AText) {
    std::lock_guard Guard(FLock);
    FOut << "             " << AText << '\n';
}

std::string Utf8(std::u16string_view AText) {
    std::string Result;
    for (std::size_t I = 0; I < AText.size(); ++I) {
        char32_t Code = AText[I];
        const bool High = Code >= 0xD800 && Code <= 0xDBFF;
        if (High && I + 1 < AText.size() && AText[I + 1] >= 0xDC00 && AText[I + 1] <= 0xDFFF) {
            Code = 0x10000 + ((Code - 0xD800) << 10) + (AText[I + 1] - 0xDC00);
            ++I;
        } else if (Code >= 0xD800 && Code <= 0xDFFF) {
            Code = 0xFFFD; // a lone surrogate cannot be written as UTF-8
        }
        AppendUtf8(Result, Code);
    }
    return Result;
}

std::u16string Utf16(std::string_view AAscii) {
    return std::u16string(AAscii.begin(), AAscii.end());
}

std::string Quoted(std::u16string_view AText) {
    return '"' + Utf8(AText) + '"';
}

std::string MessageName(platform::TMessageId AMsg) {
    for (const auto& [Name, Id] : MESSAGE_NAMES) {
        if (Id == AMsg) {
            return std::string(Name);
        }
    }
    return {};
}

std::optional<platform::TMessageId> MessageByName(std::string_view AName) {
    for (const auto& [Name, Id] : MESSAGE_NAMES) {
        if (Name == AName) {
            return Id;
        }
    }
    return std::nullopt;
}

std::string DescribeMessage(platform::TMessageId AMsg, platform::TWParam AWParam,
                            platform::TLParam ALParam) {
    std::string Name = MessageName(AMsg);
    return std::to_string(AMsg) + (Name.empty() ? "" : " " + Name) +
           " w=" + std::to_string(AWParam) + " l=" + std::to_string(ALParam);
}

} // namespace vanto::simrun
