#include "export/NormalizeExportLine.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(NormalizeExportLine, DeletesCommasTurnsSemicolonsIntoSpacesUpperCasesAndTrims)
{
    const struct {
        const char* line;
        const char* normalised;
    } cases[] = {
        { "TEL;TYPE=CELL:555-0100", "TEL TYPE=CELL:555-0100" },
        { "N:Doe;John;;;", "N:DOE JOHN" },
        { "NOTE:Met in Oslo, 2019", "NOTE:MET IN OSLO 2019" },
        { "  two spaces, then: and again", "TWO SPACES THEN: AND AGAIN" },
        { ";x;", "X" },
        { ",,, ", "" },
        { "\tfn:a\t", "\tFN:A\t" },
        { "fn:jos\xC3\xA9 \xC3\xB1", "FN:JOS\xC3\x89 \xC3\x91" },
        // Deleting the comma joins the two bytes into one letter, which is then upper-cased.
        { "x:\xC3,\xA9", "X:\xC3\x89" },
        // A byte that is not UTF-8 stays as it is.
        { "fn:jos\xE9", "FN:JOS\xE9" },
    };
    std::string reused = "left over";
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeExportLine(c.line), c.normalised) << c.line;
        NormalizeExportLine(c.line, reused);
        EXPECT_EQ(reused, c.normalised) << c.line;
    }
}

} // namespace
} // namespace tessely
