#include "ui/frmGroupsDescription.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(frmGroupsDescription, StartsWithOneHundredContactsAFileAndNoSizeLimit)
{
    const WindowDescription& dialog = frmGroupsDescription();
    const GroupsAnswer answer
        = readGroupsDialog(dialog.control("txtPerFile").caption, dialog.control("txtMaxSize").caption);
    ASSERT_TRUE(answer.groups);
    EXPECT_EQ(answer.groups->perFile, 100u);
    EXPECT_EQ(answer.groups->largestBytes, 0u);
    EXPECT_TRUE(dialog.control("cmdOK").defaultButton);
    EXPECT_TRUE(dialog.control("cmdCancel").cancelButton);
}

TEST(ReadGroupsDialog, TakesContactsFromOneToAMillionAndAnOptionalSizeInMegabytes)
{
    const struct {
        const char* perFile;
        const char* size;
        std::uint64_t contacts; // 0: refused
        std::uint64_t bytes;
        const char* field; // the box to fix when refused
    } cases[] = {
        { "100", "", 100, 0, "" },
        { "1", "", 1, 0, "" },
        { "1000000", "", 1000000, 0, "" },
        { " 250 ", " 2.5 ", 250, 2621440, "" },
        { "70", "5", 70, 5242880, "" },
        { "70", "2,5", 70, 2621440, "" },
        { "70", "0.001", 70, 1048, "" },
        { "0", "", 0, 0, "txtPerFile" },
        { "1000001", "", 0, 0, "txtPerFile" },
        { "-5", "", 0, 0, "txtPerFile" },
        { "", "", 0, 0, "txtPerFile" },
        { "1e3", "", 0, 0, "txtPerFile" },
        { "12.5", "", 0, 0, "txtPerFile" },
        { "99999999999999999999999", "", 0, 0, "txtPerFile" },
        { "100", "0", 0, 0, "txtMaxSize" },
        { "100", "0.0005", 0, 0, "txtMaxSize" },
        { "100", "-1", 0, 0, "txtMaxSize" },
        { "100", "2.5M", 0, 0, "txtMaxSize" },
        { "100", "two", 0, 0, "txtMaxSize" },
        { "100", "2.", 0, 0, "txtMaxSize" },
        { "100", "99999999999999999999", 0, 0, "txtMaxSize" },
    };
    for (const auto& c : cases) {
        const GroupsAnswer answer = readGroupsDialog(c.perFile, c.size);
        const std::string what = std::string("'") + c.perFile + "' '" + c.size + "'";
        if (c.contacts == 0) {
            EXPECT_FALSE(answer.groups) << what;
            EXPECT_EQ(answer.field, c.field) << what;
            EXPECT_EQ(answer.problem.icon, MessageIcon::Error) << what;
            EXPECT_FALSE(answer.problem.lines.empty()) << what;
            continue;
        }
        ASSERT_TRUE(answer.groups) << what << ": " << answer.problem.text();
        EXPECT_EQ(answer.groups->perFile, c.contacts) << what;
        EXPECT_EQ(answer.groups->largestBytes, c.bytes) << what;
    }
}

} // namespace
} // namespace tessely
