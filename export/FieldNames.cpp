#include "FieldNames.h"

namespace tessely
{

FieldNames::FieldNames(const KeyedHash::Keys& keys, std::size_t heldBytes)
    : m_keys(keys)
    , m_heldBytes(heldBytes)
{
}

FieldNames::Key FieldNames::keyOf(const HeldText& name) const
{
    if (!name.held)
        return { name.length, name.hash };
    KeyedHash hash(m_keys);
    hash.add(name.text);
    return { name.text.size(), hash.value() };
}

std::ptrdiff_t FieldNames::find(const HeldText& name) const
{
    if (name.held) {
        const auto it = m_byText.find(name.text);
        if (it != m_byText.end())
            return static_cast<std::ptrdiff_t>(it->second);
        // A short name is known by its hash only once the names held as text took all their room.
        if (!m_shortHashed)
            return -1;
    }
    const auto it = m_byHash.find(keyOf(name));
    return it == m_byHash.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::ptrdiff_t FieldNames::find(std::string_view name) const
{
    return find(HeldText { name, true, name.size(), {} });
}

std::size_t FieldNames::add(const HeldText& name, std::uint64_t line)
{
    const std::ptrdiff_t known = find(name);
    if (known >= 0)
        return static_cast<std::size_t>(known);
    const std::size_t field = m_fields.size();
    Field& added = m_fields.emplace_back();
    added.line = line;
    added.firstColumn = m_columns.size();
    m_columns.emplace_back(field, 1);
    if (name.held && m_heldSoFar + name.text.size() <= m_heldBytes) {
        added.text.assign(name.text);
        m_heldSoFar += name.text.size();
        m_byText.emplace(added.text, field);
    } else {
        added.held = false;
        m_shortHashed = m_shortHashed || name.held;
        m_byHash.emplace(keyOf(name), field);
    }
    return field;
}

std::size_t FieldNames::add(std::string_view name)
{
    return add(HeldText { name, true, name.size(), {} });
}

std::ptrdiff_t FieldNames::column(std::size_t field, std::size_t occurrence) const
{
    if (occurrence == 1)
        return static_cast<std::ptrdiff_t>(m_fields[field].firstColumn);
    const auto it = m_repeated.find({ field, occurrence });
    return it == m_repeated.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::size_t FieldNames::addColumn(std::size_t field, std::size_t occurrence)
{
    const std::ptrdiff_t known = column(field, occurrence);
    if (known >= 0)
        return static_cast<std::size_t>(known);
    m_repeated.emplace(std::make_pair(field, occurrence), m_columns.size());
    m_columns.emplace_back(field, occurrence);
    return m_columns.size() - 1;
}

std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names)
{
    const std::ptrdiff_t field = names.find(name);
    return field < 0 ? -1 : names.column(static_cast<std::size_t>(field), 1);
}

std::size_t Occurrences::next(std::size_t field)
{
    if (field >= m_seen.size())
        m_seen.resize(field + 1);
    auto& [contact, count] = m_seen[field];
    if (contact != m_contact) {
        contact = m_contact;
        count = 0;
    }
    return ++count;
}

std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names)
{
    Occurrences occurrences;
    ContactEvent event;
    while (entries.next(event)) {
        if (event.kind == ContactEvent::Kind::Entry) {
            const std::size_t field = names.add(event.field, event.line);
            names.addColumn(field, occurrences.next(field));
        } else if (event.kind == ContactEvent::Kind::End) {
            occurrences.nextContact();
        }
    }
    return entries.contacts().contacts();
}

} // namespace tessely
