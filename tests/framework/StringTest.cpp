#include "framework/String.h"

#include <gtest/gtest.h>

TEST(CStringTest, EditingKeepsBoundsAndBytes) {
    CString s("It is in the ISP mode.\r\nIt doesn't run");
    EXPECT_EQ(s.Remove('\r'), 1);
    EXPECT_EQ(s.Find('\n'), 22);
    EXPECT_EQ(s.Mid(23, 2), "It");
    // Out-of-range pieces are empty, never a read past the text.
    EXPECT_EQ(s.Mid(500), "");
    EXPECT_EQ(s.Left(-3), "");
    EXPECT_EQ(s.Right(1000), s);
    EXPECT_EQ(s.GetAt(-1), '\0');
    EXPECT_EQ(s.GetAt(s.GetLength()), '\0');
    EXPECT_EQ(s.Find('I', 1000), -1);

    CString r("a.b.c");
    EXPECT_EQ(r.Replace(".", ".."), 2);  // the replacement is not scanned again
    EXPECT_EQ(r, "a..b..c");
    r.Insert(100, "!");
    r.Delete(-1, 3);
    r.Delete(0, 2);
    EXPECT_EQ(r, ".b..c!");
}

TEST(CStringTest, CaseFoldingLeavesDoubleByteCharactersAlone) {
    // "가" in code page 949 is B0 A1; folding must not touch those bytes.
    CString k("\xB0\xA1" "Abc");
    CString lower = k;
    lower.MakeLower();
    EXPECT_EQ(lower, "\xB0\xA1" "abc");
    EXPECT_EQ(k.CompareNoCase("\xB0\xA1" "ABC"), 0);
    EXPECT_NE(k.CompareNoCase("\xB0\xA2" "abc"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
}

TEST(CStringTest, FormatHandlesLongOutput) {
    CString s;
    std::string big(5000, 'x');
    s.Format("%s-%d-%02d", big.c_str(), 42, 7);
    EXPECT_EQ(s.GetLength(), 5000 + 6);
    EXPECT_EQ(s.Right(6), "-42-07");
}

TEST(CStringArrayTest, InsertAndRemoveClampToTheArray) {
    CStringArray a;
    a.Add("b");
    a.InsertAt(0, "a");
    a.InsertAt(99, "c");
    ASSERT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[0], "a");
    EXPECT_EQ(a[2], "c");
    a.RemoveAt(7);
    a.RemoveAt(1);
    EXPECT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[1], "c");
}
