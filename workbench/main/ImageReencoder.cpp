#include "workbench/main/ImageReencoder.h"

#include "ui/kit/GdiPlus.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const char* MimeFor(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return nullptr;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    if (ext == "bmp") return "image/bmp";
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "png") return "image/png";
    if (ext == "gif") return "image/gif";
    return nullptr;
}

bool EncoderFor(const char* mime, CLSID& clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    std::wstring wide(mime, mime + strlen(mime));
    for (UINT i = 0; i < count; ++i)
        if (wide == codecs[i].MimeType) {
            clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

std::wstring Wide(const std::string& path) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &w[0], n);
    w.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return w;
}

// A fresh, uniquely named file in the folder ("" when none can be made).
std::string TempName(const std::string& folder) {
    char path[MAX_PATH] = {};
    return ::GetTempFileNameA(folder.c_str(), "zvi", 0, path) ? std::string(path) : std::string();
}

bool WriteAll(const std::string& path, const std::string& data) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                    written == data.size();
    ::CloseHandle(f);
    return ok;
}

bool ReadAll(const std::string& path, std::string& data) {
    HANDLE f = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart <= 16 * 1024 * 1024;
    std::string read;
    if (ok) {
        read.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ::ReadFile(f, &read[0], static_cast<DWORD>(read.size()), &got, nullptr) && got == read.size();
    }
    ::CloseHandle(f);
    if (ok) data.swap(read);
    return ok;
}

}  // namespace

bool CImageReencoder::Reencode(std::string& data, const std::string& name, unsigned width, unsigned height,
                               const std::string& tempFolder) {
    const char* mime = MimeFor(name);
    CLSID encoder;
    if (width == 0 || height == 0 || data.empty() || !mime || !EncoderFor(mime, encoder)) return false;
    ::CreateDirectoryA(tempFolder.c_str(), nullptr);
    const std::string source = TempName(tempFolder);
    if (source.empty()) return false;
    const std::string target = TempName(tempFolder);
    bool saved = false;
    if (!target.empty() && WriteAll(source, data)) {
        // The decoder keeps its file open: it is released before the files go.
        std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromFile(Wide(source).c_str()));
        if (image && image->GetLastStatus() == Gdiplus::Ok) {
            std::unique_ptr<Gdiplus::Image> thumb(image->GetThumbnailImage(width, height, nullptr, nullptr));
            saved = thumb && thumb->GetLastStatus() == Gdiplus::Ok &&
                    thumb->Save(Wide(target).c_str(), &encoder, nullptr) == Gdiplus::Ok;
        }
    }
    std::string result;
    const bool read = saved && ReadAll(target, result);
    ::DeleteFileA(source.c_str());
    if (!target.empty()) ::DeleteFileA(target.c_str());
    if (!read) return false;
    data.swap(result);
    return true;
}
