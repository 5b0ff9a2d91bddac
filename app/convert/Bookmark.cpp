#include "app/convert/Bookmark.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace tavlin {

TBookmark::TBookmark(TBookmark* parent, std::string url, std::string title, std::string description,
                     int32_t date)
    : Parent(parent), URL(std::move(url)), Title(std::move(title)), Description(std::move(description)),
      AddDate(date) {
    if (parent) {
        parent->Children.emplace_back(this);
    }
}

TBookmark::~TBookmark() {
    if (Children.empty()) {
        return;
    }
    // Take over the whole subtree without recursion, then free it in address order: close to
    // the order the nodes were made in, which the allocator handles fastest even when sorting
    // has scattered them.
    std::vector<TBookmark*> subtree;
    for (std::unique_ptr<TBookmark>& child : Children) {
        subtree.push_back(child.release());
    }
    Children.clear();
    for (size_t i = 0; i < subtree.size(); ++i) {
        TBookmark* node = subtree[i];
        for (std::unique_ptr<TBookmark>& child : node->Children) {
            subtree.push_back(child.release());
        }
        node->Children.clear();
    }
    std::sort(subtree.begin(), subtree.end(), std::less<>());
    for (TBookmark* node : subtree) {
        delete node;
    }
}

ConvertError::ConvertError(ConvertStatus status, const std::string& path)
    : std::runtime_error(std::string(describe(status)) + ": " + path), status_(status), path_(path) {}

const char* describe(ConvertStatus status) {
    switch (status) {
    case ConvertStatus::Written:
        return "the listing was written";
    case ConvertStatus::SourceNotFound:
        return "the source cannot be found or read";
    case ConvertStatus::NoRoot:
        return "the source holds nothing to list (no title line, or no such folder)";
    case ConvertStatus::OutputIsSource:
        return "the output file is the source itself";
    case ConvertStatus::OutputNotWritten:
        return "the listing file cannot be written";
    }
    return "unknown conversion status";
}

std::string upperExtension(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string ext(name.substr(dot));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return ext;
}

bool isBookmarkFilePath(std::string_view source) {
    const std::string ext = upperExtension(source);
    return ext == ".HTM" || ext == ".HTML";
}

