#include "workbench/files/WndImage.h"

#include "framework/Menu.h"
#include "link/codecs/Crc16.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "workbench/files/DlgResize.h"
#include "workbench/files/FileNameRules.h"
#include "ui/kit/Memdc.h"

#include <shlobj.h>

#include <algorithm>
#include <string>

namespace {
CString s_tempFolderForTests;

std::wstring Wide(const char* text) {
    wchar_t buffer[MAX_PATH] = {};
    if (!::MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, MAX_PATH - 1)) return std::wstring();
    return buffer;
}
}  // namespace

BEGIN_MESSAGE_MAP(CWndImage, CWnd)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_HSCROLL, OnHScroll)
    ON_MESSAGE(WM_VSCROLL, OnVScroll)
    ON_MESSAGE(WM_MOUSEWHEEL, OnMouseWheel)
    ON_WM_LBUTTONDOWN()
    ON_WM_TIMER()
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_COMMAND(ID_IMAGE_RESIZE, OnResize)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CWndImage::CWndImage() = default;

CWndImage::~CWndImage() { CloseImage(); }

CString CWndImage::TempFolder() {
    if (!s_tempFolderForTests.IsEmpty()) return s_tempFolderForTests;
    char folder[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathA(nullptr, folder, CSIDL_APPDATA, TRUE)) return CString();
    return CString(folder) + "\\ZarvoD";
}

void CWndImage::SetTempFolderForTests(const char* folder) { s_tempFolderForTests = folder; }

void CWndImage::CloseImage() {
    if (m_hWnd) KillTimer(kTimerAnimate);
    delete m_image;
    m_image = nullptr;
    m_dimensions.clear();
    m_delays.clear();
    m_frameCount = 0;
    m_currentFrame = 0;
    if (!m_tempPath.IsEmpty()) ::DeleteFileA(m_tempPath);
    m_tempPath.Empty();
}

bool CWndImage::WriteTempFile(const void* bytes, size_t count, const char* name) {
    const std::string file = filenames::TempFileName(name ? name : "");
    const CString folder = TempFolder();
    if (file.empty() || folder.IsEmpty()) return false;
    ::CreateDirectoryA(folder, nullptr);
    const CString path = folder + "\\" + file.c_str();
    // Whatever the name held, the copy must land directly in the folder.
    char full[MAX_PATH] = {}, fullFolder[MAX_PATH] = {};
    char* part = nullptr;
    const DWORD n = ::GetFullPathNameA(path, MAX_PATH, full, &part);
    const DWORD m = ::GetFullPathNameA(folder, MAX_PATH, fullFolder, nullptr);
    if (n == 0 || n >= MAX_PATH || m == 0 || m >= MAX_PATH || !part) return false;
    if (CString(full, static_cast<int>(part - full)).CompareNoCase(CString(fullFolder) + "\\") != 0) return false;
    if (CString(part) != file.c_str()) return false;
    ::DeleteFileA(full);
    HANDLE h = ::CreateFileA(full, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(h, bytes, static_cast<DWORD>(count), &written, nullptr) && written == count;
    ::CloseHandle(h);
    m_tempPath = full;
    return ok != FALSE;
}

bool CWndImage::OpenImage(const void* bytes, size_t count, const char* name) {
    m_history.Clear();
    m_modified = 0;
    m_resizable = 0;
    m_width = m_height = 0;
    ++m_openSerial;
    CloseImage();
    // An entry without bytes is never shown (nor resized and packed empty).
    if (bytes && count > 0 && count <= 0x7FFFFFFF && WriteTempFile(bytes, count, name)) {
        const std::wstring wide = Wide(m_tempPath);
        Gdiplus::Image* image = wide.empty() ? nullptr : Gdiplus::Image::FromFile(wide.c_str());
        if (image && image->GetLastStatus() == Gdiplus::Ok && image->GetWidth() > 0 && image->GetHeight() > 0) {
            m_image = image;
        } else {
            delete image;
        }
    }
    if (m_image) {
        if (IsGifFile(name ? name : ""))
            LoadFrames();
        else
            m_resizable = 1;
        m_width = static_cast<int>(m_image->GetWidth());
        m_height = static_cast<int>(m_image->GetHeight());
        m_history.Reset(m_width, m_height);
    } else {
        CloseImage();
    }
    if (m_hWnd) {
        SetScrollRanges();
        Invalidate(FALSE);
    }
    return m_image != nullptr;
}

void CWndImage::LoadFrames() {
    // Every step is checked: a GIF may lie about its frames or carry no
    // delays; anything short of a full set shows the first frame still.
    // Wine's GDI+ reports a 0 delay for each frame of a GIF that has no
    // graphic control blocks; such frames show at 100 ms (FrameDelayMs).
    const UINT dimensions = m_image->GetFrameDimensionsCount();
    if (dimensions == 0) return;
    m_dimensions.resize(dimensions);
    if (m_image->GetFrameDimensionsList(m_dimensions.data(), dimensions) != Gdiplus::Ok) return;
    const UINT frames = m_image->GetFrameCount(&m_dimensions[0]);
    const UINT size = m_image->GetPropertyItemSize(PropertyTagFrameDelay);
    if (size < sizeof(Gdiplus::PropertyItem)) return;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (m_image->GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok || !item->value) return;
    const UINT available = static_cast<UINT>(size - sizeof(Gdiplus::PropertyItem));
    const UINT delays = std::min<UINT>(item->length, available) / 4;
    if (!imagerules::CanAnimate(frames, delays)) return;
    GUID time = Gdiplus::FrameDimensionTime;
    if (m_image->SelectActiveFrame(&time, 0) != Gdiplus::Ok) return;
    const auto* values = static_cast<const uint32_t*>(item->value);
    for (UINT i = 0; i < frames; ++i) m_delays.push_back(imagerules::FrameDelayMs(values[i]));
    m_frameCount = frames;
    m_currentFrame = 1;
    if (m_hWnd) SetTimer(kTimerAnimate, m_delays[0]);
}

void CWndImage::OnTimer(UINT_PTR id) {
    if (id != kTimerAnimate) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kTimerAnimate);
    if (!m_image || !IsAnimated() || !IsWindowVisible()) return;
    GUID time = Gdiplus::FrameDimensionTime;
    if (m_image->SelectActiveFrame(&time, m_currentFrame) != Gdiplus::Ok) return;
    SetTimer(kTimerAnimate, m_delays[m_currentFrame]);
    m_currentFrame = (m_currentFrame + 1) % m_frameCount;
    Invalidate(FALSE);
}

