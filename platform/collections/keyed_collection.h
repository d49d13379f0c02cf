// A collection of texts under unique keys, in the order they were added.
// Keys compare ignoring the letter case of ASCII letters. Items are handed
// out as copies, so a caller keeps its value when the collection is replaced
// while the caller waits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class Collection {
public:
    // Throws std::invalid_argument when the key is taken already.
    void Add(std::string item, std::string_view key);
    // Throws std::out_of_range when no item has the key.
    void Remove(std::string_view key);
    std::string Item(std::string_view key) const;

    bool Contains(std::string_view key) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(m_entries.size()); }

private:
    using Entry = std::pair<std::string, std::string>;  // key, item
    std::vector<Entry>::const_iterator find(std::string_view key) const;

    std::vector<Entry> m_entries;
};

}  // namespace platform
