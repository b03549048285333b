// The PC's files under Wine: paths are ANSI text in the system code page,
// as the program gets them from the shell and the preferences.
#include "link/LinkFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {
// A folder name with a letter outside ASCII in the ANSI code page: 0xE9 is
// "é" in code page 1252 and a lead byte in 949; either way no UTF-8.
std::string AnsiFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "zarvod-caf\xE9" + std::to_string(GetCurrentProcessId());
}
} // namespace

TEST(LinkFilesWin32, AnsiPathsReachTheSameFiles)
{
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "the ANSI code page is UTF-8 here";
    CStdLinkFiles files;
    std::string folder = AnsiFolder();
    std::string nested = folder + "\\ZarvoD\\Backup";
    ASSERT_EQ(files.CreateFolder(nested), 0u);
    EXPECT_NE(GetFileAttributesA(nested.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    std::string file = nested + "\\3a00.wc";
    EXPECT_FALSE(files.Exists(file));
    ASSERT_EQ(files.WriteFileSafely(file, std::string("\x01\x02", 2)), 0u);
    // The overwrite question and the restore offer depend on this answer.
    EXPECT_TRUE(files.Exists(file));
    EXPECT_EQ(files.CreateFolder(nested), 0u);
    EXPECT_EQ(files.Delete(file), 0u);
    EXPECT_FALSE(files.Exists(file));
    RemoveDirectoryA(nested.c_str());
    RemoveDirectoryA((folder + "\\ZarvoD").c_str());
    RemoveDirectoryA(folder.c_str());
}
