// Font descriptions in the shape of the classic LOGFONT, the metrics a surface reports for its
// selected font, and the font object a backend creates from a description.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform {

inline constexpr int LF_FACESIZE = 32;

inline constexpr int32_t FW_DONTCARE = 0;
inline constexpr int32_t FW_NORMAL = 400;
inline constexpr int32_t FW_BOLD = 700;

inline constexpr uint8_t ANSI_CHARSET = 0;
inline constexpr uint8_t DEFAULT_CHARSET = 1;
inline constexpr uint8_t RUSSIAN_CHARSET = 204;

inline constexpr uint8_t FIXED_PITCH = 1;
inline constexpr uint8_t FF_MODERN = 0x30;

// The 60-byte font description, field for field. lfHeight > 0 asks for a cell height in pixels
// (character plus internal leading), < 0 for a character height (em size) in pixels, 0 for the
// backend's default size. lfCharSet selects the 8-bit code page of the text drawn with the font
// (RUSSIAN_CHARSET: Windows-1251, anything else: Windows-1252). lfFaceName is NUL-terminated.
struct LogFont {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = FW_DONTCARE;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = ANSI_CHARSET;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};

    std::string_view FaceName() const { return {lfFaceName, ::strnlen(lfFaceName, LF_FACESIZE)}; }
    // Copies at most LF_FACESIZE - 1 bytes; the name stays terminated.
    void SetFaceName(std::string_view name) {
        std::memset(lfFaceName, 0, sizeof lfFaceName);
        std::memcpy(lfFaceName, name.data(),
                    name.size() < LF_FACESIZE ? name.size() : LF_FACESIZE - 1);
    }
    bool IsBold() const { return lfWeight >= 600; }

    friend bool operator==(const LogFont&, const LogFont&) = default;
};
static_assert(sizeof(LogFont) == 60, "LogFont keeps the classic 60-byte layout");

// Metrics of the font selected into a surface. Height = ascent + descent.
struct TextMetrics {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
};

// A font made by WindowSystem::CreateFontIndirect. It may only be selected into surfaces of the
// backend that created it; the creator owns it and must keep it alive while it is selected.
class Font {
public:
    virtual ~Font() = default;
    // The description the font was created from (not what the toolkit matched).
    virtual const LogFont& GetLogFont() const = 0;
};

} // namespace platform
