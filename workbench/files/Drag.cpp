#include "workbench/files/Drag.h"

#include "framework/Types.h"

#include "ui/WindowMessages.h"
#include "workbench/files/DropFiles.h"

#include <shellapi.h>

#include <cstring>

namespace {

FORMATETC Format(CLIPFORMAT cf) { return FORMATETC{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

HGLOBAL GlobalFromBytes(const void* bytes, size_t size) {
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size);
    if (!h) return nullptr;
    void* p = ::GlobalLock(h);
    if (!p) {
        ::GlobalFree(h);
        return nullptr;
    }
    std::memcpy(p, bytes, size);
    ::GlobalUnlock(h);
    return h;
}

HGLOBAL CopyGlobal(HGLOBAL source) {
    const SIZE_T size = ::GlobalSize(source);
    const void* p = ::GlobalLock(source);
    if (!p) return nullptr;
    HGLOBAL copy = GlobalFromBytes(p, size);
    ::GlobalUnlock(source);
    return copy;
}

// The data a drag of the pane carries: the file list and the private mark.
// It owns both blocks and hands out copies.
class CFileDataObject final : public IDataObject {
public:
    CFileDataObject(HGLOBAL files, HGLOBAL mark) : m_files(files), m_mark(mark) {}
    virtual ~CFileDataObject() {
        if (m_files) ::GlobalFree(m_files);
        if (m_mark) ::GlobalFree(m_mark);
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDataObject) {
            *out = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP GetData(FORMATETC* f, STGMEDIUM* medium) override {
        if (!f || !medium) return E_INVALIDARG;
        HGLOBAL source = Block(f);
        if (!source) return DV_E_FORMATETC;
        HGLOBAL copy = CopyGlobal(source);
        if (!copy) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* f) override { return f && Block(f) ? S_OK : DV_E_FORMATETC; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC formats[2] = {Format(CF_HDROP), Format(CDrag::OwnFormat())};
        return ::SHCreateStdEnumFmtEtc(2, formats, out);
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    HGLOBAL Block(const FORMATETC* f) const {
        if (!(f->tymed & TYMED_HGLOBAL) || f->dwAspect != DVASPECT_CONTENT) return nullptr;
        if (f->cfFormat == CF_HDROP) return m_files;
        if (f->cfFormat == CDrag::OwnFormat()) return m_mark;
        return nullptr;
    }
    HGLOBAL m_files;
    HGLOBAL m_mark;
    LONG m_refs = 1;
};

class CDropSource : public IDropSource {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *out = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of the drag; OLE releases it before DoDragDrop returns.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        if (!(keys & MK_LBUTTON)) return DRAGDROP_S_DROP;
        return S_OK;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

bool IsOwnMark(IDataObject* data) {
    FORMATETC f = Format(CDrag::OwnFormat());
    STGMEDIUM medium{};
    if (!data || data->GetData(&f, &medium) != S_OK) return false;
    bool own = false;
    if (medium.tymed == TYMED_HGLOBAL && ::GlobalSize(medium.hGlobal) >= sizeof(DWORD)) {
        if (const DWORD* pid = static_cast<const DWORD*>(::GlobalLock(medium.hGlobal))) {
            own = *pid == ::GetCurrentProcessId();
            ::GlobalUnlock(medium.hGlobal);
        }
    }
    ::ReleaseStgMedium(&medium);
    return own;
}

}  // namespace

CDrag::CDrag() = default;

CDrag::~CDrag() {
    Revoke();
    if (m_data) m_data->Release();
    if (m_helper) m_helper->Release();
}

bool CDrag::IsSingleThreadedApartment() {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    return SUCCEEDED(::CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
}

void CDrag::CreateDragImageHelper() {
    if (m_helper) return;
    // Made anywhere else, the helper comes from a host apartment and is marshalled
    // back, which Wine cannot do for it (each try leaves an RPC endpoint behind
    // until its RPC server stops and the next host apartment waits for ever).
    if (!IsSingleThreadedApartment()) return;
    m_hasHelper = SUCCEEDED(::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IDropTargetHelper, reinterpret_cast<void**>(&m_helper))) &&
                  m_helper;
    if (!m_hasHelper) m_helper = nullptr;
}

bool CDrag::Register(HWND wnd) {
    Revoke();
    if (FAILED(::RegisterDragDrop(wnd, this))) return false;
    m_wnd = wnd;
    return true;
}

void CDrag::Revoke() {
    if (m_wnd) ::RevokeDragDrop(m_wnd);
    m_wnd = nullptr;
}

CLIPFORMAT CDrag::OwnFormat() {
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatA("ZarvoD file rows"));
    return format;
}

bool CDrag::HasFormat(IDataObject* data, CLIPFORMAT format) {
    FORMATETC f = Format(format);
    return data && data->QueryGetData(&f) == S_OK;
}

bool CDrag::ReadFileNames(IDataObject* data, CStringArray& names) {
    FORMATETC f = Format(CF_HDROP);
    STGMEDIUM medium{};
    if (!data || data->GetData(&f, &medium) != S_OK) return false;
    if (medium.tymed == TYMED_HGLOBAL) {
        HDROP drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char path[MAX_PATH] = {};
            if (::DragQueryFileA(drop, i, path, MAX_PATH - 1)) names.Add(path);
        }
    }
    ::ReleaseStgMedium(&medium);
    return true;
}

DWORD CDrag::OnDragEnter(HWND wnd, IDataObject* data, DWORD, POINT point) {
    m_ownData = false;
    m_currentEffect = DROPEFFECT_NONE;
    if (m_helper) m_helper->DragEnter(wnd, data, &point, static_cast<DWORD>(m_currentEffect));
    CStringArray names;
    if (!HasFormat(data, CF_HDROP) || !ReadFileNames(data, names) || names.IsEmpty()) return DROPEFFECT_NONE;
    m_ownData = IsOwnMark(data);
    int answer = 0;
    ::SendMessageA(wnd, WM_FILEDRAG_OVER, reinterpret_cast<WPARAM>(&names), reinterpret_cast<LPARAM>(&answer));
    // Own rows move between folders; files from elsewhere are copied in.
    if (answer) m_currentEffect = m_ownData ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    return static_cast<DWORD>(m_currentEffect);
}

DWORD CDrag::OnDragOver(HWND, IDataObject*, DWORD, POINT point) {
    if (m_helper) m_helper->DragOver(&point, static_cast<DWORD>(m_currentEffect));
    return static_cast<DWORD>(m_currentEffect);
}

BOOL CDrag::OnDrop(HWND wnd, IDataObject* data, DWORD effect, POINT point) {
    if (!wnd || !data) return TRUE;
    if (!HasFormat(data, CF_HDROP)) return FALSE;
    CStringArray names;
    ReadFileNames(data, names);
    if (m_helper) m_helper->Drop(data, &point, effect);
    m_ownData = IsOwnMark(data);
    CPoint client = point;
    ::ScreenToClient(wnd, &client);
    ::SendMessageA(wnd, WM_FILEDRAG_DROP, reinterpret_cast<WPARAM>(&names), reinterpret_cast<LPARAM>(&client));
    return TRUE;
}

void CDrag::OnDragLeave(HWND wnd) {
    m_currentEffect = DROPEFFECT_NONE;
    if (m_helper) m_helper->DragLeave();
    ::SendMessageA(wnd, WM_FILEDRAG_LEAVE, 0, 0);
}

DWORD CDrag::DragFiles(const std::vector<std::string>& names) {
    const std::vector<uint8_t> block = dropfiles::Build(names);
    if (block.empty()) return DROPEFFECT_NONE;
    HGLOBAL files = GlobalFromBytes(block.data(), block.size());
    const DWORD pid = ::GetCurrentProcessId();
    HGLOBAL mark = GlobalFromBytes(&pid, sizeof pid);
    if (!files || !mark) {
        if (files) ::GlobalFree(files);
        if (mark) ::GlobalFree(mark);
        return DROPEFFECT_NONE;
    }
    CFileDataObject* data = new CFileDataObject(files, mark);
    CDropSource buttons;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = ::DoDragDrop(data, &buttons, static_cast<DWORD>(m_allowedEffect), &effect);
    data->Release();
    return hr == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

STDMETHODIMP CDrag::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDropTarget) {
        *out = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDrag::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
STDMETHODIMP_(ULONG) CDrag::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_refs)); }

STDMETHODIMP CDrag::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (m_data) m_data->Release();
    m_data = data;
    if (m_data) m_data->AddRef();
    POINT p{pt.x, pt.y};
    *effect &= OnDragEnter(m_wnd, data, keyState, p);
    return S_OK;
}

STDMETHODIMP CDrag::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    POINT p{pt.x, pt.y};
    *effect &= OnDragOver(m_wnd, m_data, keyState, p);
    return S_OK;
}

STDMETHODIMP CDrag::DragLeave() {
    OnDragLeave(m_wnd);
    if (m_data) m_data->Release();
    m_data = nullptr;
    return S_OK;
}

STDMETHODIMP CDrag::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    POINT p{pt.x, pt.y};
    const DWORD allowed = *effect & static_cast<DWORD>(m_currentEffect);
    if (allowed == DROPEFFECT_NONE) {
        OnDragLeave(m_wnd);
        *effect = DROPEFFECT_NONE;
    } else {
        *effect = OnDrop(m_wnd, data, allowed, p) ? allowed : DROPEFFECT_NONE;
    }
    m_currentEffect = DROPEFFECT_NONE;
    if (m_data) m_data->Release();
    m_data = nullptr;
    return S_OK;
}
