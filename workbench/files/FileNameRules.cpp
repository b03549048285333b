#include "workbench/files/FileNameRules.h"

#include "link/codecs/Crc16.h"

#include <algorithm>
#include <cstring>

namespace filenames {
namespace {
bool Reserved(unsigned char c) { return c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c); }

bool PartOk(const std::string& part) {
    if (part.empty() || part == "." || part == "..") return false;
    return std::none_of(part.begin(), part.end(), [](char c) { return Reserved(static_cast<unsigned char>(c)); });
}
}  // namespace

Verdict CheckFullName(const std::string& name) {
    if (name.empty()) return Verdict::Empty;
    if (name.size() > kMaxFullName) return Verdict::TooLong;
    const size_t slash = name.find('/');
    if (slash == std::string::npos) return PartOk(name) ? Verdict::Ok : Verdict::BadName;
    return PartOk(name.substr(0, slash)) && PartOk(name.substr(slash + 1)) ? Verdict::Ok : Verdict::BadName;
}

std::string NameForm::StartText() {
    if (mode != 1) return std::string();
    const size_t dot = oldName.rfind('.');
    if (dot == std::string::npos) {
        keptExtension.clear();
        return oldName;
    }
    keptExtension = oldName.substr(dot);
    return oldName.substr(0, dot);
}

Verdict NameForm::Check(const std::string& typed, std::string& result) const {
    result = typed;
    if (result.empty()) return Verdict::Empty;
    if (mode == 1 && result + keptExtension == oldName) return Verdict::Unchanged;
    if (mode == 0 && !IsTextFile(result)) result += ".php";
    if (mode == 1) result += keptExtension;
    // The typed part is one name: a "/" in it would make a folder.
    const Verdict own = CheckFullName(result);
    if (own == Verdict::BadName || result.find('/') != std::string::npos) return Verdict::BadName;
    result = prefix + result;
    if (result.size() > kMaxFullName) return Verdict::TooLong;
    if (std::find(namesInUse.begin(), namesInUse.end(), result) != namesInUse.end()) return Verdict::InUse;
    return Verdict::Ok;
}

Verdict MakeAddedEntry(const std::string& path, const std::string& folder, int addAction, bool internalChosen,
                       FileEntry& entry) {
    const size_t cut = path.find_last_of("\\/");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (name.find('.') == std::string::npos) return Verdict::NoDot;
    if (!folder.empty()) name = folder + "/" + name;
    const Verdict v = CheckFullName(name);
    if (v != Verdict::Ok) return v;
    if (path.size() >= 260) return Verdict::TooLong;
    entry = FileEntry();
    entry.name = name;
    entry.nameLength = static_cast<uint8_t>(name.size() + 1);
    entry.pcPath = path;
    entry.linked = true;
    const bool internal = addAction == 0 || (addAction == 2 && internalChosen);
    entry.state = internal ? FileEntry::kAddedInternal : FileEntry::kAddedExternal;
    entry.kind = IsImageFile(name) ? FileEntry::kImage : IsTextFile(name) ? FileEntry::kText : FileEntry::kOther;
    return Verdict::Ok;
}

std::string TempFileName(const std::string& entryName) {
    std::string out = entryName;
    for (char& c : out)
        if (Reserved(static_cast<unsigned char>(c))) c = '-';
    // Windows drops trailing dots and spaces, and a leading dot run could
    // still read as "." or "..".
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    while (!out.empty() && (out.front() == '.' || out.front() == ' ')) out.erase(0, 1);
    if (out.size() > 100) {
        const size_t dot = out.rfind('.');
        const std::string ext = dot != std::string::npos && out.size() - dot <= 10 ? out.substr(dot) : std::string();
        out = out.substr(0, 100 - ext.size()) + ext;
    }
    if (out.empty()) return out;
    std::string stem = out.substr(0, out.find('.'));
    std::transform(stem.begin(), stem.end(), stem.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    bool device = std::find_if(std::begin(kDevices), std::end(kDevices),
                               [&](const char* d) { return stem == d; }) != std::end(kDevices);
    device = device || (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
                        stem[3] >= '0' && stem[3] <= '9');
    if (device) out = "-" + out;
    return out;
}

}  // namespace filenames
