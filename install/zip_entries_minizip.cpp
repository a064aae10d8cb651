#include "install/zip_entries_minizip.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <unzip.h>

namespace {

// An archive in memory, behind minizip's file functions.
struct MemoryFile {
    std::string bytes;
    size_t position = 0;
};

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int) {
    return opaque;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf stream, void* buffer, uLong size) {
    auto* file = static_cast<MemoryFile*>(stream);
    const size_t count = std::min<size_t>(size, file->bytes.size() - file->position);
    std::memcpy(buffer, file->bytes.data() + file->position, count);
    file->position += count;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf stream) {
    return static_cast<MemoryFile*>(stream)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto* file = static_cast<MemoryFile*>(stream);
    ZPOS64_T base = 0;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) {
        base = file->position;
    } else if (origin == ZLIB_FILEFUNC_SEEK_END) {
        base = file->bytes.size();
    }
    if (offset > file->bytes.size() || base > file->bytes.size() - offset) {
        return -1;
    }
    file->position = static_cast<size_t>(base + offset);
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK ErrorMemory(voidpf, voidpf) {
    return 0;
}

class MinizipEntries : public ZipEntries {
  public:
    MinizipEntries(unzFile zip, std::unique_ptr<MemoryFile> memory) : zip_(zip), memory_(std::move(memory)) {}
    ~MinizipEntries() override { (void)unzClose(zip_); }
    MinizipEntries(const MinizipEntries&) = delete;
    MinizipEntries& operator=(const MinizipEntries&) = delete;

    std::optional<std::string> Read(std::string_view name, size_t limit) override {
        if (!Locate(name)) {
            return std::nullopt;
        }
        return ReadCurrent(limit);
    }

    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        for (int status = unzGoToFirstFile(zip_); status == UNZ_OK && names.size() < kMaxZipNames;
             status = unzGoToNextFile(zip_)) {
            unz_file_info64 info;
            char name[kMaxZipNameBytes + 1];
            if (unzGetCurrentFileInfo64(zip_, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
                break;
            }
            if (info.size_filename <= kMaxZipNameBytes) {
                names.emplace_back(name, info.size_filename);
            }
        }
        return names;
    }

    std::unique_ptr<ZipEntries> OpenInner(std::string_view name, size_t limit) override {
        std::optional<std::string> bytes = Read(name, limit);
        return bytes ? OpenZipBytes(std::move(*bytes)) : nullptr;
    }

    std::optional<uint64_t> DeclaredSize(std::string_view name) override {
        unz_file_info64 info;
        if (!Locate(name) || unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            return std::nullopt;
        }
        return info.uncompressed_size;
    }

    ZipCopyResult Copy(std::string_view name, const ZipSink& sink) override {
        if (!Locate(name)) {
            return ZipCopyResult::kMissing;
        }
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
            return ZipCopyResult::kDamaged;
        }
        if ((info.flag & 1) != 0 || (info.compression_method != 0 && info.compression_method != Z_DEFLATED)) {
            return ZipCopyResult::kUnsupported;
        }
        if (unzOpenCurrentFile(zip_) != UNZ_OK) {
            return ZipCopyResult::kDamaged;
        }
        std::vector<char> buffer(kCopyPieceBytes);
        uint64_t copied = 0;
        int count = 0;
        while ((count = unzReadCurrentFile(zip_, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0) {
            copied += static_cast<unsigned>(count);
            if (!sink(buffer.data(), static_cast<size_t>(count))) {
                (void)unzCloseCurrentFile(zip_);
                return ZipCopyResult::kSinkFailed;
            }
        }
        // The reader stops at the declared size; data that ends early is short, data that goes on is
        // cut there and fails the CRC.
        const int closed = unzCloseCurrentFile(zip_);
        if (count < 0) {
            return ZipCopyResult::kDamaged;
        }
        if (copied != info.uncompressed_size) {
            return ZipCopyResult::kWrongSize;
        }
        if (closed == UNZ_CRCERROR) {
            return ZipCopyResult::kBadCrc;
        }
        return closed == UNZ_OK ? ZipCopyResult::kOk : ZipCopyResult::kDamaged;
    }

  private:
    static constexpr size_t kCopyPieceBytes = 256 * 1024;

    bool Locate(std::string_view name) {
        const std::string wanted(name);
        return unzLocateFile(zip_, wanted.c_str(), 1) == UNZ_OK;
    }

    std::optional<std::string> ReadCurrent(size_t limit) {
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.uncompressed_size > limit || (info.flag & 1) != 0 ||
            (info.compression_method != 0 && info.compression_method != Z_DEFLATED)) {
            return std::nullopt;
        }
        if (unzOpenCurrentFile(zip_) != UNZ_OK) {
            return std::nullopt;
        }
        std::string data;
        data.reserve(static_cast<size_t>(info.uncompressed_size));
        char buffer[64 * 1024];
        int count = 0;
        // The declared size is only a claim: the read stops at the limit whatever the data holds.
        while ((count = unzReadCurrentFile(zip_, buffer, sizeof buffer)) > 0) {
            if (static_cast<size_t>(count) > limit - data.size()) {
                (void)unzCloseCurrentFile(zip_);
                return std::nullopt;
            }
            data.append(buffer, static_cast<size_t>(count));
        }
        // Closing checks the CRC of data read to its end.
        if (unzCloseCurrentFile(zip_) != UNZ_OK || count < 0) {
            return std::nullopt;
        }
        return data;
    }

    unzFile zip_;
    std::unique_ptr<MemoryFile> memory_;
};

}  // namespace

std::unique_ptr<ZipEntries> OpenZipFile(const std::string& path) {
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr) {
        return nullptr;
    }
    return std::make_unique<MinizipEntries>(zip, nullptr);
}

std::unique_ptr<ZipEntries> OpenZipBytes(std::string bytes) {
    auto memory = std::make_unique<MemoryFile>();
    memory->bytes = std::move(bytes);
    zlib_filefunc64_def functions{};
    functions.zopen64_file = OpenMemory;
    functions.zread_file = ReadMemory;
    functions.zwrite_file = WriteMemory;
    functions.ztell64_file = TellMemory;
    functions.zseek64_file = SeekMemory;
    functions.zclose_file = CloseMemory;
    functions.zerror_file = ErrorMemory;
    functions.opaque = memory.get();
    unzFile zip = unzOpen2_64("memory", &functions);
    if (zip == nullptr) {
        return nullptr;
    }
    return std::make_unique<MinizipEntries>(zip, std::move(memory));
}
