#include "ui/picture_decode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

// A decoder that believed a damaged header would ask for gigabytes: here such a request throws at once
// instead of taking minutes to fill the memory.
void* operator new(size_t size) {
    void* block = size <= (size_t{256} << 20) ? std::malloc(size == 0 ? 1 : size) : nullptr;
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

namespace {

using Bytes = std::vector<unsigned char>;

// RGBA bytes, row by row.
Bytes EncodePng(int width, int height, const Bytes& rgba, bool withAlpha) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    Bytes source;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        source.insert(source.end(), rgba.begin() + i, rgba.begin() + i + (withAlpha ? 4 : 3));
    }
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, source.data(), 0, nullptr));
    Bytes png(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, png.data(), &size, 0, source.data(), 0, nullptr));
    png.resize(size);
    return png;
}

// A baseline JPEG whose left half is one colour and right half another (RGB triples).
Bytes EncodeJpeg(int width, int height, const unsigned char left[3], const unsigned char right[3]) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    Bytes row(width * 3);
    for (int x = 0; x < width; ++x) {
        std::memcpy(&row[x * 3], x < width / 2 ? left : right, 3);
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes jpeg(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return jpeg;
}

Bytes TestJpeg() {
    const unsigned char red[] = {255, 0, 0};
    const unsigned char blue[] = {0, 0, 255};
    return EncodeJpeg(32, 16, red, blue);
}

// A 4 x 3 picture: every pixel different, the alpha running from opaque to clear.
Bytes TestPngPixels() {
    Bytes rgba;
    for (int i = 0; i < 12; ++i) {
        rgba.insert(rgba.end(), {static_cast<unsigned char>(i * 20), static_cast<unsigned char>(100 + i),
                                 static_cast<unsigned char>(250 - i * 3), static_cast<unsigned char>(255 - i * 23)});
    }
    return rgba;
}

uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

bool Near(uint32_t pixel, unsigned r, unsigned g, unsigned b, int tolerance) {
    auto close = [&](unsigned actual, unsigned expected) {
        return std::abs(static_cast<int>(actual) - static_cast<int>(expected)) <= tolerance;
    };
    return (pixel >> 24) == 255 && close((pixel >> 16) & 0xFF, r) && close((pixel >> 8) & 0xFF, g) &&
           close(pixel & 0xFF, b);
}

void PutBigEndian(unsigned char* at, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i, value >>= 8) {
        at[i] = static_cast<unsigned char>(value & 0xFF);
    }
}

TEST(DecodePicture, PngWithAlphaKeepsEveryPixelTopDownAsStraightBgra) {
    const Bytes rgba = TestPngPixels();
    const Bytes png = EncodePng(4, 3, rgba, true);
    const auto picture = ui::DecodePicture(png.data(), png.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 4);
    EXPECT_EQ(picture->height, 3);
    EXPECT_TRUE(picture->hasAlpha);
    ASSERT_EQ(picture->pixels.size(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(picture->pixels[i], Argb(rgba[i * 4 + 3], rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2])) << i;
    }
}

TEST(DecodePicture, PngWithoutAlphaIsOpaque) {
    const Bytes rgba = TestPngPixels();
    const Bytes png = EncodePng(4, 3, rgba, false);
    const auto picture = ui::DecodePicture(png.data(), png.size());
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->hasAlpha);
    EXPECT_EQ(picture->pixels[5], Argb(255, rgba[20], rgba[21], rgba[22]));
}

TEST(DecodePicture, JpegGivesOpaquePixelsInPlace) {
    const Bytes jpeg = TestJpeg();
    const auto picture = ui::DecodePicture(jpeg.data(), jpeg.size());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 32);
    EXPECT_EQ(picture->height, 16);
    EXPECT_FALSE(picture->hasAlpha);
    // Away from the edge between the halves, where JPEG blurs.
    EXPECT_TRUE(Near(picture->pixels[2 * 32 + 3], 255, 0, 0, 8));
    EXPECT_TRUE(Near(picture->pixels[13 * 32 + 28], 0, 0, 255, 8));
}

