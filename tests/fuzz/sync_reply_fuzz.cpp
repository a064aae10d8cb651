#include "adb/protocol/sync_framing.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text = fuzz::AsText(data, size);
    adb::SyncReply reply = adb::ParseSyncReply(text);
    if (reply.status == adb::SyncReply::Status::kFail && reply.reason.size() > adb::kSyncFailMax) {
        __builtin_trap();
    }
    (void)adb::ParseSyncHeader(text);
    return 0;
}
