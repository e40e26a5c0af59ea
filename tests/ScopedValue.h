// Gives a variable a value for the life of the guard, then its old one back.
//   ScopedValue separator(g_pageDeviceOptions.pageSeparatorTemplate, "<%PageNumber%>");
#pragma once

#include <utility>

template <typename T>
class ScopedValue {
public:
    template <typename V>
    ScopedValue(T& place, V&& value) : place_(place), saved_(place)
    {
        place_ = std::forward<V>(value);
    }
    ~ScopedValue() { place_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& place_;
    T saved_;
};
