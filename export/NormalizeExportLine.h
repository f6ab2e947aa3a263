#ifndef TESSELY_EXPORT_NORMALIZEEXPORTLINE_H
#define TESSELY_EXPORT_NORMALIZEEXPORTLINE_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// Normalises a line for the CSV table, piece by piece: deletes every ",", turns every ";" into a space,
/// upper-cases and trims spaces, then splits the line at its first colon into the field name and the value,
/// each trimmed of spaces: "TEL;TYPE=CELL:555-0100" gives "TEL TYPE=CELL" and "555-0100". A line that is not
/// valid UTF-8 is read as Windows-1252 first, when the caller says so. It holds no more than a few bytes of
/// the line and hands the text on as it is made, so a line of any length can be read.
class NormalizeExportLine
{
public:
    /// Receives the normalised line: the text before its first colon (all of it when it has none), then the
    /// text after it, in pieces. A text given stays valid until the second call of `feed` or `finish` after the one
    /// that gave it.
    class Sink
    {
    public:
        virtual ~Sink() = default;
        virtual void text(bool value, std::string_view bytes) = 0;
    };

    explicit NormalizeExportLine(Sink& sink);
    /// Starts a new line, to be read as Windows-1252 or as UTF-8; without `values`, nothing after the first
    /// colon is normalised.
    void start(bool windows1252, bool values = true);
    /// Takes the next piece of the line.
    void feed(std::string_view piece);
    /// Ends the line.
    void finish();
    /// Normalises a line given whole, after `start`, instead of `feed` and `finish`, and gives its two parts as the
    /// sink would receive them, joined: the text before the first colon (all of it when it has none) and the text after
    /// it. They stay valid until the second call of `feed` or `whole` after this one.
    void whole(std::string_view line, std::string_view& field, std::string_view& value);
    /// Normalises at once the name of a line with at most `limit` bytes of ASCII before its first colon; else false.
    bool asciiName(std::string_view line, std::size_t limit, std::string_view& name);
    /// True when the line had a colon.
    bool hasColon() const
    {
        return m_afterColon;
    }
    /// True when a byte outside ASCII was among those normalised.
    bool beyondAscii() const
    {
        return m_beyondAscii;
    }

private:
    /// The piece normalised, with the bytes carried from the piece before, less the end of a character that
    /// the next piece may complete unless it is the `last`.
    std::string_view map(std::string_view piece, bool last);
    void emit(std::string_view text);
    void part(bool value, std::string_view text);

    Sink& m_sink;
    bool m_windows1252 = false;
    bool m_values = true;
    std::string m_text[4];
    unsigned m_turn = 0;
    /// The start of a UTF-8 sequence that the next piece may complete.
    std::string m_carry;
    bool m_afterColon = false;
    bool m_beyondAscii = false;
    bool m_trimming = true;
    std::uint64_t m_spaces = 0;
};

} // namespace tessely

#endif
