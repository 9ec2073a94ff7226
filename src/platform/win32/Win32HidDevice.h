#pragma once

#include "platform/Hid.h"
#include "platform/win32/Win32HidLibrary.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vanto::win32 {

// A manual-reset event. Readers wait on it beside their read, so it stays set until Reset and
// wakes every reader at once.
class TWin32HidStopSignal final : public platform::IHidStopSignal {
public:
    TWin32HidStopSignal();
    TWin32HidStopSignal(const TWin32HidStopSignal&) = delete;
    TWin32HidStopSignal& operator=(const TWin32HidStopSignal&) = delete;
    ~TWin32HidStopSignal() override;

    void Set() override;
    void Reset() override;
    bool IsSet() override;
    bool Wait(std::uint32_t AMilliseconds) override;

    // Null when the event could not be created; a read cannot be stopped by such a signal.
    HANDLE Event() const { return FEvent; }

private:
    HANDLE FEvent = nullptr;
};

// One open handle of a HID interface, closed with the object.
//
// A handle opened for reading is overlapped: its Read waits on the read and the stop signal
// together and never leaves a read in flight when it returns. Read takes only a stop signal made
// by TWin32Hid, whose event it can wait on.
class TWin32HidDevice final : public platform::IHidDevice {
public:
    // Takes over AHandle and AReadEvent (null unless the handle is overlapped).
    TWin32HidDevice(std::shared_ptr<const THidLibrary> ALibrary, HANDLE AHandle, HANDLE AReadEvent);
    TWin32HidDevice(const TWin32HidDevice&) = delete;
    TWin32HidDevice& operator=(const TWin32HidDevice&) = delete;
    ~TWin32HidDevice() override;

    bool GetAttributes() override;
    std::optional<platform::THidCaps> GetCaps() override;
    platform::THidReadResult Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                                  platform::IHidStopSignal& AStop) override;
    std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) override;
    std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) override;
    std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) override;
    std::uint32_t MaxUsageListLength() override;
    std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                       std::uint32_t ALength) override;

private:
    bool IsOverlapped() const { return FReadEvent != nullptr; }
    PHIDP_PREPARSED_DATA PreparsedData();
    platform::THidReadResult FinishRead(OVERLAPPED& AOverlapped);
    void EndRead(OVERLAPPED& AOverlapped);
    std::uint32_t WriteOverlapped(const std::uint8_t* AReport, std::uint32_t ALength);

    std::shared_ptr<const THidLibrary> FLibrary;
    HANDLE FHandle;
    HANDLE FReadEvent;
    // Fetched on first use and kept until the handle closes.
    PHIDP_PREPARSED_DATA FPreparsedData = nullptr;
};

} // namespace vanto::win32
