// Decoding the window's PNG and JPEG pictures from memory into a 32-bit pixel buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace ui {

// Rows top-down, each pixel a 32-bit value 0xAARRGGBB (bytes B, G, R, A in memory, as a 32-bit DIB
// wants them); the alpha is straight, not premultiplied. Pictures without alpha have A = 255.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool hasAlpha = false;
};

// Pictures larger than this are refused rather than allocated: a damaged header can claim any size.
inline constexpr size_t kMaxPicturePixels = size_t{4096} * 4096;

// Decodes a PNG or JPEG (told apart by their signatures). Empty when the bytes are neither, are
// damaged or truncated, or the picture is larger than kMaxPicturePixels.
std::optional<Picture> DecodePicture(const void* bytes, size_t size);

// Blends every pixel over the background colour (0x00BBGGRR) and makes the picture opaque.
void CompositeOver(Picture& picture, uint32_t backgroundColour);

}  // namespace ui
