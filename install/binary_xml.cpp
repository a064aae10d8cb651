#include "install/binary_xml.h"

#include <algorithm>

namespace {

constexpr uint16_t kStringPoolType = 0x0001;
constexpr uint16_t kXmlType = 0x0003;
constexpr uint16_t kXmlFirstNode = 0x0100;
constexpr uint16_t kXmlLastNode = 0x017f;
constexpr uint16_t kXmlStartElement = 0x0102;
constexpr uint16_t kXmlEndElement = 0x0103;
constexpr uint16_t kXmlResourceMap = 0x0180;
constexpr uint32_t kUtf8Flag = 0x100;
constexpr size_t kStringPoolHeader = 28;
constexpr size_t kNodeHeader = 16;
constexpr size_t kAttributeExtension = 20;
constexpr size_t kAttributeBytes = 20;

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::optional<uint16_t> ReadU16(std::string_view bytes, size_t at) {
    if (at > bytes.size() || bytes.size() - at < 2) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

std::optional<uint32_t> ReadU32(std::string_view bytes, size_t at) {
    if (at > bytes.size() || bytes.size() - at < 4) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::optional<ChunkHeader> ReadChunkHeader(std::string_view bytes, size_t at, size_t end, size_t minHeader) {
    end = std::min(end, bytes.size());
    if (at >= end || end - at < 8) {
        return std::nullopt;
    }
    ChunkHeader header{*ReadU16(bytes, at), *ReadU16(bytes, at + 2), *ReadU32(bytes, at + 4)};
    if (header.headerSize < minHeader || header.size < header.headerSize || header.size > end - at) {
        return std::nullopt;
    }
    return header;
}

std::optional<StringPool> StringPool::Parse(std::string_view chunk) {
    const std::optional<ChunkHeader> header = ReadChunkHeader(chunk, 0, chunk.size(), kStringPoolHeader);
    if (!header || header->type != kStringPoolType) {
        return std::nullopt;
    }
    const uint32_t count = *ReadU32(chunk, 8);
    const uint32_t styles = *ReadU32(chunk, 12);
    const uint32_t flags = *ReadU32(chunk, 16);
    const uint32_t stringsStart = *ReadU32(chunk, 20);
    const uint32_t stylesStart = *ReadU32(chunk, 24);
    const uint64_t size = header->size;
    if (header->headerSize + 4 * (static_cast<uint64_t>(count) + styles) > size) {
        return std::nullopt;
    }
    StringPool pool;
    pool.count_ = count;
    pool.utf8_ = (flags & kUtf8Flag) != 0;
    pool.offsetsStart_ = header->headerSize;
    if (count > 0) {
        if (stringsStart >= size) {
            return std::nullopt;
        }
        uint64_t stringsEnd = size;
        if (styles > 0) {
            if (stylesStart <= stringsStart || stylesStart > size) {
                return std::nullopt;
            }
            stringsEnd = stylesStart;
        }
        pool.stringsStart_ = stringsStart;
        pool.stringsEnd_ = static_cast<size_t>(stringsEnd);
    }
    pool.bytes_.assign(chunk.substr(0, static_cast<size_t>(size)));
    return pool;
}

std::optional<std::string> StringPool::At(uint32_t index, size_t maxBytes) const {
    if (index >= count_) {
        return std::nullopt;
    }
    const std::string_view strings = std::string_view(bytes_).substr(0, stringsEnd_);
    const uint32_t offset = *ReadU32(bytes_, offsetsStart_ + 4 * static_cast<size_t>(index));
    if (offset >= stringsEnd_ - stringsStart_) {
        return std::nullopt;
    }
    size_t at = stringsStart_ + offset;
    if (utf8_) {
        // Two lengths, each one or two bytes: the UTF-16 length (unused here), then the byte length.
        size_t lengths[2] = {0, 0};
        for (size_t& length : lengths) {
            if (at >= strings.size()) {
                return std::nullopt;
            }
            const uint8_t first = static_cast<uint8_t>(strings[at++]);
            length = first;
            if (first & 0x80) {
                if (at >= strings.size()) {
                    return std::nullopt;
                }
                length = ((first & 0x7Fu) << 8) | static_cast<uint8_t>(strings[at++]);
            }
        }
        const size_t length = lengths[1];
        if (length > maxBytes || length >= strings.size() - std::min(at, strings.size()) || strings[at + length] != 0) {
            return std::nullopt;
        }
        return std::string(strings.substr(at, length));
    }
    const std::optional<uint16_t> first = ReadU16(strings, at);
    if (!first) {
        return std::nullopt;
    }
    size_t units = *first;
    at += 2;
    if (units & 0x8000) {
        const std::optional<uint16_t> low = ReadU16(strings, at);
        if (!low) {
            return std::nullopt;
        }
        units = ((units & 0x7FFF) << 16) | *low;
        at += 2;
    }
    if (units > maxBytes || at > strings.size() || (strings.size() - at) / 2 < units + 1 ||
        *ReadU16(strings, at + 2 * units) != 0) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        uint32_t code = *ReadU16(strings, at + 2 * i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units) {
            const uint32_t low = *ReadU16(strings, at + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        AppendUtf8(text, code);
    }
    return text;
}

std::optional<BinaryXml> BinaryXml::Parse(std::string_view document) {
    if (document.size() > kMaxBinaryXmlBytes) {
        return std::nullopt;
    }
    const std::optional<ChunkHeader> header = ReadChunkHeader(document, 0, document.size(), 8);
    if (!header || header->type != kXmlType) {
        return std::nullopt;
    }
    BinaryXml xml;
    xml.end_ = header->size;
    bool havePool = false;
    for (size_t at = header->headerSize; at < xml.end_;) {
        const std::optional<ChunkHeader> chunk = ReadChunkHeader(document, at, xml.end_, 8);
        if (!chunk) {
            return std::nullopt;
        }
        if (chunk->type == kStringPoolType && !havePool) {
            std::optional<StringPool> pool = StringPool::Parse(document.substr(at, chunk->size));
            if (!pool) {
                return std::nullopt;
            }
            xml.strings_ = std::move(*pool);
            havePool = true;
        } else if (chunk->type == kXmlResourceMap) {
            const size_t count = (chunk->size - chunk->headerSize) / 4;
            xml.resourceIds_.clear();
            xml.resourceIds_.reserve(count);
            for (size_t i = 0; i < count; ++i) {
                xml.resourceIds_.push_back(*ReadU32(document, at + chunk->headerSize + 4 * i));
            }
        } else if (chunk->type >= kXmlFirstNode && chunk->type <= kXmlLastNode) {
            xml.nodesStart_ = at;
            break;
        }
        at += chunk->size;
    }
    if (!havePool || xml.nodesStart_ == 0) {
        return std::nullopt;
    }
    xml.bytes_.assign(document.substr(0, xml.end_));
    return xml;
}

uint32_t BinaryXml::ResourceIdOf(uint32_t index) const {
    return index < resourceIds_.size() ? resourceIds_[index] : 0;
}

bool BinaryXml::ForEachStartElement(const std::function<bool(const XmlStartElement&)>& visit) const {
    const std::string_view bytes = bytes_;
    size_t depth = 0;
    for (size_t at = nodesStart_; at < end_;) {
        const std::optional<ChunkHeader> node = ReadChunkHeader(bytes, at, end_, kNodeHeader);
        if (!node) {
            return false;
        }
        if (node->type == kXmlStartElement) {
            if (node->size < node->headerSize + kAttributeExtension) {
                return false;
            }
            const size_t extension = at + node->headerSize;
            XmlStartElement element;
            element.depth = depth;
            element.ns = *ReadU32(bytes, extension);
            element.name = *ReadU32(bytes, extension + 4);
            const uint16_t attributeStart = *ReadU16(bytes, extension + 8);
            const uint16_t attributeSize = *ReadU16(bytes, extension + 10);
            const uint16_t attributeCount = *ReadU16(bytes, extension + 12);
            if (attributeCount > 0 && (attributeSize < kAttributeBytes ||
                                       attributeStart + static_cast<uint64_t>(attributeSize) * attributeCount >
                                           node->size - node->headerSize)) {
                return false;
            }
            element.attributes.reserve(attributeCount);
            for (size_t i = 0; i < attributeCount; ++i) {
                const size_t a = extension + attributeStart + i * attributeSize;
                XmlAttribute attribute;
                attribute.ns = *ReadU32(bytes, a);
                attribute.name = *ReadU32(bytes, a + 4);
                attribute.rawValue = *ReadU32(bytes, a + 8);
                attribute.value.dataType = static_cast<uint8_t>(bytes[a + 15]);
                attribute.value.data = *ReadU32(bytes, a + 16);
                element.attributes.push_back(attribute);
            }
            ++depth;
            if (!visit(element)) {
                return true;
            }
        } else if (node->type == kXmlEndElement && depth > 0) {
            --depth;
        }
        at += node->size;
    }
    return true;
}
