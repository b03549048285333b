// The debugger's side of the link on any frames: task-state, watch, long
// string, run-to-line and breakpoint replies, break and resource events, in
// whatever state the first byte picks (task paused or not, a watch read or a
// breakpoint read under way). Nothing may be read out of bounds, no watch row
// outside the list is written, and no row or mark outside the editor is set.
#include "tests/fuzz/FuzzTarget.h"

#include "tests/fuzz/FuzzLink.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Host : public FuzzHost {
public:
    std::string GetOpenFileName() override { return "a.php"; }
    bool IsPhpDebugMode() override { return true; }
    void ShowBreakFile(FileEntry&, int row) override { Check(row >= 0 && row < rows); }
    int GetEditorRowCount() override { return rows; }
    void SetBreakpointMark(int row, bool) override { Check(row >= 0 && row < rows); }
    int GetWatchCount() override { return watches; }
    std::string GetWatchName(int row) override { Check(row < watches); return row % 2 ? "$a[1][2]" : "$s"; }
    void SetWatchValue(int row, const std::string&, const std::string&, const std::string&) override
    {
        Check(row >= 0 && row < watches);
    }
    static void Check(bool ok)
    {
        if (!ok)
            std::abort();
    }
    int rows = 3, watches = 2;
};

std::vector<uint8_t> Frame(uint8_t kind, uint8_t group, uint8_t code, std::vector<uint8_t> items)
{
    size_t n = items.size();
    std::vector<uint8_t> f = {0x50, uint8_t(kind << 4), uint8_t((n + 4) >> 8), uint8_t(n + 4), group, code,
                              uint8_t(n >> 8), uint8_t(n)};
    f.insert(f.end(), items.begin(), items.end());
    return f;
}

std::vector<uint8_t> Int(int32_t v)
{
    uint32_t u = static_cast<uint32_t>(v);
    return {0, 2, 0, 4, uint8_t(u >> 24), uint8_t(u >> 16), uint8_t(u >> 8), uint8_t(u)};
}

std::vector<uint8_t> Mode(uint8_t m) { return {m}; }

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    const std::vector<uint8_t> file = {0, 6, 0, 10, 'a', '.', 'p', 'h', 'p', 0, 0, 0};
    const std::vector<uint8_t> str = {0, 7, 0, 6, 'h', 'i', 0, 0};
    return {
        Mode(0x07) + Frame(0, 1, 0x51, Int(0) + Int(2)) + Frame(2, 1, 0x30, Int(0) + Int(2) + file),
        Mode(0x03) + Frame(0, 1, 0x60, str + Int(100)) + Frame(1, 0, 0, {'x', 'y'}) + Frame(0, 3, 0x50, Int(2)),
        Mode(0x05) + Frame(0, 6, 0x42, Int(0) + Int(3) + file) + Frame(0, 6, 0x42, Int(0) + Int(9) + file),
        Mode(0x01) + Frame(2, 2, 0x20, Int(2048) + Int(1) + Int(2)) + Frame(2, 3, 0x30, Int(7) + Int(1) + Int(2) + Int(3)),
        Mode(0x02) + Frame(0, 1, 0x52, Int(0) + Int(1) + Int(2) + Int(3)) + Frame(0, 6, 0x13, Int(0)),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    FuzzPort port;
    port.open = true;
    Host host;
    CStdLinkFiles files;
    CDeviceLink link(port, host, files);
    auto entry = std::make_unique<FileEntry>();
    entry->name = "a.php";
    entry->data = "1\r\n2\r\n3";
    link.Entries().Insert(std::move(entry));
    const uint8_t mode = data[0];
    CDebuggerService& dbg = link.Debugger();
    if (mode & 1) {
        port.input.assign("\x50\x00\x00\x14\x01\x51\x00\x10\x00\x02\x00\x04\x00\x00\x00\x00\x00\x02\x00\x04\x00\x00\x00\x02",
                          24);
        link.OnSerialEvent(ILinkPort::kEvRxChar);
        dbg.OnWatchNext(0, true);
    }
    if (mode & 4)
        dbg.ReadBreakpoints("a.php");
    host.watches = (mode >> 4) & 3;
    port.input.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    link.OnSerialEvent(ILinkPort::kEvRxChar);
    if (mode & 2)
        link.OnTimer(CDebuggerService::kTimerWatchWait);
    return 0;
}
