#include "split/ContactFiles.h"

#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace tessely
{
namespace
{

/// Keeps each contact's bytes as the split hands them on.
class KeptContacts final : public ContactFiles
{
public:
    explicit KeptContacts(bool readsLines)
        : ContactFiles(readsLines)
    {
    }
    void start(std::uint64_t number) override
    {
        contacts.emplace_back(std::to_string(number) + ":");
    }
    void add(std::string_view bytes, bool lineEnds) override
    {
        contacts.back().append(bytes);
        if (lineEnds)
            contacts.back().append("\r\n");
    }
    bool finish() override
    {
        contacts.back().append("|finished");
        return false;
    }
    std::vector<std::string> contacts;
};

struct Split {
    std::vector<std::string> contacts;
    JobResult result;
};

/// The contacts of `input` as a split writes them: taking whole runs of lines at once where it may (a job
/// that reads no line), or every line alone (a job that reads each).
Split splitOf(const std::string& input, bool lineByLine)
{
    const test::TempFolder folder;
    test::RecordingHost host;
    OutputBesideSource job = openOutputBesideSource(localFileSystem(), folder.write("input.vcf", input));
    KeptContacts files(lineByLine);
    Split split;
    split.result = splitEachContact(job, host, files);
    split.contacts = std::move(files.contacts);
    return split;
}

/// A file of `lines` lines drawn at random from lines that open, close, nest, fold or do nothing, ended by
/// CR LF mostly and by a lone LF or CR at times, a few of them longer than the reader's buffer.
std::string mixedFile(unsigned seed, std::size_t lines)
{
    static const char* const kinds[] = { "BEGIN:VCARD",
        "BEGIN:VCARD",
        "END:VCARD",
        "END:VCARD",
        "begin:vcard",
        " END:VCARD ",
        "\xEF\xBB\xBF"
        "BEGIN:VCARD",
        "AGENT:",
        "agent;TYPE=work: ",
        "EMAIL;TYPE=INTERNET:a@b.example",
        "BDAY:2000-01-01",
        "END:VCARDS",
        "ADR:;;1 Main St",
        " folded continuation",
        "\tfolded by a tab",
        "",
        "   ",
        "N:Doe;John;;;",
        "FN:John Doe",
        "E",
        "BEGIN:VCARD x",
        "TEL;CELL:+1 555 0100",
        "Bonus note" };
    std::mt19937 random(seed);
    std::string file;
    for (std::size_t line = 0; line < lines; ++line) {
        const unsigned draw = random() % 1000;
        if (draw < 3)
            file.append(70000 + random() % 3, 'x'); // longer than the reader's buffer
        else
            file.append(kinds[random() % std::size(kinds)]);
        const unsigned end = random() % 100;
        file.append(end < 90 ? "\r\n" : end < 95 ? "\n" : "\r");
    }
    return file;
}

/// Taking runs of lines at once never changes what a split writes: the same contacts, the same bytes, the
/// same count and the same lines left outside, for files that mix every kind of line and line end, and lines
/// and runs that cross the reader's buffer.
TEST(ContactFiles, RunsOfLinesWriteWhatLinesOneByOneWrite)
{
    std::vector<std::string> inputs;
    for (unsigned seed = 1; seed <= 12; ++seed)
        inputs.push_back(mixedFile(seed, seed % 2 == 0 ? 30000 : 3000));
    // Plain contacts in CR LF, runs of whole contacts, a file that ends in a CR, and one without a last line end.
    std::string plain;
    for (int contact = 0; contact < 2000; ++contact)
        plain += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Contact " + std::to_string(contact)
            + "\r\nNOTE:" + std::string(static_cast<std::size_t>(contact % 97), 'n') + "\r\nEND:VCARD\r\n";
    inputs.push_back(plain);
    inputs.push_back(plain + "BEGIN:VCARD\r\nFN:Last\r");
    inputs.push_back(plain + "BEGIN:VCARD\r\nFN:Last\r\nEND:VCARD");
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const Split runs = splitOf(inputs[i], false);
        const Split lines = splitOf(inputs[i], true);
        EXPECT_EQ(runs.contacts, lines.contacts) << "input " << i;
        EXPECT_EQ(runs.result.count, lines.result.count) << "input " << i;
        EXPECT_EQ(runs.result.skippedLines, lines.result.skippedLines) << "input " << i;
        EXPECT_GT(runs.result.count, 0u) << "input " << i;
    }
}

} // namespace
} // namespace tessely
