#include "ui/kit/GdiPlusUtil.h"

#include "ui/kit/KitGeometry.h"

#include "framework/Resources.h"

#include <objbase.h>

IStream* CGdiPlusUtil::StreamOnCopy(const void* bytes, size_t size) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF) return nullptr;
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
    return stream;
}

bool CGdiPlusUtil::CanDecode(const void* bytes, size_t size) {
    IStream* stream = StreamOnCopy(bytes, size);
    if (!stream) return false;
    bool ok;
    {
        Gdiplus::Image image(stream);
        ok = image.GetLastStatus() == Gdiplus::Ok && image.GetWidth() > 0 && image.GetHeight() > 0;
    }
    stream->Release();
    return ok;
}

Gdiplus::Bitmap* CGdiPlusUtil::LoadImageFromResource(HRSRC resource, HMODULE module) {
    if (!resource) return nullptr;
    DWORD size = ::SizeofResource(module, resource);
    HGLOBAL res = size ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = res ? ::LockResource(res) : nullptr;
    IStream* stream = StreamOnCopy(bytes, size);
    if (!stream) return nullptr;
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

namespace {

// One batch at a time; the worker fills each slot and signals its event.
struct PrefetchSlot {
    UINT id = 0;
    Gdiplus::Bitmap* bitmap = nullptr;
    bool taken = false;
};
constexpr int kMaxPrefetch = 24;
PrefetchSlot g_slots[kMaxPrefetch];
HANDLE g_done[kMaxPrefetch] = {};
int g_slotCount = 0;
HANDLE g_worker = nullptr;

// No COM apartment here: GDI+ decodes from a memory stream without one (checked
// under Wine too), and while any thread holds a multithreaded apartment every
// COM-less thread of the process silently joins it, so that the UI thread's
// apartment-threaded objects would be made on a host thread and marshalled back.
DWORD WINAPI PrefetchWorker(void*) {
    for (int i = 0; i < g_slotCount; ++i) {
        g_slots[i].bitmap =
            CGdiPlusUtil::LoadImageFromResource(CResources::Find("PNG", MAKEINTRESOURCEA(g_slots[i].id)),
                                                CResources::GetModule());
        ::SetEvent(g_done[i]);
    }
    return 0;
}

}  // namespace

void CGdiPlusUtil::Prefetch(const UINT* ids, int count) {
    if (g_worker || count <= 0) return;
    g_slotCount = count < kMaxPrefetch ? count : kMaxPrefetch;
    for (int i = 0; i < g_slotCount; ++i) {
        g_slots[i] = PrefetchSlot{ids[i], nullptr, false};
        g_done[i] = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!g_done[i]) {
            g_slotCount = i;
            break;
        }
    }
    g_worker = g_slotCount > 0 ? ::CreateThread(nullptr, 0, PrefetchWorker, nullptr, 0, nullptr) : nullptr;
    if (!g_worker) EndPrefetch();
}

void CGdiPlusUtil::EndPrefetch() {
    if (g_worker) {
        ::WaitForSingleObject(g_worker, INFINITE);
        ::CloseHandle(g_worker);
        g_worker = nullptr;
    }
    for (int i = 0; i < g_slotCount; ++i) {
        if (!g_slots[i].taken) delete g_slots[i].bitmap;
        g_slots[i] = PrefetchSlot{};
        if (g_done[i]) ::CloseHandle(g_done[i]);
        g_done[i] = nullptr;
    }
    g_slotCount = 0;
}

bool CGdiPlusUtil::PngSize(UINT id, int& width, int& height) {
    DWORD size = 0;
    const void* bytes = CResources::LoadData("PNG", MAKEINTRESOURCEA(id), &size);
    return bytes && kit::PngSize(static_cast<const unsigned char*>(bytes), size, width, height);
}

Gdiplus::Bitmap* CGdiPlusUtil::LoadPng(UINT id, HMODULE module) {
    // Only the UI thread calls this while a batch is out, so the slots need no lock.
    for (int i = 0; !module && g_worker && i < g_slotCount; ++i) {
        if (g_slots[i].id != id || g_slots[i].taken) continue;
        ::WaitForSingleObject(g_done[i], INFINITE);
        g_slots[i].taken = true;
        if (g_slots[i].bitmap) return g_slots[i].bitmap;
        break;  // the worker failed: try here
    }
    if (!module) {
        HRSRC r = CResources::Find("PNG", MAKEINTRESOURCEA(id));
        return LoadImageFromResource(r, CResources::GetModule());
    }
    return LoadImageFromResource(::FindResourceA(module, MAKEINTRESOURCEA(id), "PNG"), module);
}