namespace {

unsigned char asciiUpper(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

int compareUpperTitles(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = asciiUpper(a[i]);
        const unsigned char y = asciiUpper(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Folders that hold entries come first; 0 when both are leaves or both are not.
int compareLeaves(const TBookmark& a, const TBookmark& b) {
    const bool aLeaf = a.Children.empty();
    const bool bLeaf = b.Children.empty();
    if (aLeaf && !bLeaf) {
        return 1;
    }
    if (bLeaf && !aLeaf) {
        return -1;
    }
    return 0;
}

} // namespace

int CompareByTitle(const TBookmark& a, const TBookmark& b) {
    if (const int leaves = compareLeaves(a, b)) {
        return leaves;
    }
    return compareUpperTitles(a.Title, b.Title);
}

int CompareByDate(const TBookmark& a, const TBookmark& b) {
    if (const int leaves = compareLeaves(a, b)) {
        return leaves;
    }
    if (a.AddDate != b.AddDate) {
        return a.AddDate > b.AddDate ? 1 : -1;
    }
    return compareUpperTitles(a.Title, b.Title);
}

namespace {

// The quicksort over any copyable items; compare answers -1, 0 or +1.
template <class Item, class Compare> void hoareSort(std::vector<Item>& list, Compare compare) {
    if (list.empty()) {
        return;
    }
    // The left parts wait on a stack of our own instead of the call stack. The parts are
    // disjoint, so the order in which they are sorted does not change the result.
    std::vector<std::pair<ptrdiff_t, ptrdiff_t>> parts{{0, ptrdiff_t(list.size()) - 1}};
    while (!parts.empty()) {
        auto [l, r] = parts.back();
        parts.pop_back();
        ptrdiff_t i = 0;
        do {
            i = l;
            ptrdiff_t j = r;
            const Item pivot = list[size_t((l + r) / 2)];
            do {
                while (compare(list[size_t(i)], pivot) < 0) {
                    ++i;
                }
                while (compare(list[size_t(j)], pivot) > 0) {
                    --j;
                }
                if (i <= j) {
                    std::swap(list[size_t(i)], list[size_t(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (l < j) {
                parts.emplace_back(l, j);
            }
            l = i;
        } while (i < r);
    }
}

// What the two listing orders compare, gathered side by side (the titles upper-cased into one
// block) so that sorting a large folder does not chase every node and title through memory.
// Compares exactly as CompareByTitle and CompareByDate do, so the quicksort makes the same moves.
struct SortKey {
    uint64_t prefix;            // the first eight upper-cased title bytes, big-endian, zero-padded
    const unsigned char* title; // the whole title upper-cased
    size_t size;
    double date;
    TBookmark* node;
    bool leaf;
};

std::vector<SortKey> sortKeysOf(const std::vector<std::unique_ptr<TBookmark>>& list, std::string& titles) {
    size_t total = 0;
    for (const std::unique_ptr<TBookmark>& child : list) {
        total += child->Title.size();
    }
    titles.resize(total);
    std::vector<SortKey> keys;
    keys.reserve(list.size());
    auto* at = reinterpret_cast<unsigned char*>(titles.data());
    for (const std::unique_ptr<TBookmark>& child : list) {
        const std::string& title = child->Title;
        uint64_t prefix = 0;
        for (size_t i = 0; i < title.size(); ++i) {
            at[i] = asciiUpper(title[i]);
        }
        for (size_t i = 0; i < 8; ++i) {
            prefix = (prefix << 8) | (i < title.size() ? at[i] : 0u);
        }
        keys.push_back({prefix, at, title.size(), child->AddDate, child.get(), child->Children.empty()});
        at += title.size();
    }
    return keys;
}

// The zero-padded prefix decides most pairs; a tie (which zero bytes in a title can fake) goes
// to the whole titles.
int compareTitleKeys(const SortKey& a, const SortKey& b) {
    if (a.prefix != b.prefix) {
        return a.prefix < b.prefix ? -1 : 1;
    }
    if (const int c = std::memcmp(a.title, b.title, std::min(a.size, b.size))) {
        return c < 0 ? -1 : 1;
    }
    return a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
}

int compareKeysByTitle(const SortKey& a, const SortKey& b) {
    if (a.leaf != b.leaf) {
        return a.leaf ? 1 : -1;
    }
    return compareTitleKeys(a, b);
}

int compareKeysByDate(const SortKey& a, const SortKey& b) {
    if (a.leaf != b.leaf) {
        return a.leaf ? 1 : -1;
    }
    if (a.date != b.date) {
        return a.date > b.date ? 1 : -1;
    }
    return compareTitleKeys(a, b);
}

// Puts the owning pointers into the order of the sorted raw ones.
template <class Item, class NodeOf>
void reorder(std::vector<std::unique_ptr<TBookmark>>& list, const std::vector<Item>& sorted, NodeOf nodeOf) {
    for (std::unique_ptr<TBookmark>& owner : list) {
        owner.release(); // still owned: every node is in sorted and is taken back below
    }
    for (size_t i = 0; i < list.size(); ++i) {
        list[i].reset(nodeOf(sorted[i]));
    }
}

void sortChildren(std::vector<std::unique_ptr<TBookmark>>& list, TBookmarkCompare compare) {
    if (compare != &CompareByTitle && compare != &CompareByDate) {
        QuickSort(list, compare);
        return;
    }
    std::string titles;
    std::vector<SortKey> keys = sortKeysOf(list, titles);
    if (compare == &CompareByTitle) {
        hoareSort(keys, compareKeysByTitle);
    } else {
        hoareSort(keys, compareKeysByDate);
    }
    reorder(list, keys, [](const SortKey& key) { return key.node; });
}

} // namespace

void QuickSort(std::vector<std::unique_ptr<TBookmark>>& list, TBookmarkCompare compare) {
    std::vector<TBookmark*> nodes;
    nodes.reserve(list.size());
    for (const std::unique_ptr<TBookmark>& child : list) {
        nodes.push_back(child.get());
    }
    hoareSort(nodes, [compare](const TBookmark* a, const TBookmark* b) { return compare(*a, *b); });
    reorder(list, nodes, [](TBookmark* node) { return node; });
}

void SortTree(TBookmark* node, TBookmarkCompare compare) {
    if (!node) {
        return;
    }
    std::vector<TBookmark*> pending{node};
    while (!pending.empty()) {
        TBookmark* folder = pending.back();
        pending.pop_back();
        sortChildren(folder->Children, compare);
        for (const std::unique_ptr<TBookmark>& child : folder->Children) {
            if (!child->Children.empty()) {
                pending.push_back(child.get());
            }
        }
    }
}

} // namespace tavlin
