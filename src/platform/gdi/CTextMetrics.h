#pragma once

#include "platform/gdi/CLogFont.h"

#include <cstdint>

// The standard metrics of a selected font, in pixels.
struct CTextMetrics {
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;
    int32_t externalLeading = 0;
    int32_t aveCharWidth = 0;
    int32_t maxCharWidth = 0;
    int32_t weight = 0;
    int32_t overhang = 0;
    int32_t digitizedAspectX = 0;
    int32_t digitizedAspectY = 0;
    uint8_t firstChar = 0x20;
    uint8_t lastChar = 0xFF;
    uint8_t defaultChar = 0x1F;
    uint8_t breakChar = 0x20;
    bool italic = false;
    bool underlined = false;
    bool struckOut = false;
    FontPitch pitch = FontPitch::Default;
    FontFamily family = FontFamily::DontCare;
    uint8_t charSet = 0;
};
