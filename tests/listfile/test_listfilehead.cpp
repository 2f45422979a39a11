// The start of a list file's first line, as the wizard reads it to tell a
// project list from any other file.
#include "listfile/listfileerror.h"
#include "listfile/listfilehead.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string fileHolding(const std::string& bytes)
{
    const std::string path = ::testing::TempDir() + "listfilehead.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST(FirstLineStart, StopsWhereLoadingEndsTheFirstLine)
{
    EXPECT_EQ(firstLineStart(fileHolding("001     Alpha\r\n002"), 3), "001");
    EXPECT_EQ(firstLineStart(fileHolding("7\r\n002"), 3), "7");
    EXPECT_EQ(firstLineStart(fileHolding("12\n"), 3), "12");
    EXPECT_EQ(firstLineStart(fileHolding(std::string("1\0" "23", 4)), 3), "1");
    EXPECT_EQ(firstLineStart(fileHolding("\r\n001"), 3), "");
    EXPECT_EQ(firstLineStart(fileHolding(""), 3), "");
    EXPECT_EQ(firstLineStart(fileHolding("\xEF\xBB\xBF" "001     Alpha"), 3), "001");
    EXPECT_EQ(firstLineStart(fileHolding("\xEF\xBB\xBF" "7\r\n"), 3), "7");
    std::remove((::testing::TempDir() + "listfilehead.txt").c_str());
}

TEST(FirstLineStart, UnreadableFileFailsWithItsPath)
{
    try {
        firstLineStart(::testing::TempDir(), 3);  // a folder is no list
        FAIL();
    } catch (const ListFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + ::testing::TempDir());
    }
    EXPECT_THROW(firstLineStart("/no/such/file.txt", 3), ListFileError);
}
