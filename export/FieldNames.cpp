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
    const std::size_t column = m_columns.size();
    Column& added = m_columns.emplace_back();
    added.line = line;
    if (name.held && m_heldSoFar + name.text.size() <= m_heldBytes) {
        added.text.assign(name.text);
        m_heldSoFar += name.text.size();
        m_byText.emplace(added.text, column);
    } else {
        added.held = false;
        m_shortHashed = m_shortHashed || name.held;
        m_byHash.emplace(keyOf(name), column);
    }
    return column;
}

std::size_t FieldNames::add(std::string_view name)
{
    return add(HeldText { name, true, name.size(), {} });
}

std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names)
{
    return names.find(name);
}

std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names, JobHost& host)
{
    ContactEvent event;
    while (entries.next(event)) {
        if (event.kind == ContactEvent::Kind::Entry)
            names.add(event.field, event.line);
        else if (event.kind == ContactEvent::Kind::End && host.stopRequested())
            break;
    }
    return entries.contacts();
}

} // namespace tessely
