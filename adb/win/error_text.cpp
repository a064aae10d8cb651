#include "adb/win/error_text.h"

namespace adb {
namespace {

std::string_view FallbackSocketWords(int code) {
    switch (code) {
        case kWinsockConnectionRefused:
            return "No connection could be made because the target machine actively refused it.";
        case kWinsockTimedOut:
            return "A connection attempt failed because the connected party did not properly respond after "
                   "a period of time, or established connection failed because connected host has failed to "
                   "respond.";
        case kWinsockHostNotFound:
            return "No such host is known.";
        case kWinsockNetworkUnreachable:
            return "A socket operation was attempted to an unreachable network.";
        case kWinsockHostUnreachable:
            return "A socket operation was attempted to an unreachable host.";
        default:
            return "Winsock error";
    }
}

}  // namespace

std::string WordSocketError(int code, std::string_view systemWords) {
    while (!systemWords.empty() &&
           (systemWords.back() == '\n' || systemWords.back() == '\r' || systemWords.back() == ' ')) {
        systemWords.remove_suffix(1);
    }
    std::string words(systemWords.empty() ? FallbackSocketWords(code) : systemWords);
    return words + " (" + std::to_string(code) + ")";
}

std::string FileErrorText(unsigned long code) {
    switch (code) {
        case kFileNotFound:
        case kPathNotFound:
        case kInvalidName:
        case kBadNetworkPath:
            return "No such file or directory";
        case kAccessDenied:
        case kSharingViolation:
            return "Permission denied";
        case kDiskFull:
        case kHandleDiskFull:
            return "No space left on device";
        case kFileNameTooLong:
        case kBufferOverflow:
            return "File name too long";
        case kTooManyOpenFiles:
            return "Too many open files";
        case kNotEnoughMemory:
        case kOutOfMemory:
            return "Cannot allocate memory";
        case kWriteProtect:
            return "Read-only file system";
        case kLockViolation:
            return "Resource temporarily unavailable";
        case kFileExists:
        case kAlreadyExists:
            return "File exists";
        case kNotADirectory:
            return "Not a directory";
        case kInvalidDrive:
        case kNotReady:
            return "No such device";
        case kCrc:
        case kReadFault:
        case kGenFailure:
            return "Input/output error";
        default:
            return "error " + std::to_string(code);
    }
}

}  // namespace adb