TEST(DecodePicture, RefusesWhatIsNeitherPngNorJpeg) {
    const unsigned char gif[] = "GIF89a\x01\x00\x01\x00";
    EXPECT_FALSE(ui::DecodePicture(gif, sizeof(gif)));
    EXPECT_FALSE(ui::DecodePicture(gif, 0));
    EXPECT_FALSE(ui::DecodePicture(nullptr, 0));
    const unsigned char signatureOnly[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_FALSE(ui::DecodePicture(signatureOnly, sizeof(signatureOnly)));
    const unsigned char jpegStart[] = {0xFF, 0xD8, 0xFF};
    EXPECT_FALSE(ui::DecodePicture(jpegStart, sizeof(jpegStart)));
}

TEST(DecodePicture, TruncatedPngFailsAtEveryLengthBeforeItsEnd) {
    const Bytes png = EncodePng(4, 3, TestPngPixels(), true);
    const size_t endChunk = 12;  // IEND carries no pixels
    for (size_t length = 0; length < png.size() - endChunk; ++length) {
        const Bytes cut(png.begin(), png.begin() + length);
        EXPECT_FALSE(ui::DecodePicture(cut.data(), cut.size())) << length;
    }
}

TEST(DecodePicture, TruncatedJpegFailsAtEveryLength) {
    const Bytes jpeg = TestJpeg();
    for (size_t length = 0; length < jpeg.size(); ++length) {
        const Bytes cut(jpeg.begin(), jpeg.begin() + length);
        EXPECT_FALSE(ui::DecodePicture(cut.data(), cut.size())) << length;
    }
}

TEST(DecodePicture, PngWithDamagedPixelDataFails) {
    Bytes png = EncodePng(4, 3, TestPngPixels(), true);
    // Flip a byte inside the IDAT chunk's data: its checksum no longer matches.
    const auto idat = std::search(png.begin(), png.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    ASSERT_NE(idat, png.end());
    idat[6] ^= 0x55;
    EXPECT_FALSE(ui::DecodePicture(png.data(), png.size()));
}

TEST(DecodePicture, RefusesHugeClaimedSizesWithoutAllocating) {
    Bytes png = EncodePng(4, 3, TestPngPixels(), true);
    // IHDR data starts at 16: width, height; then its CRC over type and data at 29.
    PutBigEndian(&png[16], 60000, 4);
    PutBigEndian(&png[20], 60000, 4);
    PutBigEndian(&png[29], static_cast<uint32_t>(crc32(0, &png[12], 17)), 4);
    EXPECT_NO_THROW(EXPECT_FALSE(ui::DecodePicture(png.data(), png.size())));

    Bytes jpeg = TestJpeg();
    const unsigned char startOfFrame[] = {0xFF, 0xC0};
    auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(startOfFrame), std::end(startOfFrame));
    ASSERT_NE(frame, jpeg.end());
    // Marker, length (2), precision (1), height (2), width (2).
    PutBigEndian(&frame[5], 60000, 2);
    PutBigEndian(&frame[7], 60000, 2);
    EXPECT_NO_THROW(EXPECT_FALSE(ui::DecodePicture(jpeg.data(), jpeg.size())));
}

// Random damage must end in a clean refusal or a picture of the right size, never in a crash
// (the sanitizers watch the reads and writes).
TEST(DecodePicture, SurvivesRandomDamage) {
    std::mt19937 random(20240611);
    for (const Bytes& original : {EncodePng(4, 3, TestPngPixels(), true), TestJpeg()}) {
        for (int round = 0; round < 300; ++round) {
            Bytes damaged = original;
            const int flips = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < flips; ++i) {
                damaged[3 + random() % (damaged.size() - 3)] = static_cast<unsigned char>(random());
            }
            if (const auto picture = ui::DecodePicture(damaged.data(), damaged.size())) {
                EXPECT_EQ(picture->pixels.size(), static_cast<size_t>(picture->width) * picture->height);
            }
        }
    }
}

TEST(CompositeOver, BlendsStraightAlphaOverTheBackgroundAndMakesItOpaque) {
    ui::Picture picture;
    picture.width = 3;
    picture.height = 1;
    picture.hasAlpha = true;
    picture.pixels = {Argb(0, 255, 255, 255), Argb(255, 10, 20, 30), Argb(128, 255, 0, 0)};
    const uint32_t background = 0x00C08040;  // COLORREF: red 0x40, green 0x80, blue 0xC0
    ui::CompositeOver(picture, background);
    EXPECT_FALSE(picture.hasAlpha);
    EXPECT_EQ(picture.pixels[0], Argb(255, 0x40, 0x80, 0xC0));
    EXPECT_EQ(picture.pixels[1], Argb(255, 10, 20, 30));
    EXPECT_EQ(picture.pixels[2],
              Argb(255, (255 * 128 + 0x40 * 127 + 127) / 255, (0x80 * 127 + 127) / 255, (0xC0 * 127 + 127) / 255));
}

}  // namespace
