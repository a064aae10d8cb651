// How the client words system errors: sockets as the Windows client prints them, files as the C
// library does.
#pragma once

#include <string>
#include <string_view>

namespace adb {

// The Winsock and system codes the wording knows.
constexpr int kWinsockNetworkUnreachable = 10051;
constexpr int kWinsockTimedOut = 10060;
constexpr int kWinsockConnectionRefused = 10061;
constexpr int kWinsockHostUnreachable = 10065;
constexpr int kWinsockHostNotFound = 11001;
constexpr unsigned long kFileNotFound = 2;
constexpr unsigned long kPathNotFound = 3;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned long kSharingViolation = 32;
constexpr unsigned long kBadNetworkPath = 53;
constexpr unsigned long kDiskFull = 112;
constexpr unsigned long kInvalidName = 123;
constexpr unsigned long kTooManyOpenFiles = 4;
constexpr unsigned long kNotEnoughMemory = 8;
constexpr unsigned long kOutOfMemory = 14;
constexpr unsigned long kInvalidDrive = 15;
constexpr unsigned long kWriteProtect = 19;
constexpr unsigned long kNotReady = 21;
constexpr unsigned long kCrc = 23;
constexpr unsigned long kReadFault = 30;
constexpr unsigned long kGenFailure = 31;
constexpr unsigned long kLockViolation = 33;
constexpr unsigned long kHandleDiskFull = 39;
constexpr unsigned long kFileExists = 80;
constexpr unsigned long kBufferOverflow = 111;
constexpr unsigned long kAlreadyExists = 183;
constexpr unsigned long kFileNameTooLong = 206;
constexpr unsigned long kNotADirectory = 267;

// "<words> (<code>)": the system's words without their line end, or our English ones when the
// system has none.
std::string WordSocketError(int code, std::string_view systemWords);

// "No such file or directory", "Permission denied", ...; "error <code>" for the rest.
std::string FileErrorText(unsigned long code);

}  // namespace adb
