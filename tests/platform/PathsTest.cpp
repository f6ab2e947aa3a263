#include "platform/Paths.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(Paths, DeviceNamesAreTheWindowsFileLayersOnEverySystem)
{
    const struct {
        const char* name;
        bool device;
    } cases[] = {
        { "CON", true },
        { "con", true },
        { "Nul", true },
        { "aux", true },
        { "PRN", true },
        { "COM1", true },
        { "com9", true },
        { "COM0", true },
        { "LPT0", true },
        { "lpt5", true },
        { "COM\xC2\xB9", true },
        { "LPT\xC2\xB2", true },
        { "com\xC2\xB3", true },
        { "CONIN$", true },
        { "conout$", true },
        // Windows reads the name up to its first dot, spaces before the dot left out.
        { "CON.txt", true },
        { "aux.txt.vcf", true },
        { "con .txt", true },
        { "NUL ", true },
        { "COM10", false },
        { "COM\xC2\xB4", false },
        { "COM\xC2\xBC", false },
        { "CONSOLE", false },
        { "CONIN", false },
        { "LPT", false },
        { "Connie", false },
        { " CON", false },
        { "CON-#1.vcf", false },
        { "CO", false },
        { "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDeviceName(c.name), c.device) << c.name;
}

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
}

TEST(Paths, ThisSystemsSeparatorsDrivesAndServers)
{
    const struct {
        const char* path;
        const char* parent;
        const char* name;
        bool relative;
    } cases[] = {
#ifdef _WIN32
        { "C:\\data\\Split-vCards\\John Doe.vcf", "C:\\data\\Split-vCards", "John Doe.vcf", false },
        { "C:\\data/mixed\\x.vcf", "C:\\data/mixed", "x.vcf", false },
        { "C:/data/x.vcf", "C:/data", "x.vcf", false },
        { "C:\\x.vcf", "C:", "x.vcf", false },
        { "c:x.vcf", "c:.", "x.vcf", false },
        { "\\\\server\\share\\x.vcf", "\\\\server\\share", "x.vcf", false },
        { "\\\\?\\C:\\long\\x.vcf", "\\\\?\\C:\\long", "x.vcf", false },
        { "\\x.vcf", "", "x.vcf", false },
        { "sub\\x.vcf", "sub", "x.vcf", true },
        { "1:x.vcf", "", "1:x.vcf", true },
#else
        { "/data/Split-vCards/John Doe.vcf", "/data/Split-vCards", "John Doe.vcf", false },
        { "/data\\x.vcf", "", "data\\x.vcf", false },
        { "C:\\x.vcf", "", "C:\\x.vcf", true },
        { "sub/x.vcf", "sub", "x.vcf", true },
#endif
        { "x.vcf", "", "x.vcf", true },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetParentFolderName(c.path), c.parent) << c.path;
        EXPECT_EQ(GetFileName(c.path), c.name) << c.path;
        EXPECT_EQ(isRelativePath(c.path), c.relative) << c.path;
    }

    const struct {
        const char* folder;
        const char* openable;
        const char* joined;
    } folders[] = {
#ifdef _WIN32
        { "C:\\data", "C:\\data", "C:\\data\\x.vcf" },
        { "C:", "C:\\", "C:\\x.vcf" },
        { "\\\\server\\share", "\\\\server\\share", "\\\\server\\share\\x.vcf" },
        { "", "\\", "\\x.vcf" },
#else
        { "/data", "/data", "/data/x.vcf" },
        { "", "/", "/x.vcf" },
#endif
    };
    for (const auto& f : folders) {
        EXPECT_EQ(openableFolder(f.folder), f.openable) << f.folder;
        EXPECT_EQ(joinPath(f.folder, "x.vcf"), f.joined) << f.folder;
        EXPECT_EQ(GetParentFolderName(f.joined), f.folder) << f.joined;
    }
}

} // namespace
} // namespace tessely
