// The editor core on generated PHP/HTML of 1 MB (about 25k lines) and 10 MB.
#include "editor/CodePageConverter.h"
#include "editor/EditorCore.h"
#include "editor/TextEncoding.h"
#include "editor/TextLayout.h"
#include "editor/TextMetrics.h"
#include "editor/TextSearch.h"
#include "editor/TextStore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace {

// A board page: HTML around a PHP block, with Korean text in code page 949
// ("\xc7\xd1\xb1\xdb" is two Hangul syllables).
const char* const kTemplate[] = {
    "<html><head><title>Board status page</title></head>",
    "<body bgcolor=\"#ffffff\" onload=\"init()\" text=\"#000000\">",
    "<?php",
    "\t// read the sensor on port 12 and print the value",
    "\t$value = pid_read($pid, 12); $count = $count + 1;",
    "\tif ($value > 100 && $count < 1000) {",
    "\t\techo \"value: $value at step $count\\r\\n\";",
    "\t} else {",
    "\t\tprintf(\"low %d \xc7\xd1\xb1\xdb %d\", $value, $count);",
    "\t}",
    "\t/* \xc7\xd1\xb1\xdb comment that runs",
    "\t   over two lines of the page */",
    "\t$s = str_replace('a', 'b', $s); usleep(1000);",
    "?>",
    "<table border=\"1\" width=\"100%\" cellpadding=\"2\">",
    "<tr><td>\xc7\xd1\xb1\xdb</td><td class=\"ok\">ok</td></tr>",
    "</table>",
    "<!-- footer of the board status page -->",
    "</body></html>",
};

const std::string& Document(size_t bytes, bool utf8)
{
    static std::map<std::pair<size_t, bool>, std::string> cache;
    std::string& doc = cache[{bytes, utf8}];
    if (doc.empty()) {
        std::string text;
        for (size_t i = 0; text.size() < bytes; ++i) {
            text += kTemplate[i % (sizeof kTemplate / sizeof kTemplate[0])];
            text += "\r\n";
        }
        if (utf8) {
            // The same text as UTF-8 (two syllables: U+D55C U+AE00).
            std::string out;
            for (size_t p = 0; p < text.size(); ++p) {
                if (text.compare(p, 4, "\xc7\xd1\xb1\xdb") == 0) {
                    out += "\xed\x95\x9c\xea\xb8\x80";
                    p += 3;
                } else {
                    out += text[p];
                }
            }
            text = out;
        }
        doc = text;
    }
    return doc;
}

const CCodePageConverter& Converter()
{
    static std::unique_ptr<CCodePageConverter> c = CreateCodePageConverter(949);
    return *c;
}

struct FixedMetrics : CTextMetrics
{
    int TextWidth(const char*, int count) const override { return 8 * count; }
    int CharHeight() const override { return 16; }
    int AveCharWidth() const override { return 8; }
};

size_t Size(const benchmark::State& state)
{
    return static_cast<size_t>(state.range(0)) << 20;
}

void Label(benchmark::State& state, const CTextStore& store)
{
    state.counters["lines"] = store.Lines().Count();
    state.counters["MB"] = static_cast<double>(store.Length()) / (1 << 20);
}

// Load and colour everything: the 10 MB goal is under 0.5 s.
void BM_LoadAndColour(benchmark::State& state)
{
    const std::string& doc = Document(Size(state), true);
    CTextStore store(&Converter());
    for (auto _ : state) {
        store.SetText(doc.data(), doc.size());
        store.ParseUpTo(store.Lines().Count() - 1);
    }
    Label(state, store);
}
BENCHMARK(BM_LoadAndColour)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Undoing a 1 MB paste in the middle of the document.
void BM_UndoPaste(benchmark::State& state)
{
    const std::string& doc = Document(Size(state), false);
    const std::string& paste = Document(1 << 20, false);
    CTextStore store(&Converter());
    store.SetText(doc.data(), doc.size());
    int at = store.Lines().Start(store.Lines().Count() / 2);
    for (auto _ : state) {
        state.PauseTiming();
        store.InsertText(paste, at, true);
        store.ParseUpTo(store.Lines().Count() - 1);
        state.ResumeTiming();
        store.Undo();
        store.ParseUpTo(store.Lines().PosToLine(at) + 50);
    }
    Label(state, store);
}
BENCHMARK(BM_UndoPaste)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(20);

// A minified page: the whole script on one row, a colour span every few
// bytes. Colouring the row and cutting it into runs for painting must stay
// linear in its length.
void BM_PaintOneLongRow(benchmark::State& state)
{
    std::string doc = "<?php ";
    while (doc.size() < Size(state))
        doc += "$v = pid_read($pid, 12); if ($v > 100) { echo \"v \\\"x\\\"\"; } else { usleep(10); } ";
    CTextStore store(&Converter());
    store.SetText(doc.data(), doc.size());
    CTextLayout layout(store);
    FixedMetrics metrics;
    layout.SetMetrics(metrics);
    EditorColours colours;
    size_t runs = 0;
    for (auto _ : state) {
        store.Parser().InvalidateFrom(0);
        store.ParseUpTo(0);
        runs = layout.SplitRow(0, 10, 5000, true, true, colours).size();
    }
    state.counters["spans"] = static_cast<double>(store.Parser().Spans(0).size());
    state.counters["runs"] = static_cast<double>(runs);
    Label(state, store);
}
BENCHMARK(BM_PaintOneLongRow)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace


