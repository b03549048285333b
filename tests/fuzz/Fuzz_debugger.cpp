// The debugger's side of the link on any frames, in the state the first byte picks:
// no read out of bounds, no watch row, editor row or mark outside its list is set.
#include "tests/fuzz/FuzzTarget.h"

#include "tests/fuzz/FuzzLink.h"

#include <cstdlib>

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

} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    using B = std::vector<uint8_t>;
    const B file = ItemText("a.php"), str = ItemBytes({'h', 'i'});
    const B i0 = ItemInt(0), i1 = ItemInt(1), i2 = ItemInt(2), i3 = ItemInt(3);
    return {
        B{0x07} + Frame(0, 1, 0x51, i0 + i2) + Frame(2, 1, 0x30, i0 + i2 + file),
        B{0x03} + Frame(0, 1, 0x60, str + ItemInt(100)) + Frame(1, 0, 0, {'x', 'y'}) + Frame(0, 3, 0x50, i2),
        B{0x05} + Frame(0, 6, 0x42, i0 + i3 + file) + Frame(0, 6, 0x42, i0 + ItemInt(9) + file),
        B{0x01} + Frame(2, 2, 0x20, ItemInt(2048) + i1 + i2) + Frame(2, 3, 0x30, ItemInt(7) + i1 + i2 + i3),
        B{0x02} + Frame(0, 1, 0x52, i0 + i1 + i2 + i3) + Frame(0, 6, 0x13, i0),
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
    link.Files().Entries().Insert(std::move(entry));
    const uint8_t mode = data[0];
    CDebuggerService& dbg = link.Debugger();
    if (mode & 1) {
        const std::vector<uint8_t> paused = Frame(0, 1, 0x51, ItemInt(0) + ItemInt(2));
        port.input.assign(paused.begin(), paused.end());
        link.Session().OnSerialEvent(ILinkPort::kEvRxChar);
        dbg.OnWatchNext(0, true);
    }
    if (mode & 4)
        dbg.ReadBreakpoints("a.php");
    host.watches = (mode >> 4) & 3;
    port.input.assign(reinterpret_cast<const char*>(data + 1), size - 1);
    link.Session().OnSerialEvent(ILinkPort::kEvRxChar);
    if (mode & 2)
        link.Session().OnTimer(CDebuggerService::kTimerWatchWait);
    return 0;
}
