#include "keyed_collection.h"

#include <algorithm>
#include <stdexcept>

namespace platform {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameKey(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::string noSuchKey(std::string_view key) { return "no item under the key \"" + std::string(key) + "\""; }

}  // namespace

std::vector<Collection::Entry>::const_iterator Collection::find(std::string_view key) const {
    return std::ranges::find_if(m_entries, [key](const Entry& entry) { return sameKey(entry.first, key); });
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
