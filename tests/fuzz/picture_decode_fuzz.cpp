#include "tests/fuzz/fuzz_input.h"
#include "ui/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<ui::Picture> picture = ui::DecodePicture(data, size);
    if (picture) {
        if (picture->pixels.size() != size_t(picture->width) * size_t(picture->height) ||
            picture->pixels.size() > ui::kMaxPicturePixels) {
            __builtin_trap();
        }
        ui::CompositeOver(*picture, 0x00FFFFFF);
    }
    return 0;
}
