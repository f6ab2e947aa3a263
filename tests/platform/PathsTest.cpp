#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(Paths, PartsWorkOnTheTextAlone)
{
    const struct {
        const char* path;
        const char* parent;
        const char* base;
        const char* extension;
    } cases[] = {
        { "/data/Split-vCards/John Doe.vcf", "/data/Split-vCards", "John Doe", "vcf" },
        { "/data/John Jr..vcf", "/data", "John Jr.", "vcf" },
        { "/data/name", "/data", "name", "" },
        { "/data.d/name", "/data.d", "name", "" },
        { "/x.vcf", "", "x", "vcf" },
        { "rel.vcf", "", "rel", "vcf" },
        { "", "", "", "" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetParentFolderName(c.path), c.parent) << c.path;
        EXPECT_EQ(GetBaseName(c.path), c.base) << c.path;
        EXPECT_EQ(GetExtensionName(c.path), c.extension) << c.path;
    }
    EXPECT_EQ(joinPath("/a", "b.vcf"), "/a/b.vcf");
}

} // namespace
} // namespace tessely
