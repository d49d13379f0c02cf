// Elements of one kind under one name, addressed by their indexes.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "control.h"

namespace forms {

template <class T>
class ControlArray {
public:
    // Makes the element with this index (or returns the one that exists).
    T& Load(int index, Place place) {
        auto& slot = m_items[index];
        if (!slot) slot = std::make_unique<T>(place);
        return *slot;
    }

    T& operator[](int index) { return at(index); }
    const T& operator[](int index) const { return at(index); }

    bool exists(int index) const { return m_items.count(index) != 0; }
    int Count() const { return static_cast<int>(m_items.size()); }
    int LBound() const { return m_items.empty() ? 0 : m_items.begin()->first; }
    int UBound() const { return m_items.empty() ? -1 : m_items.rbegin()->first; }

    // Iterates in index order: pairs of index and element.
    template <class F>
    void forEach(F&& visit) {
        for (auto& [index, item] : m_items) visit(index, *item);
    }

private:
    T& at(int index) const {
        auto found = m_items.find(index);
        if (found == m_items.end()) throw std::out_of_range("no element with index " + std::to_string(index));
        return *found->second;
    }

    std::map<int, std::unique_ptr<T>> m_items;
};

}  // namespace forms
