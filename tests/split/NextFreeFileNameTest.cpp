#include "split/NextFreeFileName.h"

#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <string>

namespace tessely
{
namespace
{

TEST(NextFreeFileName, GivesTheNextSuffixOfTheBaseName)
{
    const struct {
        std::string base;
        std::string next;
    } cases[] = {
        { "John Doe", "John Doe-#1" },
        { "John Doe-#1", "John Doe-#2" },
        { "X-#9", "X-#10" },
        { "X-#0", "X-#0-#1" },
        { "X-#abc", "X-#abc-#1" },
        { "X-# 7", "X-#8" },
        { "X-#007", "X-#8" },
        { "X-#", "X-#-#1" },
        { "A-#2-#5", "A-#2-#6" },
        { "A-#2x", "A-#2x-#1" },
        { "X-#-3", "X-#-2" },
        { "X-#-1", "X-#0" },
        { "John Jr.", "John Jr.-#1" },
        // Suffix numbers are 64-bit.
        { "X-#32767", "X-#32768" },
        { "X-#-32769", "X-#-32768" },
        { "X-#9223372036854775806", "X-#9223372036854775807" },
        { "X-#9223372036854775807", "X-#9223372036854775807-#1" },
        { "X-#9223372036854775808", "X-#9223372036854775808-#1" },
        { "X-#-9223372036854775808", "X-#-9223372036854775807" },
        { "X-#99999999999999999999", "X-#99999999999999999999-#1" },
        // Only an optionally signed decimal integer, with spaces around it, is numeric.
        { "X-#+4", "X-#5" },
        { "X-# -4 ", "X-#-3" },
        { "X-#-", "X-#--#1" },
        { "X-#+-4", "X-#+-4-#1" },
        { "X-#1.5", "X-#1.5-#1" },
        { "X-#1e3", "X-#1e3-#1" },
        { "X-#0x1F", "X-#0x1F-#1" },
        { "X-#\t4", "X-#\t4-#1" },
        { "X-#-0", "X-#-0-#1" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            NextFreeFileName("/data/Split-vCards/" + c.base + ".vcf"), joinPath("/data/Split-vCards", c.next + ".vcf"))
            << c.base;
    }
}

TEST(NextFreeFileName, KeepsFolderAndExtension)
{
    EXPECT_EQ(NextFreeFileName("/data/Split-vCards/John Doe.vcf"), joinPath("/data/Split-vCards", "John Doe-#1.vcf"));
    EXPECT_EQ(NextFreeFileName("/data/name"), joinPath("/data", "name-#1."));
    EXPECT_EQ(NextFreeFileName("/data/a.b.VCF"), joinPath("/data", "a.b-#1.VCF"));
    EXPECT_EQ(NextFreeFileName("/da-#7ta/x.vcf"), joinPath("/da-#7ta", "x-#1.vcf"));
    EXPECT_EQ(NextFreeFileName(""), "");
}

TEST(NextFreeFileName, ChainRunsThroughTheSuffixNumbers)
{
    std::string path = "/f/Same.vcf";
    for (int i = 1; i <= 4; ++i) {
        path = NextFreeFileName(path);
        EXPECT_EQ(path, joinPath("/f", "Same-#" + std::to_string(i) + ".vcf"));
    }
}

} // namespace
} // namespace tessely