// What a WM_PAINT of a full screen costs without GDI: colour up to the last
// visible row and cut every visible row into runs, 50 rows of 1000 pixels,
// in the middle of the document.
struct Screen
{
    explicit Screen(size_t mb) : core(&Converter())
    {
        const std::string& doc = Document(mb << 20, false);
        core.SetText(doc.data(), doc.size());
        core.Layout().SetMetrics(FixedMetrics());
        core.Layout().SetClientSize(1200, 50 * core.Layout().LineHeight());
        core.GoToLine(core.Store().Lines().Count() / 2);
        core.Layout().ScrollIntoView(core.Caret(), 2);
    }
    size_t Paint()
    {
        int first, last;
        core.Layout().PaintRows(0, 50 * core.Layout().LineHeight(), first, last);
        core.Store().ParseUpTo(last);
        size_t runs = 0;
        EditorColours colours;
        for (int row = first; row <= last; ++row)
            runs += core.Layout().SplitRow(row, core.SelStart(), core.SelEnd(), true, row == core.CaretRow(), colours).size();
        return runs;
    }
    CEditorCore core;
};

// A typed character in the middle of the screen, then the repaint it causes
// (the edited line on is coloured again up to the last visible row). The
// document starts fully coloured, the worst case for what an edit discards.
static void BM_KeystrokeToPaint(benchmark::State& state)
{
    Screen screen(static_cast<size_t>(state.range(0)));
    screen.core.Store().ParseUpTo(screen.core.Store().Lines().Count() - 1);
    screen.Paint();
    for (auto _ : state) {
        screen.core.TypeChar('x');
        benchmark::DoNotOptimize(screen.Paint());
    }
}
BENCHMARK(BM_KeystrokeToPaint)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond)->Iterations(500);

// One undo group of many records past both limits (a long Replace All):
// closing a record must not walk the history.
static void BM_UndoGroup(benchmark::State& state)
{
    for (auto _ : state) {
        CTextStore store(&Converter());
        store.BeginUndoGroup();
        for (int i = 0; i < state.range(0); ++i)
            store.InsertText("\r\n", store.Length(), true);
        store.EndUndoGroup();
        benchmark::DoNotOptimize(store.History().Index());
    }
}
BENCHMARK(BM_UndoGroup)->Arg(80000)->Unit(benchmark::kMillisecond)->Iterations(3);

// 1 MB of script with "$hit" in it `matches` times, evenly spread; or all
// of it on one long line.
static std::string ReplaceDocument(int matches, bool oneLine)
{
    const size_t size = size_t(1) << 20;
    std::string filler;
    for (size_t i = 0; filler.size() < size; ++i) {
        // ASCII lines only, so a cut never parts a two-byte character.
        std::string line = kTemplate[i % (sizeof kTemplate / sizeof kTemplate[0])];
        if (std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            filler += line + (oneLine ? " " : "\r\n");
    }
    const size_t gap = size / static_cast<size_t>(matches) - 4;
    std::string doc;
    doc.reserve(size + 64);
    for (int i = 0; i < matches; ++i) {
        doc.append(filler, (static_cast<size_t>(i) * 7919) % (filler.size() - gap), gap);
        doc += "$hit";
    }
    return doc;
}

// Replace All over 1 MB with a given number of matches, one iteration
// replacing "$hit" by "$miss" and the next back again. The goal is under
// 100 ms at 100,000 matches, and time growing with the matches, not with
// their product with the document. Arg 1: 1 = one long line.
static void BM_ReplaceAll(benchmark::State& state)
{
    const int matches = static_cast<int>(state.range(0));
    const std::string doc = ReplaceDocument(matches, state.range(1) != 0);
    CEditorCore core(&Converter());
    core.SetText(doc.data(), doc.size());
    bool back = false;
    int replaced = 0;
    for (auto _ : state) {
        replaced = back ? core.ReplaceAll(kSearchMatchCase, "$hit", "$miss")
                        : core.ReplaceAll(kSearchMatchCase, "$miss", "$hit");
        back = !back;
    }
    if (replaced != matches)
        state.SkipWithError("wrong number of matches");
    state.counters["matches"] = replaced;
    state.counters["lines"] = core.Store().Lines().Count();
}
BENCHMARK(BM_ReplaceAll)
    ->ArgsProduct({{12500, 25000, 50000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Undo and redo of that Replace All: one pass each too.
static void BM_ReplaceAllUndoRedo(benchmark::State& state)
{
    const std::string doc = ReplaceDocument(static_cast<int>(state.range(0)), false);
    CEditorCore core(&Converter());
    core.SetText(doc.data(), doc.size());
    core.ReplaceAll(kSearchMatchCase, "$miss", "$hit");
    for (auto _ : state) {
        core.Undo();
        core.Redo();
    }
}
BENCHMARK(BM_ReplaceAllUndoRedo)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
