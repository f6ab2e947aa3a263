#ifndef TESSELY_EXPORT_FIELDNAMES_H
#define TESSELY_EXPORT_FIELDNAMES_H

#include "ContactEntryReader.h"
#include "KeyedHash.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tessely
{

/// The distinct field names of a CSV table in order of first appearance, found by hash, and the table's
/// columns: one for each field name, and one more for each further time a contact holds it ("EMAIL",
/// "EMAIL (2)"...). Names are compared exactly, byte for byte; the empty name is a name like any other. A
/// name is held as text while it is short and the names held are few; any other name is known by its
/// length and a keyed hash (which no file can make two names share) and by the line it first stood on, to
/// be read again.
class FieldNames
{
public:
    explicit FieldNames(
        const KeyedHash::Keys& keys = KeyedHash::randomKeys(), std::size_t heldBytes = std::size_t { 16 } << 20);

    /// The field called `name`, counted from 0, or -1 when the name is not held.
    std::ptrdiff_t find(const HeldText& name) const;
    std::ptrdiff_t find(std::string_view name) const;
    /// Appends `name`, first seen on the line at `line`, as a new field unless it is there already; gives
    /// the field.
    std::size_t add(const HeldText& name, std::uint64_t line = 0);
    std::size_t add(std::string_view name);
    /// The column of the `occurrence`-th (from 1) field `field` of a contact, or -1 when there is none.
    std::ptrdiff_t column(std::size_t field, std::size_t occurrence) const;
    /// Appends that column unless it is there already; gives it.
    std::size_t addColumn(std::size_t field, std::size_t occurrence);

    std::size_t columns() const
    {
        return m_columns.size();
    }
    /// The field of a column, and which of its occurrences the column holds.
    std::pair<std::size_t, std::size_t> columnField(std::size_t column) const
    {
        return m_columns[column];
    }
    /// True when the name of `field` is held as text.
    bool held(std::size_t field) const
    {
        return m_fields[field].held;
    }
    /// The name of a field held as text.
    const std::string& operator[](std::size_t field) const
    {
        return m_fields[field].text;
    }
    /// The line a field's name first stood on.
    std::uint64_t line(std::size_t field) const
    {
        return m_fields[field].line;
    }

private:
    struct Field {
        std::string text;
        bool held = true;
        std::uint64_t line = 0;
        std::size_t firstColumn = 0;
    };
    using Key = std::pair<std::uint64_t, KeyedHash::Value>;
    Key keyOf(const HeldText& name) const;

    KeyedHash::Keys m_keys;
    std::size_t m_heldBytes;
    std::size_t m_heldSoFar = 0;
    bool m_shortHashed = false;
    // A deque never moves its strings, so the index can key on views into them.
    std::deque<Field> m_fields;
    std::unordered_map<std::string_view, std::size_t> m_byText;
    std::map<Key, std::size_t> m_byHash;
    std::vector<std::pair<std::size_t, std::size_t>> m_columns;
    /// The columns of second and later occurrences, by field and occurrence.
    std::map<std::pair<std::size_t, std::size_t>, std::size_t> m_repeated;
};

/// The column of the field name `name` (its first occurrence in a contact) in `names`, or -1 when absent.
std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names);

/// Counts the fields of one contact at a time: which occurrence of its field each entry is.
class Occurrences
{
public:
    /// The occurrence, from 1, of `field` that this entry is in the current contact.
    std::size_t next(std::size_t field);
    /// Starts the next contact.
    void nextContact()
    {
        ++m_contact;
    }

private:
    std::vector<std::pair<std::uint64_t, std::size_t>> m_seen;
    std::uint64_t m_contact = 1;
};

/// Reads every contact from `entries` and appends to `names` each field name, and each column, that it does
/// not hold yet, in order of first appearance. Gives the number of contacts read.
std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names);

} // namespace tessely

#endif
