#include "FieldNames.h"

namespace tessely
{

std::ptrdiff_t FieldNames::find(std::string_view name) const
{
    const auto it = m_columns.find(name);
    return it == m_columns.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
}

std::size_t FieldNames::add(std::string_view name)
{
    const auto it = m_columns.find(name);
    if (it != m_columns.end())
        return it->second;
    const std::string& stored = m_names.emplace_back(name);
    m_columns.emplace(stored, m_names.size() - 1);
    return m_names.size() - 1;
}

std::ptrdiff_t FindFieldIndex(std::string_view name, const FieldNames& names)
{
    return names.find(name);
}

std::uint64_t CollectFieldNames(ContactEntryReader& entries, FieldNames& names)
{
    ContactEvent event;
    while (entries.next(event)) {
        if (event.kind == ContactEvent::Kind::Entry)
            names.add(event.field);
    }
    return entries.contacts();
}

} // namespace tessely
