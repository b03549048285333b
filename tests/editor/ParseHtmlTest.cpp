#include "editor/CodePageConverter.h"
#include "editor/TextStore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ParseHtmlTest : public ::testing::Test
{
protected:
    ParseHtmlTest() : converter(CreateCodePageConverter(949)), store(converter.get()) {}

    void Load(const std::string& text)
    {
        store.SetText(text.data(), text.size());
        store.ParseUpTo(store.Lines().Count() - 1);
    }
    // One character per byte of the row: the style (0-9, then A=10..D=13)
    // of the last span that starts at or before it.
    std::string Styles(int row) const
    {
        const auto& spans = store.Parser().Spans(row);
        std::string out;
        for (int p = store.Lines().Start(row); p < store.Lines().End(row); ++p) {
            int style = -1;
            for (const ColourSpan& s : spans)
                if (s.position <= p)
                    style = s.style;
            out += "0123456789ABCDEF"[style & 15];
        }
        return out;
    }
    std::string Colour(const std::string& line)
    {
        Load(line);
        return Styles(0);
    }
    int EndState(int row) const { return store.Parser().EndState(row); }

    std::unique_ptr<CCodePageConverter> converter;
    CTextStore store;
};

} // namespace

// One line per token class; what is plainly seen in the editor is not repeated.
TEST_F(ParseHtmlTest, TagsAttributesAndValues)
{
    EXPECT_EQ(Colour("<div class=\"x\">"), "111102222203331");
    EXPECT_EQ(Colour("<a href=\"a\\\"b\">z"), "1102222033333310"); // escaped quote
    EXPECT_EQ(Colour("<!-- c -->x"), "44444444440");
    // "http-equiv" never matches: words end at "-".
    EXPECT_EQ(Colour("<a http-equiv=y>").substr(3, 10), "0000000000");
    // Not a tag word after "<": no colour but the "<".
    EXPECT_EQ(Colour("<foo bar>"), "100000001");
}

TEST_F(ParseHtmlTest, PhpAndAspBlocks)
{
    EXPECT_EQ(Colour("<% dim x 'note"), "55566655588888");
    EXPECT_EQ(Colour("<?php echo strlen($s); ?>x"), "99AAA9DDDD9DDDDDD999999990");
    EXPECT_EQ(Colour("<? ECHO Strlen If ?>"), std::string(20, '9')); // case matters
    EXPECT_EQ(Colour("<? echo \"a\\\"b?>x"), "999DDDD9BBBBBBB0");     // "?>" ends a string
    EXPECT_EQ(Colour("<? $_GET; // if"), "9999DDDD99CCCCC");
    // The first word of a block reaches back over the opener: never a match.
    EXPECT_EQ(Colour("echo<?x"), "0000999");
    // A word far longer than any keyword is simply not one.
    std::string longWord = "<? " + std::string(5000, 'e') + " if";
    EXPECT_EQ(Colour(longWord).substr(5000), "9999AA");
}

TEST_F(ParseHtmlTest, EndStatesCarryOverToTheNextLine)
{
    Load("<? a /* one\r\ntwo\r\nthree */ if");
    EXPECT_EQ(Styles(1), "444"); // continuation lines take the HTML comment style
    EXPECT_EQ(Styles(2), "444444449AA");
    struct
    {
        const char* line;
        int endState;
        char nextStyle;
        int nextEndState;
    } const cases[] = {
        {"x", 0, '0', 0},    {"<a", 1, '0', 1},      {"<!--", 2, '4', 2},   {"<% '", 6, '5', 5},
        {"<? \"", 9, 'B', 9}, {"<? //", 11, '9', 8}, {"<? /*", 12, '4', 12},
    };
    for (const auto& c : cases) {
        Load(std::string(c.line) + "\r\nz");
        EXPECT_EQ(EndState(0), c.endState) << c.line;
        EXPECT_EQ(Styles(1), std::string(1, c.nextStyle)) << c.line;
        EXPECT_EQ(EndState(1), c.nextEndState) << c.line;
    }
}

TEST_F(ParseHtmlTest, EditsInvalidateFromTheirLine)
{
    Load("<?\r\na\r\nif\r\n?>\r\n<b>");
    ASSERT_EQ(Styles(2), "AA");
    EXPECT_TRUE(store.Parser().IsParsed(4));
    store.InsertText("/*", store.Lines().Start(1), true);
    EXPECT_TRUE(store.Parser().IsParsed(0));
    EXPECT_FALSE(store.Parser().IsParsed(1));
    EXPECT_FALSE(store.Parser().IsParsed(4));
    store.ParseUpTo(2); // only as far as asked
    EXPECT_FALSE(store.Parser().IsParsed(3));
    EXPECT_EQ(Styles(2), "44");
    store.Undo();
    store.ParseUpTo(4);
    EXPECT_EQ(Styles(2), "AA");
    EXPECT_EQ(Styles(4), "111");
}
