#include "ui/picture_decode.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

namespace ui {
namespace {

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr unsigned char kJpegSignature[] = {0xFF, 0xD8, 0xFF};

bool StartsWith(const unsigned char* bytes, size_t size, const unsigned char* signature, size_t length) {
    return size >= length && std::memcmp(bytes, signature, length) == 0;
}

bool AcceptableSize(size_t width, size_t height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels / height;
}

// libpng's simplified reader keeps its setjmp/longjmp inside libpng and reports failure by its result.
std::optional<Picture> DecodePng(const unsigned char* bytes, size_t size) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes, size)) {
        return std::nullopt;
    }
    if (!AcceptableSize(image.width, image.height)) {
        png_image_free(&image);
        return std::nullopt;
    }
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    picture.pixels.resize(size_t{image.width} * image.height);
    image.format = PNG_FORMAT_BGRA;
    const png_int_32 stride = static_cast<png_int_32>(image.width * 4);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), stride, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

// libjpeg reports errors through error_exit, which must not return: it jumps back to the setjmp of
// the step that was running. The steps below hold only plain C data, so nothing with a destructor
// is skipped by the jump; the C++ objects live in DecodeJpeg, which the jump never leaves.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf failed;
    bool truncated;
};

void JpegErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->failed, 1);
}

// Warnings are not printed. A picture that ends early is padded by libjpeg with grey and reported
// only as a warning; we treat it as damaged.
void JpegEmitMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        reinterpret_cast<JpegErrorManager*>(info->err)->truncated = true;
    }
}

void JpegOutputMessage(j_common_ptr) {}

struct JpegDecoder {
    jpeg_decompress_struct info;
    JpegErrorManager error;
    bool created;
};

bool CreateJpegDecoder(JpegDecoder& decoder) {
    std::memset(&decoder, 0, sizeof(decoder));
    decoder.info.err = jpeg_std_error(&decoder.error.base);
    decoder.error.base.error_exit = JpegErrorExit;
    decoder.error.base.emit_message = JpegEmitMessage;
    decoder.error.base.output_message = JpegOutputMessage;
    if (setjmp(decoder.error.failed)) {
        return false;
    }
    jpeg_create_decompress(&decoder.info);
    decoder.created = true;
    return true;
}

// Reads the header and starts decompressing into 32-bit BGRA (A = 255).
bool StartJpeg(JpegDecoder& decoder, const unsigned char* bytes, size_t size) {
    if (setjmp(decoder.error.failed)) {
        return false;
    }
    jpeg_mem_src(&decoder.info, bytes, static_cast<unsigned long>(size));
    (void)jpeg_read_header(&decoder.info, TRUE);
    decoder.info.out_color_space = JCS_EXT_BGRA;
    if (!AcceptableSize(decoder.info.image_width, decoder.info.image_height)) {
        return false;
    }
    return jpeg_start_decompress(&decoder.info) && decoder.info.output_components == 4;
}

bool ReadJpegRows(JpegDecoder& decoder, unsigned char* pixels, size_t stride) {
    if (setjmp(decoder.error.failed)) {
        return false;
    }
    while (decoder.info.output_scanline < decoder.info.output_height) {
        JSAMPROW row = pixels + size_t{decoder.info.output_scanline} * stride;
        if (jpeg_read_scanlines(&decoder.info, &row, 1) != 1) {
            return false;
        }
    }
    (void)jpeg_finish_decompress(&decoder.info);
    return !decoder.error.truncated;
}

std::optional<Picture> DecodeJpeg(const unsigned char* bytes, size_t size) {
    struct Owner {
        JpegDecoder decoder;
        ~Owner() {
            if (decoder.created) {
                jpeg_destroy_decompress(&decoder.info);
            }
        }
    } owner;
    JpegDecoder& decoder = owner.decoder;
    if (!CreateJpegDecoder(decoder) || !StartJpeg(decoder, bytes, size)) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = static_cast<int>(decoder.info.output_width);
    picture.height = static_cast<int>(decoder.info.output_height);
    picture.pixels.resize(size_t{decoder.info.output_width} * decoder.info.output_height);
    if (!ReadJpegRows(decoder, reinterpret_cast<unsigned char*>(picture.pixels.data()),
                      size_t{decoder.info.output_width} * 4)) {
        return std::nullopt;
    }
    return picture;
}

uint32_t Blend(uint32_t foreground, uint32_t background, uint32_t alpha) {
    return (foreground * alpha + background * (255 - alpha) + 127) / 255;
}

}  // namespace

std::optional<Picture> DecodePicture(const void* bytes, size_t size) {
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (data == nullptr) {
        return std::nullopt;
    }
    if (StartsWith(data, size, kPngSignature, sizeof(kPngSignature))) {
        return DecodePng(data, size);
    }
    if (StartsWith(data, size, kJpegSignature, sizeof(kJpegSignature))) {
        return DecodeJpeg(data, size);
    }
    return std::nullopt;
}

void CompositeOver(Picture& picture, uint32_t backgroundColour) {
    const uint32_t backRed = backgroundColour & 0xFF;
    const uint32_t backGreen = (backgroundColour >> 8) & 0xFF;
    const uint32_t backBlue = (backgroundColour >> 16) & 0xFF;
    for (uint32_t& pixel : picture.pixels) {
        const uint32_t alpha = pixel >> 24;
        const uint32_t red = Blend((pixel >> 16) & 0xFF, backRed, alpha);
        const uint32_t green = Blend((pixel >> 8) & 0xFF, backGreen, alpha);
        const uint32_t blue = Blend(pixel & 0xFF, backBlue, alpha);
        pixel = 0xFF000000u | (red << 16) | (green << 8) | blue;
    }
    picture.hasAlpha = false;
}

}  // namespace ui
