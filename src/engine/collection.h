#pragma once

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "engine/error.h"

namespace pezolva::engine {

// An ordered collection of named objects (fields, indexes, tables,
// relations), reached by position or by name without regard to case.
template <class T>
class Collection {
  public:
    Collection() = default;
    explicit Collection(std::vector<T> items) : items_(std::move(items)) {}

    std::size_t Count() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

    // Throws EngineError (ErroItemInexistente) for a position past the end.
    const T& operator[](std::size_t index) const& {
        if (index >= items_.size()) throw item_not_found(std::to_string(index));
        return items_[index];
    }
    // Throws EngineError (ErroItemInexistente) for an absent name.
    template <class Name>
    requires(std::convertible_to<const Name&, std::string_view> && !std::integral<Name>) const T&
    operator[](const Name& name) const& {
        if (const T* item = Find(name)) return *item;
        throw item_not_found(std::string(std::string_view(name)));
    }
    // From a collection about to go (db.Relations()["x"]), the item itself:
    // a reference into it would dangle once the statement ends, and
    // `const Relation& r = db.Relations()["x"];` keeps the copy alive.
    T operator[](std::size_t index) && {
        if (index >= items_.size()) throw item_not_found(std::to_string(index));
        return std::move(items_[index]);
    }
    template <class Name>
    requires(std::convertible_to<const Name&, std::string_view> && !std::integral<Name>) T
    operator[](const Name& name) && {
        for (T& item : items_) {
            if (iequals(item.Name(), std::string_view(name))) return std::move(item);
        }
        throw item_not_found(std::string(std::string_view(name)));
    }

    // The first item of that name, or nullptr.
    const T* Find(std::string_view name) const {
        for (const T& item : items_) {
            if (iequals(item.Name(), name)) return &item;
        }
        return nullptr;
    }
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    void push_back(T item) { items_.push_back(std::move(item)); }
    const std::vector<T>& items() const { return items_; }

  private:
    std::vector<T> items_;
};

}  // namespace pezolva::engine
