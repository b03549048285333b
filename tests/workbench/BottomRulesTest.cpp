// The bottom pane's portable rules, without windows.
#include "workbench/bottom/GaugeRules.h"
#include "workbench/bottom/HexDump.h"
#include "workbench/bottom/LogTrim.h"
#include "workbench/bottom/WatchList.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Code page 949's lead bytes.
bool Lead949(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

std::string Lines(int count, const char* body)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += std::string(body) + std::to_string(i) + "\r\n";
    return s;
}

}  // namespace

TEST(LogTrimTest, CutPlaces)
{
    // A line start near the cut wins.
    const std::string lines = std::string(3000, 'a') + "\r\n" + std::string(5000, 'b');
    EXPECT_EQ(CLogTrim::FrontCut(lines, lines.size(), 6000, &Lead949).bytes, 3002u);
    EXPECT_EQ(CLogTrim::FrontCut(lines, lines.size(), 9000, &Lead949).bytes, 0u);  // it fits
    // No line break near the cut: never between a lead and a trail byte (the Korean
    // Win32 suite on a long line) nor between CR and LF.
    const std::string korean = "\xC7\xD1";  // one two-byte character
    struct Case {
        std::string text;
        size_t keep;
        size_t cut;
    } cases[] = {
        {std::string(5000, 'a'), 4000, 1000},
        {"a" + korean + korean + std::string(5000, 'b'), 5003, 3},  // would fall inside the first character
        {"aaaa\r\n" + std::string(5000, 'b'), 5001, 6},  // between CR and LF
    };
    for (const Case& c : cases) {
        const CLogTrim::Cut cut = CLogTrim::FrontCut(c.text, c.text.size(), c.keep, &Lead949);
        EXPECT_EQ(cut.bytes, c.cut) << c.keep;
    }
    // Characters counted inside the line that was cut.
    const std::string text = "x\r\n" + korean + korean + "ab" + std::string(6200, 'c');
    const CLogTrim::Cut cut = CLogTrim::FrontCut(text, text.size(), text.size() - 9, &Lead949);
    EXPECT_EQ(cut.bytes, 9u);
    EXPECT_EQ(cut.lines, 1);
    EXPECT_EQ(cut.partChars, 4u);  // two Korean characters, a and b
}

TEST(LogTrimTest, PendingTextKeepsItsEnd)
{
    std::string pending = Lines(5000, "p") + "end";
    CLogTrim::BoundPending(pending, &Lead949);
    EXPECT_LE(pending.size(), CLogTrim::kLimit);
    EXPECT_EQ(pending.substr(pending.size() - 3), "end");
}

// A fill plan as "piece x+width ...": pieces F(ill) and O(ver), l(eft) m(iddle) r(ight).
std::string Plan(int left, int right, uint32_t used, uint32_t total, bool overFull)
{
    gauge::FillImages img;
    img.fillLeft = img.fillRight = img.overLeft = img.overRight = 6;
    static const char* names[] = {"Fl", "Fm", "Fr", "Ol", "Om", "Or"};
    std::string out;
    for (const gauge::Part& p : gauge::PlanFill(left, right, used, total, img, overFull))
        out += std::string(out.empty() ? "" : " ") + names[static_cast<int>(p.piece)] + std::to_string(p.x) + "+" +
               std::to_string(p.width);
    return out;
}

