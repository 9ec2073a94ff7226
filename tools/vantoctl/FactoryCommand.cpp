#include "FactoryCommand.h"

#include "i18n/Translate.h"
#include "profile/FactoryDefaults.h"
#include "shared/pubunit_quorvin.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>

namespace vanto::ctl {

namespace {

template <typename TRecord, typename TFill> std::vector<std::uint8_t> Build(TFill AFill) {
    auto Record = std::make_unique<TRecord>();
    AFill(*Record);
    std::vector<std::uint8_t> Bytes(sizeof(TRecord));
    std::memcpy(Bytes.data(), Record.get(), sizeof(TRecord));
    return Bytes;
}

} // namespace

double LocalDateTimeNow() {
    std::time_t Now = std::time(nullptr);
    // One call on one thread: the shared buffer of std::localtime is safe here.
    const std::tm Local = *std::localtime(&Now);
    using namespace std::chrono;
    const sys_days Day = year{Local.tm_year + 1900} /
                         month{static_cast<unsigned>(Local.tm_mon + 1)} /
                         day{static_cast<unsigned>(Local.tm_mday)};
    const sys_days Epoch = year{1899} / December / day{30};
    const double Seconds = Local.tm_hour * 3600.0 + Local.tm_min * 60.0 + Local.tm_sec;
    return static_cast<double>((Day - Epoch).count()) + Seconds / 86400.0;
}

std::optional<std::vector<std::uint8_t>> BuildFactoryRecord(std::string_view AKind,
                                                            const TFactoryOptions& AOptions) {
    if (AKind == "game") {
        return Build<TMouseProfileInfo>([&](TMouseProfileInfo& AProfile) {
            RestoreGameProfileDefaults(AProfile, AOptions.FNow,
                                       FactoryMacroName(Translate(u"User Recorded")));
        });
    }
    if (AKind == "test") {
        return Build<TMouseProfileInfo>([&](TMouseProfileInfo& AProfile) {
            RestoreTestProfileDefaults(AProfile, AOptions.FNow);
        });
    }
    if (AKind == "group") {
        std::u16string Folder = AOptions.FDocumentsFolder;
        if (!Folder.empty() && Folder.back() != u'\\') {
            Folder += u'\\';
        }
        return Build<TProfileSettingGroup>([&](TProfileSettingGroup& AGroup) {
            RestoreSettingGroupDefaults(AGroup, Folder + u"Vanto Gaming Mouse");
        });
    }
    if (AKind == "settings") {
        return Build<TALLGAMESINFO>(
            [&](TALLGAMESINFO& AAll) { RestoreAllSettingDefaults(AAll, AOptions.FSystemLangID); });
    }
    return std::nullopt;
}

} // namespace vanto::ctl
