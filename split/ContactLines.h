#ifndef TESSELY_SPLIT_CONTACTLINES_H
#define TESSELY_SPLIT_CONTACTLINES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessely
{

/// One contact's lines as the split engine collects them: position 0 is empty, positions 1 to n are the
/// lines after the opening line exactly as read, the last normally being "END:VCARD". The lines are kept
/// together as the contact's file image ("BEGIN:VCARD" and every line, each ended by CR LF), so writing a
/// contact is one write and collecting one costs no allocation once the buffer has grown.
class ContactLines
{
public:
    ContactLines()
    {
        clear();
    }

    /// Starts a new contact: only position 0 remains.
    void clear()
    {
        m_image.assign(openingLine);
        m_lines.assign(1, { 0, 0 });
    }
    /// Appends a line at the position one above the highest so far.
    void append(std::string_view line)
    {
        m_lines.emplace_back(m_image.size(), line.size());
        m_image.append(line);
        m_image.append("\r\n");
    }
    /// Number of positions, position 0 included.
    std::size_t size() const
    {
        return m_lines.size();
    }
    std::string_view operator[](std::size_t position) const
    {
        const auto& [offset, length] = m_lines[position];
        return std::string_view(m_image).substr(offset, length);
    }
    /// The contact's file as it is written: the opening line and every line, each ended by CR LF.
    std::string_view fileImage() const
    {
        return m_image;
    }

private:
    static constexpr std::string_view openingLine = "BEGIN:VCARD\r\n";
    std::string m_image;
    std::vector<std::pair<std::size_t, std::size_t>> m_lines;
};

} // namespace tessely

#endif
