#ifndef TESSELY_EXPORT_EXPORTLINEPARSER_H
#define TESSELY_EXPORT_EXPORTLINEPARSER_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// Normalises a line for the CSV table piece by piece, as `NormalizeExportLine` does a whole line (commas
/// deleted, semicolons made spaces, upper-cased, trimmed), and splits it at its first colon into the field
/// name and the value, each trimmed. It holds no more than a few bytes of the line, so a line of any length
/// can be read: the text is handed on as it is made.
class ExportLineParser
{
public:
    /// Receives the normalised line: the text before its first colon (all of it when it has none), then the
    /// text after it. The parts come in pieces, spaces inside them as counts.
    class Sink
    {
    public:
        virtual ~Sink() = default;
        virtual void text(bool afterColon, std::string_view bytes) = 0;
        virtual void spaces(bool afterColon, std::uint64_t count) = 0;
    };

    explicit ExportLineParser(Sink& sink);
    /// Starts a new line.
    void start();
    /// Takes the next piece of the line.
    void feed(std::string_view piece);
    /// Ends the line: what was held back goes out, trailing spaces do not.
    void finish();
    /// True when the line had a colon.
    bool hasColon() const
    {
        return m_afterColon;
    }
    /// The normalised line's length in bytes, and its first bytes (enough to tell "END:VCARD").
    std::uint64_t length() const
    {
        return m_length;
    }
    const std::string& head() const
    {
        return m_head;
    }

private:
    void upperCased(std::string_view bytes);
    void emit(std::string_view bytes);

    Sink& m_sink;
    std::string m_cleaned;
    std::string m_upper;
    /// The end of a UTF-8 sequence that the next piece may complete.
    std::string m_carry;
    bool m_afterColon = false;
    bool m_justAfterColon = false;
    bool m_textSeen = false;
    std::uint64_t m_pendingSpaces = 0;
    std::uint64_t m_length = 0;
    std::string m_head;
};

} // namespace tessely

#endif
