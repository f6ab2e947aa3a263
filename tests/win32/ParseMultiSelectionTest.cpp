#include "win32/ParseMultiSelection.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace tessely
{
namespace
{

TEST(ParseMultiSelection, SplitsFolderAndNames)
{
    const struct {
        std::string selection;
        std::string folder;
        std::vector<std::string> names;
    } cases[] = {
        { ""s, "", {} },
        { "/phones\0a.vcf\0b.vcf"s, "/phones", { "a.vcf", "b.vcf" } },
        { "/phones\0c.vcf\0a.vcf\0b.vcf"s, "/phones", { "c.vcf", "a.vcf", "b.vcf" } },
        // The folder is taken as it stands; a name loses its leading spaces, the last one its trailing too.
        { " /my phones \0  a b.vcf \0 c.vcf  "s, " /my phones ", { "a b.vcf ", "c.vcf" } },
        // One name after the folder is no multiple selection.
        { "/phones\0a.vcf"s, "/phones", {} },
        { "/phones\0 a.vcf \0"s, "/phones", { "a.vcf ", "" } },
        { "/phones/a.vcf"s, "", {} },
    };
    for (const auto& c : cases) {
        std::vector<std::string> names { "left over" };
        EXPECT_EQ(ParseMultiSelection(c.selection, names), c.folder) << c.folder;
        EXPECT_EQ(names, c.names) << c.folder;
    }
}

} // namespace
} // namespace tessely
