#ifndef TESSELY_EXPORT_FIELDNAMES_H
#define TESSELY_EXPORT_FIELDNAMES_H

#include "ContactEntryReader.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tessely
{

/// The distinct field names of a CSV table in order of first appearance, each one a column, found by hash.
/// Names are compared exactly, byte for byte; the empty name is a name like any other.
class FieldNames
{
public:
    /// The column of `name`, counted from 0, or -1 when the name is not held.
    std::ptrdiff_t find(std::string_view name) const;
    /// Appends `name` as a new column unless it is held already; gives its column.
    std::size_t add(std::string_view name);

    std::size_t size() const
    {
        return m_names.size();
    }
    const std::string& operator[](std::size_t column) const
    {
        return m_names[column];
    }

private:
    // A deque never moves its strings, so the index can key on views into them.
    std::deque<std::string> m_names;
    std::unordered_map<std::string_view, std::size_t> m_columns;
};

/// The column of the field name `name` in `names`, or -1 when it is absent.
std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names);

/// Reads every contact from `entries` to its end and appends to `names` each field name that it does not
/// hold yet, in order of first appearance. Gives the number of contacts read.
std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names);

} // namespace tessely

#endif
