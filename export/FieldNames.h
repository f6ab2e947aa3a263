#ifndef TESSELY_EXPORT_FIELDNAMES_H
#define TESSELY_EXPORT_FIELDNAMES_H

#include "ContactEntryReader.h"
#include "KeyedHash.h"
#include "platform/JobHost.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace tessely
{

/// The distinct field names of a CSV table in order of first appearance, each one a column, found by hash.
/// Names are compared exactly, byte for byte; the empty name is a name like any other. A name is held as
/// text while it is short and the names held are few; any other name is known by its length and a keyed
/// hash (which no file can make two names share) and by the line it first stood on, to be read again.
class FieldNames
{
public:
    explicit FieldNames(
        const KeyedHash::Keys& keys = KeyedHash::randomKeys(), std::size_t heldBytes = std::size_t { 16 } << 20);

    /// The column of `name`, counted from 0, or -1 when the name is not held.
    std::ptrdiff_t find(const HeldText& name) const;
    std::ptrdiff_t find(std::string_view name) const;
    /// Appends `name`, first seen on the line at `line`, as a new column unless it is there already; gives
    /// its column.
    std::size_t add(const HeldText& name, std::uint64_t line = 0);
    std::size_t add(std::string_view name);

    std::size_t size() const
    {
        return m_columns.size();
    }
    /// True when the name of `column` is held as text.
    bool held(std::size_t column) const
    {
        return m_columns[column].held;
    }
    /// The name of a column held as text.
    const std::string& operator[](std::size_t column) const
    {
        return m_columns[column].text;
    }
    /// The line a column's name first stood on.
    std::uint64_t line(std::size_t column) const
    {
        return m_columns[column].line;
    }

private:
    struct Column {
        std::string text;
        bool held = true;
        std::uint64_t line = 0;
    };
    using Key = std::pair<std::uint64_t, KeyedHash::Value>;
    Key keyOf(const HeldText& name) const;

    KeyedHash::Keys m_keys;
    std::size_t m_heldBytes;
    std::size_t m_heldSoFar = 0;
    bool m_shortHashed = false;
    // A deque never moves its strings, so the index can key on views into them.
    std::deque<Column> m_columns;
    std::unordered_map<std::string_view, std::size_t> m_byText;
    std::map<Key, std::size_t> m_byHash;
};

/// The column of the field name `name` in `names`, or -1 when it is absent.
std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names);

/// Reads every contact from `entries` to its end and appends to `names` each field name that it does not
/// hold yet, in order of first appearance; stops after a contact once `host` says the user asked to stop.
/// Gives the number of contacts read.
std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names, JobHost& host);

} // namespace tessely

#endif