TEST(GaugeTest, FillPieces)
{
    struct Case {
        uint32_t used, total;
        bool overFull;
        const char* plan;
    } cases[] = {
        {100, 0, true, ""},  // no total: the track alone
        {500, 1000, true, "Fl2+6 Fm8+94"},
        {1001, 1000, true, "Ol2+6 Om8+188 Or196+6"},
        // Over full is tested first: the fill would be narrow from a wrapped product.
        {0xFFFFFFFFu, 0x10u, true, "Ol2+6 Om8+188 Or196+6"},
        // Without over-full images the fill is simply full.
        {2000, 1000, false, "Fl2+6 Fm8+188 Fr196+6"},
        // Board values past 2^31: no overflow, no negative width.
        {0x00800000u, 0xFFFFFFFFu, true, "Fl2+5"},
        {0xFFFFFFFEu, 0xFFFFFFFFu, true, "Fl2+6 Fm8+188 Fr196+5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Plan(2, 202, c.used, c.total, c.overFull), c.plan) << c.used << "/" << c.total;
    EXPECT_EQ(Plan(5, 5, 1, 1, true), "");  // no track at all
}

TEST(GaugeTest, Texts)
{
    // Board figures as unsigned, and never a negative free space.
    EXPECT_EQ(gauge::FlashUsedText(0xFFFFFFFFu), "4194303KB");
    EXPECT_EQ(gauge::FlashFreeText(2000, 1000), "0KB");
    EXPECT_EQ(gauge::ResourceUsedText(3, 0x80000000u), "2147483648KB");  // "System Memory" in KB
    EXPECT_EQ(gauge::ResourceFreeText(1, 70, 64), "0");
    EXPECT_EQ(gauge::ResourceRecordOfRow(5, 3), 11);  // "Task 7"
}

// The flash bar's texts over [10, 190): never touching, the title whole
// where the figures leave it room.
TEST(GaugeTest, BarTextsKeepApart)
{
    const int gap = gauge::kBarTextGap;
    struct Row {
        int used, title, free;  // text widths
        int titleLeft, titleRight;
        bool cut;
    } rows[] = {
        {20, 60, 38, 70, 130, false},   // centred on the bar: it clears both figures
        {0, 60, 0, 70, 130, false},     // no figures (total 0)
        {62, 60, 38, 82, 142, false},   // pushed off centre, still whole
        {50, 76, 50, 66, 134, true},    // cut to the room between the figures
        {90, 60, 90, 106, 106, true},   // no room at all: left out
    };
    for (const Row& r : rows) {
        const gauge::BarTexts t = gauge::PlaceBarTexts(10, 190, r.used, r.title, r.free);
        EXPECT_EQ(t.used.left, 10);
        EXPECT_EQ(t.used.right, 10 + r.used);
        EXPECT_EQ(t.free.right, 190);
        EXPECT_EQ(t.free.left, 190 - r.free);
        EXPECT_EQ(t.title.left, r.titleLeft) << r.used << "/" << r.title << "/" << r.free;
        EXPECT_EQ(t.title.right, r.titleRight) << r.used << "/" << r.title << "/" << r.free;
        EXPECT_EQ(t.titleCut, r.cut) << r.used << "/" << r.title << "/" << r.free;
        if (r.used > 0 && t.title.Width() > 0) {
            EXPECT_GE(t.title.left, t.used.right + gap);
        }
        if (r.free > 0 && t.title.Width() > 0) {
            EXPECT_LE(t.title.right + gap, t.free.left);
        }
    }
}

TEST(HexDumpTest, Lines)
{
    EXPECT_EQ(FormatHexDump(""), "");
    EXPECT_EQ(FormatHexDump("616263"), "00000000 | 61 62 63 " + std::string(13 * 3, ' ') + " | abc\r\n");
    // Bytes 0x20 and 0x7F are dots, 0x21 and 0x7E themselves; a pair that is no hex number is 0.
    EXPECT_EQ(FormatHexDump("207f217ezz"), "00000000 | 20 7f 21 7e zz " + std::string(11 * 3, ' ') + " | ..!~.\r\n");
    // 33 digits: the second line holds one digit, which is dropped, and 16 blank groups.
    const std::string odd = FormatHexDump(std::string(33, '4'));
    EXPECT_EQ(odd.substr(odd.find("\r\n") + 2), "00000010 | " + std::string(48, ' ') + " | \r\n");
}

namespace {

class CMapProfile : public CProfileStore {
public:
    bool exists = true;
    std::map<std::string, std::string> keys;
    bool Exists() override { return exists; }
    int GetInt(const char* s, const char* k, int fallback) override {
        auto it = keys.find(std::string(s) + "/" + k);
        return it == keys.end() ? fallback : std::stoi(it->second);
    }
    std::string GetString(const char* s, const char* k, const char* fallback, size_t max) override {
        auto it = keys.find(std::string(s) + "/" + k);
        return (it == keys.end() ? std::string(fallback) : it->second).substr(0, max);
    }
    void WriteString(const char* s, const char* k, const std::string& v) override {
        keys[std::string(s) + "/" + k] = v;
    }
};

}  // namespace

// Blank and bare names and deletes: the Win32 suite's watch tests.
TEST(WatchListTest, NamesAreBoundedWithTheirDollar)
{
    std::string name;
    EXPECT_TRUE(CWatchList::AcceptName(std::string(254, 'v'), name));  // 255 with the "$"
    EXPECT_FALSE(CWatchList::AcceptName(std::string(255, 'v'), name));
    // Only strings open a detail view.
    EXPECT_TRUE(CWatchList::HasDetail("STR[100]"));
    EXPECT_FALSE(CWatchList::HasDetail("ARRAY"));
}

TEST(WatchListTest, ColumnWidthsFromTheFileStayInsideThePane)
{
    struct Row {
        int width, fallback, room, expected;
    } rows[] = {
        {150, 120, 600, 150},       // a width the user chose stays
        {20, 80, 600, 20},          // the narrowest that still shows
        {0, 240, 600, 240},         // hidden: its default
        {-5, 80, 600, 80},
        {19, 80, 600, 80},
        {999999999, 80, 600, 80},   // wider than the pane: its default
        {601, 80, 600, 80},
        {600, 80, 600, 600},
        {700, 240, 200, 200},       // a default wider than the pane is cut to it
        {0, 240, 5, CWatchList::kMinColumnWidth},  // a pane too small for anything
    };
    for (const Row& r : rows)
        EXPECT_EQ(CWatchList::BoundColumnWidth(r.width, r.fallback, r.room), r.expected)
            << r.width << " in " << r.room;
}

TEST(WatchListTest, IniValuesAreBounded)
{
    CMapProfile ini;
    ini.keys = {{"Watch/Count", "2"}, {"Watch/Name", "0"}, {"Watch/Type", "95"}, {"Watch/Value", "-3"},
                {"List001/Name", "$" + std::string(300, 'c')}};
    CWatchList list;
    int widths[3] = {120, 80, 240};
    ASSERT_TRUE(list.Load(ini, widths));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Name(1).size(), CWatchList::kMaxName);
    EXPECT_EQ(widths[0], 120);  // a hidden column keeps the default, even if never laid out
    EXPECT_EQ(widths[1], 95);
    EXPECT_EQ(widths[2], 240);  // a negative width keeps the default

    CMapProfile out;
    const int saved[3] = {100, -1, 200};  // the second could not be read
    list.Save(out, saved);
    EXPECT_EQ(out.keys.count("Watch/Type"), 0u);
    EXPECT_EQ(out.keys["List000/Name"], "");

    ini.keys = {{"Watch/Count", "100000"}};
    list.Load(ini, widths);
    EXPECT_EQ(list.Count(), CWatchList::kMaxRows);
    EXPECT_FALSE(list.Add("$more"));
    EXPECT_FALSE(list.Menu(false, "").add);
    ini.keys = {{"Watch/Count", "-4"}};
    list.Load(ini, widths);
    EXPECT_EQ(list.Count(), 0);
}

TEST(WatchListTest, ValuesStayWithTheirRows)
{
    CWatchList list;
    for (const char* n : {"$a", "$b", "$c", "$d"})
        list.Add(n);
    // A reply stores its full value at its own row, whatever rows had none before.
    list.AskName(2);
    EXPECT_TRUE(list.SetValue(2, "STR[3]", "abc", "616263"));
    EXPECT_EQ(list.FullValue(2), "616263");
    for (int row : {0, 7, -1})
        EXPECT_EQ(list.FullValue(row), "") << row;

    // A row removed in front of the row asked for: its late answer goes nowhere.
    EXPECT_EQ(list.AskName(1), "$b");
    list.Remove(0);
    EXPECT_FALSE(list.SetValue(1, "INT", "5", "5"));
    EXPECT_EQ(list.At(1)->type, "STR[3]");  // $c kept its own value
    EXPECT_EQ(list.FullValue(1), "616263");

    // A renamed row drops its old value and refuses an answer for the old name.
    list.AskName(0);
    EXPECT_TRUE(list.Rename(0, "$bb"));
    EXPECT_FALSE(list.Rename(0, "$bb"));
    EXPECT_FALSE(list.SetValue(0, "INT", "1", "1"));
    list.AskName(0);
    EXPECT_TRUE(list.SetValue(0, "INT", "1", "1"));
    EXPECT_FALSE(list.SetValue(9, "INT", "1", "1"));
}
