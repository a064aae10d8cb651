// Android's binary XML, as a package carries its AndroidManifest.xml: the chunks, the string pool and
// the start elements with their attributes. Every length and offset is checked against its chunk; a
// damaged document yields nothing rather than a guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A document or table larger than this is refused whole.
inline constexpr size_t kMaxBinaryXmlBytes = 8 * 1024 * 1024;
// Strings are decoded only up to a length the caller names; these are the usual ones.
inline constexpr size_t kMaxNameBytes = 256;
inline constexpr size_t kMaxValueBytes = 4096;
// Index meaning "no string".
inline constexpr uint32_t kNoIndex = 0xFFFFFFFF;

// A typed value (Res_value): a type and 32 bits of data.
struct ResValue {
    uint8_t dataType = 0;
    uint32_t data = 0;
};

namespace res_type {
inline constexpr uint8_t kNull = 0x00;
inline constexpr uint8_t kReference = 0x01;
inline constexpr uint8_t kString = 0x03;
inline constexpr uint8_t kDynamicReference = 0x07;
inline constexpr uint8_t kIntDec = 0x10;
inline constexpr uint8_t kIntHex = 0x11;
inline constexpr uint8_t kIntBoolean = 0x12;
}  // namespace res_type

// Little-endian reads that report whether the bytes were there.
std::optional<uint16_t> ReadU16(std::string_view bytes, size_t at);
std::optional<uint32_t> ReadU32(std::string_view bytes, size_t at);

// One string pool chunk (UTF-8 or UTF-16), kept as its own bytes; strings are decoded on demand.
class StringPool {
  public:
    // The chunk starts at chunk[0] and may be followed by other bytes.
    static std::optional<StringPool> Parse(std::string_view chunk);

    uint32_t Count() const { return count_; }
    bool IsUtf8() const { return utf8_; }
    // The string as UTF-8; none when the index is out of range, the string is damaged, or it is longer
    // than maxBytes (in the pool's own units, so the work is bounded by maxBytes).
    std::optional<std::string> At(uint32_t index, size_t maxBytes) const;

  private:
    std::string bytes_;
    uint32_t count_ = 0;
    size_t offsetsStart_ = 0;
    size_t stringsStart_ = 0;
    size_t stringsEnd_ = 0;
    bool utf8_ = false;
};

// The binary chunk header: what every chunk starts with.
struct ChunkHeader {
    uint16_t type = 0;
    uint16_t headerSize = 0;
    uint32_t size = 0;
};

// The header of the chunk at `at` when it lies whole inside bytes[at, end) with headerSize at least
// minHeader and size at least headerSize.
std::optional<ChunkHeader> ReadChunkHeader(std::string_view bytes, size_t at, size_t end, size_t minHeader);

struct XmlAttribute {
    uint32_t ns = kNoIndex;
    uint32_t name = kNoIndex;
    uint32_t rawValue = kNoIndex;
    ResValue value;
};

struct XmlStartElement {
    // 0 for the root element.
    size_t depth = 0;
    uint32_t ns = kNoIndex;
    uint32_t name = kNoIndex;
    std::vector<XmlAttribute> attributes;
};

class BinaryXml {
  public:
    // None for anything that is not a whole binary XML document with a string pool, or too large.
    static std::optional<BinaryXml> Parse(std::string_view document);

    const StringPool& Strings() const { return strings_; }
    // The resource id of attribute-name string `index`, 0 when it has none.
    uint32_t ResourceIdOf(uint32_t index) const;
    // Calls visit for each start element in document order until it returns false. False when the
    // walk met a damaged node (elements visited before it stand).
    bool ForEachStartElement(const std::function<bool(const XmlStartElement&)>& visit) const;

  private:
    std::string bytes_;
    StringPool strings_;
    std::vector<uint32_t> resourceIds_;
    size_t nodesStart_ = 0;
    size_t end_ = 0;
};
