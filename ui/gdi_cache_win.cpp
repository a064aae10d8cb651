#include "ui/gdi_cache_win.h"

#include <cstring>
#include <map>

#include "base/owned_handle_win.h"

namespace {

std::map<const ui::StoredFont*, OwnedFont>& Fonts() {
    static std::map<const ui::StoredFont*, OwnedFont> fonts;
    return fonts;
}

std::map<COLORREF, OwnedBrush>& Brushes() {
    static std::map<COLORREF, OwnedBrush> brushes;
    return brushes;
}

// A stored font is realised with the default character set, precisions 0, proof quality and pitch
// and family 0, whatever the stored values were.
OwnedFont CreateStoredFont(const ui::StoredFont& stored) {
    LOGFONTA font = {};
    font.lfHeight = stored.height;
    font.lfWeight = stored.weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = 0;
    font.lfClipPrecision = 0;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = 0;
    std::strncpy(font.lfFaceName, stored.face, LF_FACESIZE - 1);
    return OwnedFont(CreateFontIndirectA(&font));
}

}  // namespace

HFONT FontFor(const ui::StoredFont* stored) {
    if (stored == nullptr) {
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    OwnedFont& font = Fonts()[stored];
    if (!font) {
        font = CreateStoredFont(*stored);
    }
    return font ? font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HBRUSH BrushFor(COLORREF colour) {
    OwnedBrush& brush = Brushes()[colour];
    if (!brush) {
        brush.reset(CreateSolidBrush(colour));
    }
    return brush.get();
}

COLORREF ResolveColour(ui::Colour colour) {
    return colour == ui::kDefaultColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour);
}

void ReleaseGdiCache() {
    Fonts().clear();
    Brushes().clear();
}
