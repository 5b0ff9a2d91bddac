#pragma once
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tavlin {

// Exact lookup of short names in a fixed table, by length and first byte, so that a search
// compares only the rows that could match. Rows keep their table order, so the first row
// of a repeated name wins as in a search from the top.
class NameTable {
public:
    static constexpr size_t kMaxLength = 16;

    template <typename Rows, typename NameOf> NameTable(const Rows& rows, NameOf nameOf) {
        int index = 0;
        for (const auto& row : rows) {
            const std::string_view name = nameOf(row);
            if (!name.empty() && name.size() <= kMaxLength) {
                buckets_[slot(name)].push_back({name, index});
            }
            ++index;
        }
    }

    // The row index of the name, or -1.
    int Find(std::string_view name) const {
        if (name.empty() || name.size() > kMaxLength) {
            return -1;
        }
        for (const Entry& e : buckets_[slot(name)]) {
            if (e.name.size() == name.size() && sameBytes(e.name.data(), name.data(), name.size())) {
                return e.row;
            }
        }
        return -1;
    }

private:
    struct Entry {
        std::string_view name;
        int row;
    };
    // Names are a few bytes long: a plain loop beats a call to memcmp.
    static bool sameBytes(const char* a, const char* b, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (a[i] != b[i]) {
                return false;
            }
        }
        return true;
    }
    static size_t slot(std::string_view name) { return (name.size() - 1) * 64 + (uint8_t(name[0]) & 63); }

    std::array<std::vector<Entry>, kMaxLength * 64> buckets_;
};

} // namespace tavlin
