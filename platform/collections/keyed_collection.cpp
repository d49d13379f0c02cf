#include "keyed_collection.h"

#include <algorithm>
#include <stdexcept>

#include "ascii_text.h"

namespace platform {
namespace {

std::string noSuchKey(std::string_view key) { return "no item under the key \"" + std::string(key) + "\""; }

}  // namespace

std::vector<Collection::Entry>::const_iterator Collection::find(std::string_view key) const {
    return std::ranges::find_if(m_entries, [key](const Entry& entry) { return text::equalNoCase(entry.first, key); });
}

void Collection::Add(std::string item, std::string_view key) {
    if (Contains(key)) throw std::invalid_argument("the key \"" + std::string(key) + "\" is taken");
    m_entries.emplace_back(std::string(key), std::move(item));
}

void Collection::Remove(std::string_view key) {
    const auto entry = find(key);
    if (entry == m_entries.end()) throw std::out_of_range(noSuchKey(key));
    m_entries.erase(entry);
}

std::string Collection::Item(std::string_view key) const {
    const auto entry = find(key);
    if (entry == m_entries.end()) throw std::out_of_range(noSuchKey(key));
    return entry->second;
}

bool Collection::Contains(std::string_view key) const { return find(key) != m_entries.end(); }

}  // namespace platform