void CWndImage::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    SetScrollRanges();
}

void CWndImage::SetScrollRanges() {
    const CRect rc = GetClientRect();
    SCROLLINFO v{sizeof v, SIF_RANGE | SIF_PAGE, 0, m_height, static_cast<UINT>(rc.Height() + 1), 0, 0};
    ::SetScrollInfo(m_hWnd, SB_VERT, &v, TRUE);
    SCROLLINFO h{sizeof h, SIF_RANGE | SIF_PAGE, 0, m_width, static_cast<UINT>(rc.Width() + 1), 0, 0};
    ::SetScrollInfo(m_hWnd, SB_HORZ, &h, TRUE);
}

void CWndImage::Scroll(int bar, int code) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(m_hWnd, bar, &si);
    ::SetScrollPos(m_hWnd, bar,
                   imagerules::ScrollPosition(code, si.nPos, si.nMin, si.nMax, static_cast<int>(si.nPage),
                                              si.nTrackPos, 20),
                   TRUE);
    Invalidate(FALSE);
}

LRESULT CWndImage::OnMouseWheel(WPARAM wParam, LPARAM) {
    PostMessage(WM_VSCROLL, static_cast<short>(HIWORD(wParam)) < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    return 0;
}

void CWndImage::OnPaint() {
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    if (!m_image) return;
    const int cw = client.Width(), ch = client.Height();
    const int h = ::GetScrollPos(m_hWnd, SB_HORZ), v = ::GetScrollPos(m_hWnd, SB_VERT);
    const int x = m_width < cw ? (cw - m_width) / 2 : -h;
    const int y = m_height < ch ? (ch - m_height) / 2 : -v;
    Gdiplus::Graphics g(dc);
    g.DrawImage(m_image, x, y, m_width, m_height);
}

LRESULT CWndImage::OnContextMenu(WPARAM, LPARAM lParam) {
    CMenu bar;
    if (!bar.LoadMenu(IDR_IMAGE_MENU)) return 0;
    CMenu popup;
    popup.Attach(bar.GetSubMenu(0));
    popup.EnableMenuItem(ID_IMAGE_RESIZE, MF_BYCOMMAND | (m_resizable ? MF_ENABLED : MF_GRAYED));
    CPoint at(lParam);
    if (lParam == static_cast<LPARAM>(-1)) ::GetCursorPos(&at);
    popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, m_hWnd);
    popup.Detach();
    return 0;
}

void CWndImage::OnResize() {
    if (!m_resizable || !m_image) return;
    const unsigned serial = m_openSerial;
    CDlgResize dlg(m_hWnd, m_width, m_height);
    if (dlg.DoModal() != IDOK || serial != m_openSerial || !m_hWnd) return;  // another image meanwhile
    ApplySize(dlg.m_width, dlg.m_height);
}

void CWndImage::RestoreSize(int width, int height) {
    if (!m_image || !m_resizable || width < 1 || height < 1) return;
    m_history.Push(width, height);
    m_width = width;
    m_height = height;
    m_modified = 1;
    SetScrollRanges();
    Invalidate();
}

void CWndImage::ApplySize(int width, int height) {
    if (!m_resizable || !m_image || width < 1 || height < 1) return;
    m_history.Push(width, height);
    m_width = width;
    m_height = height;
    SetScrollRanges();
    Invalidate(FALSE);
    if (!m_modified) {
        m_modified = 1;
        ::SendMessageA(GetParent(), WM_USER_DOC_MODIFIED, 0, 0);
    }
}

BOOL CWndImage::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN || msg->hwnd != m_hWnd || !(::GetKeyState(VK_CONTROL) & 0x8000)) return FALSE;
    if (msg->wParam != 'Z' && msg->wParam != 'Y') return FALSE;
    int w = m_width, h = m_height;
    if (msg->wParam == 'Z' ? m_history.Undo(w, h) : m_history.Redo(w, h)) {
        m_width = w;
        m_height = h;
        SetScrollRanges();
        Invalidate(FALSE);
    }
    return TRUE;
}

void CWndImage::OnDestroy() {
    CloseImage();
    CWnd::OnDestroy();
}

int CWndImage::GetEncoderClsid(const WCHAR* mime, CLSID* clsid) {
    UINT count = 0, size = 0;
    if (!mime || !clsid || Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return -1;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return -1;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && ::lstrcmpW(codecs[i].MimeType, mime) == 0) {
            *clsid = codecs[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}
