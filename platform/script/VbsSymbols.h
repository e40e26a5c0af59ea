// Interned names: one id per name, compared ignoring ASCII case.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vbs {

class SymbolTable {
public:
    int Intern(std::u16string_view name)
    {
        std::u16string key = Lower(name);
        auto [it, added] = ids_.try_emplace(key, int(names_.size()));
        if (added)
            names_.push_back(std::move(key));
        return it->second;
    }
    // -1 when the name was never seen.
    int Find(std::u16string_view name) const
    {
        auto it = ids_.find(Lower(name));
        return it == ids_.end() ? -1 : it->second;
    }
    size_t Size() const { return names_.size(); }
    const std::u16string& Name(int id) const { return names_[id]; }

    static std::u16string Lower(std::u16string_view s)
    {
        std::u16string out(s);
        for (char16_t& c : out)
            if (c >= 'A' && c <= 'Z')
                c = char16_t(c + 32);
        return out;
    }

private:
    std::unordered_map<std::u16string, int> ids_;
    std::vector<std::u16string> names_;
};

}  // namespace vbs
