#include "export/NormalizeExportLine.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

/// Collects the two parts of a line.
class Parts final : public NormalizeExportLine::Sink
{
public:
    void text(bool value, std::string_view bytes) override
    {
        (value ? after : before).append(bytes);
    }
    std::string before;
    std::string after;
};

TEST(NormalizeExportLine, DeletesCommasTurnsSemicolonsIntoSpacesUpperCasesTrimsAndSplitsAtTheFirstColon)
{
    const struct {
        std::string line;
        bool windows1252;
        std::string field;
        std::string value; // "-" when the line has no colon
    } cases[] = {
        { "TEL;TYPE=CELL:555-0100", false, "TEL TYPE=CELL", "555-0100" },
        { "N:Doe;John;;;", false, "N", "DOE JOHN" },
        { "NOTE:Met in Oslo, 2019", false, "NOTE", "MET IN OSLO 2019" },
        { "  two spaces, then: and again", false, "TWO SPACES THEN", "AND AGAIN" },
        { "NOTE:Call after 10:30 ", false, "NOTE", "CALL AFTER 10:30" },
        { "FN : Jane  ", false, "FN", "JANE" },
        { ";x;", false, "X", "-" },
        { ",,, ", false, "", "-" },
        { ":", false, "", "" },
        { "\tfn:a\t", false, "\tFN", "A\t" },
        { "fn:jos\xC3\xA9 \xC3\xB1", false, "FN", "JOS\xC3\x89 \xC3\x91" },
        // Deleting the comma joins the two bytes into one letter, which is then upper-cased.
        { "x:\xC3,\xA9", false, "X", "\xC3\x89" },
        // A character left unfinished at the line's end is kept as it stands, the spaces before it too.
        { "fn: \xC3\xA9 \xC3", false, "FN", "\xC3\x89 \xC3" },
        { "  :  ", false, "", "" },
        // Sixteen bytes and more: the letters' neighbours in ASCII stay as they are.
        { "x:`az{@AZ[;;,,ok", false, "X", "`AZ{@AZ[  OK" },
        { "note;x:abcdefghijklmnopqrstuvwxyz0", false, "NOTE X", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0" },
        // A line that is not UTF-8 is read as Windows-1252.
        { "fn:jos\xE9 m\xFCller, \x80 5", true, "FN", "JOS\xC3\x89 M\xC3\x9CLLER \xE2\x82\xAC 5" },
        { "x:\xC3,\xA9", true, "X", "\xC3\x83\xC2\xA9" },
    };
    for (const auto& c : cases) {
        // Whole, and in pieces of every size up to seven bytes.
        for (std::size_t size = 0; size < 8; ++size) {
            Parts parts;
            NormalizeExportLine line(parts);
            line.start(c.windows1252);
            for (std::size_t at = 0; at < c.line.size(); at += size == 0 ? c.line.size() : size)
                line.feed(std::string_view(c.line).substr(at, size == 0 ? std::string::npos : size));
            line.finish();
            EXPECT_EQ(parts.before, c.field) << c.line << " in pieces of " << size;
            EXPECT_EQ(line.hasColon() ? parts.after : "-", c.value) << c.line << " in pieces of " << size;

            // Without the values, only what stands before the first colon.
            Parts names;
            NormalizeExportLine fields(names);
            fields.start(c.windows1252, false);
            fields.feed(c.line);
            fields.finish();
            EXPECT_EQ(names.before, c.field) << c.line;
            EXPECT_EQ(names.after, "") << c.line;
        }
        // Given whole, the same two parts, with and without the values.
        for (const bool values : { true, false }) {
            Parts unused;
            NormalizeExportLine line(unused);
            line.start(c.windows1252, values);
            std::string_view field;
            std::string_view value;
            line.whole(c.line, field, value);
            EXPECT_EQ(field, c.field) << c.line;
            EXPECT_EQ(line.hasColon() ? value : "-", values ? c.value : c.value == "-" ? "-" : "") << c.line;
            EXPECT_TRUE(unused.before.empty() && unused.after.empty()) << c.line;
        }
    }
}

} // namespace
} // namespace tessely
