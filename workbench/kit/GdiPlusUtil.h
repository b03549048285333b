// PNG images from the program's resources, as GDI+ bitmaps.
#pragma once

#include "workbench/kit/GdiPlus.h"

class CGdiPlusUtil {
public:
    // A bitmap from the bytes of a resource; null when any step fails. The caller
    // owns the bitmap. The pixels are copied out of the decoder, so the bitmap
    // depends on no stream or memory block.
    static Gdiplus::Bitmap* LoadImageFromResource(HRSRC resource, HMODULE module);
    // The "PNG" resource of the id (module null: the program's own).
    static Gdiplus::Bitmap* LoadPng(UINT id, HMODULE module = nullptr);
};
