#include "workbench/kit/GdiPlusUtil.h"

#include "framework/Resources.h"

Gdiplus::Bitmap* CGdiPlusUtil::LoadImageFromResource(HRSRC resource, HMODULE module) {
    if (!resource) return nullptr;
    DWORD size = ::SizeofResource(module, resource);
    HGLOBAL res = size ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = res ? ::LockResource(res) : nullptr;
    if (!bytes) return nullptr;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* dst = ::GlobalLock(block);
    if (!dst) {
        ::GlobalFree(block);
        return nullptr;
    }
    memcpy(dst, bytes, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream))) {
        ::GlobalFree(block);
        return nullptr;
    }
    Gdiplus::Bitmap* result = nullptr;
    {
        Gdiplus::Bitmap decoded(stream);
        if (decoded.GetLastStatus() == Gdiplus::Ok) {
            const int w = static_cast<int>(decoded.GetWidth()), h = static_cast<int>(decoded.GetHeight());
            auto* copy = new Gdiplus::Bitmap(w, h, PixelFormat32bppARGB);
            if (copy->GetLastStatus() == Gdiplus::Ok) {
                Gdiplus::Graphics g(copy);
                g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
                g.DrawImage(&decoded, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel);
            }
            if (copy->GetLastStatus() == Gdiplus::Ok)
                result = copy;
            else
                delete copy;
        }
    }
    stream->Release();  // frees the block too
    return result;
}

Gdiplus::Bitmap* CGdiPlusUtil::LoadPng(UINT id, HMODULE module) {
    if (!module) {
        HRSRC r = CResources::Find("PNG", MAKEINTRESOURCEA(id));
        return LoadImageFromResource(r, CResources::GetModule());
    }
    return LoadImageFromResource(::FindResourceA(module, MAKEINTRESOURCEA(id), "PNG"), module);
}
