// The entries of a ZIP archive: what the package readers and the bundle install need of one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How streaming one entry out of the archive ended.
enum class ZipCopyResult {
    kOk,
    kMissing,      // no such entry
    kUnsupported,  // encrypted, or compressed by a method other than stored or deflate
    kDamaged,      // the data cannot be read or inflated
    kBadCrc,       // the data read does not match the CRC-32 the archive declares
    kWrongSize,    // the data is shorter or longer than the archive declares
    kSinkFailed,   // the receiver of the data gave up
};

// Receives an entry's data piece by piece; false stops the copy.
using ZipSink = std::function<bool(const char* data, size_t size)>;

// An entry whose data is longer than `limit` reads as none, whatever its header declares.
struct ZipEntries {
    virtual ~ZipEntries() = default;
    virtual std::optional<std::string> Read(std::string_view name, size_t limit) = 0;
    virtual std::vector<std::string> Names() = 0;
    // The archive an entry holds (a bundle's base package), none when it cannot be opened.
    virtual std::unique_ptr<ZipEntries> OpenInner(std::string_view name, size_t limit) = 0;
    // The uncompressed size the archive declares for an entry; none for a missing entry.
    virtual std::optional<uint64_t> DeclaredSize(std::string_view name) = 0;
    // Streams an entry to `sink` without holding it whole, checking its size and CRC on the way.
    virtual ZipCopyResult Copy(std::string_view name, const ZipSink& sink) = 0;
};
