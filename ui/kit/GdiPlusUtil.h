// PNG images from the program's resources, as GDI+ bitmaps.
#pragma once

#include "ui/kit/GdiPlus.h"

class CGdiPlusUtil {
public:
    // A bitmap from the bytes of a resource; null when any step fails. The caller
    // owns the bitmap. The pixels are copied out of the decoder, so the bitmap
    // depends on no stream or memory block.
    static Gdiplus::Bitmap* LoadImageFromResource(HRSRC resource, HMODULE module);
    // The "PNG" resource of the id (module null: the program's own).
    static Gdiplus::Bitmap* LoadPng(UINT id, HMODULE module = nullptr);
    // The width and height of the program's own "PNG" resource of the id,
    // read from its header; false when it is missing or not a PNG.
    static bool PngSize(UINT id, int& width, int& height);
    // A stream over a copy of the bytes (freed with the stream); null on failure.
    static IStream* StreamOnCopy(const void* bytes, size_t size);
    // Whether GDI+ reads the bytes as a picture with a size.
    static bool CanDecode(const void* bytes, size_t size);

    // Decodes the program's own "PNG" resources of ids on a worker thread, so
    // that the window being built meanwhile finds them ready: LoadPng of such
    // an id (module null) waits for it and takes it, once. EndPrefetch waits
    // for the worker and frees what nobody took (before GDI+ shuts down).
    static void Prefetch(const UINT* ids, int count);
    static void EndPrefetch();
};
