// The pictures of ui/images/ by file name, and the looks that LoginWindow and
// IdentityWindow share.
#pragma once

#include "ui/toolkit.h"

namespace examclient::ui {

inline constexpr const char* kBackgroundPicture = "background.bmp"; // 1000 x 400
inline constexpr const char* kPanelPicture = "panel.bmp";           // 504 x 259
inline constexpr const char* kTitlePicture = "title.bmp";           // 456 x 86
inline constexpr const char* kSloganPicture = "slogan.bmp";         // 283 x 93
inline constexpr const char* kNoticePicture = "notice.jpg";         // 995 x 711

// A label on the panel: white text in the default GUI font, left-aligned, over the
// panel picture tiled from the label's own top-left corner.
inline constexpr ControlStyle kPanelLabelStyle{
    .textColour = 0xFFFFFF,
    .fontPixelHeight = 0,
    .alignment = Alignment::Left,
    .background = {.mode = BackgroundMode::Tiled, .picture = kPanelPicture},
    .picture = nullptr,
};

// A picture box without border: the picture at its own size from the top-left corner,
// cropped to the box; nullptr leaves the box in the face colour.
constexpr ControlStyle pictureBoxStyle(const char* picture)
{
    return ControlStyle{
        .textColour = 0x000000,
        .fontPixelHeight = 0,
        .alignment = Alignment::Left,
        .background = {.mode = BackgroundMode::None, .picture = nullptr},
        .picture = picture,
    };
}

} // namespace examclient::ui
