#include "app/convert/Bookmark.h"
#include "app/convert/LineReader.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

namespace tavlin {

namespace {

constexpr size_t npos = std::string_view::npos;

// The text from an index on; empty past the end.
std::string_view from(std::string_view s, size_t index) {
    return index < s.size() ? s.substr(index) : std::string_view();
}

// The text before the first c; empty when there is no c.
std::string_view beforeFirst(std::string_view s, char c) {
    const size_t at = s.find(c);
    return at == npos ? std::string_view() : s.substr(0, at);
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool startsWithAnyCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (asciiLower(text[i]) != asciiLower(prefix[i])) {
            return false;
        }
    }
    return true;
}

// The first occurrence of key, in any letter case when lenient.
size_t findKey(std::string_view text, std::string_view key, bool lenient) {
    if (!lenient) {
        return text.find(key);
    }
    for (size_t at = 0; at + key.size() <= text.size(); ++at) {
        if (startsWithAnyCase(text.substr(at), key)) {
            return at;
        }
    }
    return npos;
}

// Decimal with an optional sign, the whole text, within 32 bits; anything else reads as 0.
int32_t readInt32(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return 0;
    }
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > int64_t(std::numeric_limits<int32_t>::max()) + 1) {
            return 0;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max()) {
        return 0;
    }
    return int32_t(value);
}

// The date of an entry or folder line, searched in the attribute text. A line without
// ADD_DATE has no date (rather than whatever digits happen to stand ten characters in).
int32_t readAddDate(std::string_view attributes, bool lenient) {
    constexpr std::string_view key = "ADD_DATE=\"";
    const size_t at = findKey(attributes, key, lenient);
    if (at == npos) {
        return 0;
    }
    return readInt32(beforeFirst(from(attributes, at + key.size()), '"'));
}

// Where the first of each tag the reader looks for stands in a line (npos when absent). Every
// tag begins with "<", so one pass from "<" to "<" finds them all.
struct LineTags {
    size_t title = npos;
    size_t titleEnd = npos;
    size_t list = npos;
    size_t listEnd = npos;
    size_t entry = npos;
};

LineTags findTags(std::string_view line, bool lenient) {
    LineTags tags;
    const auto mark = [lenient](size_t& slot, std::string_view rest, std::string_view tag, size_t at) {
        if (slot == npos && (lenient ? startsWithAnyCase(rest, tag) : rest.starts_with(tag))) {
            slot = at;
        }
    };
    for (size_t at = line.find('<'); at != npos; at = line.find('<', at + 1)) {
        const std::string_view rest = line.substr(at);
        mark(tags.title, rest, "<TITLE>", at);
        mark(tags.titleEnd, rest, "</TITLE>", at);
        mark(tags.list, rest, "<DL>", at);
        mark(tags.listEnd, rest, "</DL>", at);
        mark(tags.entry, rest, "<DT>", at);
    }
    return tags;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

void TBookmarkConverter::setRoot(std::unique_ptr<TBookmark> root) {
    // The earlier tree and any detached nodes become unreachable once both pointers move.
    CurrentFolder = LatestNode = root.get();
    detached_.reset();
    Root = std::move(root);
}

void TBookmarkConverter::addEntry(std::string_view line, size_t dtAt) {
    const std::string_view rest = from(line, dtAt + 4);
    const size_t close = rest.find('>');
    const std::string_view text = close == npos ? rest : from(rest, close + 1);
    const size_t textEnd = text.find('<');
    const std::string_view title = textEnd == npos ? std::string_view() : text.substr(0, textEnd);
    // The inside of the first tag, without its angle brackets.
    const std::string_view tag = close == npos || close < 2 ? std::string_view() : rest.substr(1, close - 1);

    std::string url;
    int32_t date = 0;
    if (!tag.empty() && (tag.front() == 'A' || (Lenient && tag.front() == 'a'))) {
        const size_t href = findKey(tag, "HREF=\"", Lenient);
        const std::string_view afterHref = from(tag, href == npos ? 5 : href + 6);
        url = beforeFirst(afterHref, '"');
        if (url.empty()) {
            url = " ";
        }
        date = readAddDate(afterHref, Lenient);
    } else {
        url = kFolderMarker;
        date = readAddDate(tag, Lenient);
    }

    if (CurrentFolder) {
        LatestNode = new TBookmark(CurrentFolder, std::move(url), std::string(title), {}, date);
        return;
    }
    // No folder to hold it: the node is never written, but descriptions and lists may still
    // refer to it through LatestNode.
    auto node = std::make_unique<TBookmark>(nullptr, std::move(url), std::string(title), std::string(), date);
    LatestNode = node.get();
    detached_ = std::move(node);
}

void TBookmarkConverter::ReadBookmarkLine(std::string_view line) {
    // Leniently a description may be indented, as Firefox writes it.
    const size_t indent = Lenient ? std::min(line.find_first_not_of(" \t"), line.size()) : 0;
    const std::string_view text = line.substr(indent);
    if (Lenient ? startsWithAnyCase(text, "<DD>") : text.starts_with("<DD>")) {
        if (LatestNode) {
            LatestNode->Description = text.substr(4);
        }
        return;
    }
    const LineTags tags = findTags(line, Lenient);
    if (tags.title != npos && tags.titleEnd != npos && tags.titleEnd > tags.title) {
        const std::string_view title = line.substr(tags.title + 7, tags.titleEnd - tags.title - 7);
        setRoot(std::make_unique<TBookmark>(nullptr, std::string(kFolderMarker), std::string(title),
                                            std::string(), 0));
    }
    if (tags.list != npos) {
        CurrentFolder = LatestNode;
    }
    if (tags.listEnd != npos && CurrentFolder) {
        CurrentFolder = CurrentFolder->Parent;
    }
    if (tags.entry != npos) {
        addEntry(line, tags.entry);
    }
}

void TBookmarkConverter::ReadBookmarkFile(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
    LineReader reader(file.get(), true);
    readBookmarkLines(reader);
    if (reader.failed()) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
}

void TBookmarkConverter::ReadBookmarkText(std::string_view text, size_t chunkSize) {
    LineReader reader(text, true, chunkSize);
    readBookmarkLines(reader);
}

void TBookmarkConverter::readBookmarkLines(LineReader& reader) {
    CurrentFolder = LatestNode = nullptr;
    std::string_view line;
    while (reader.next(line)) {
        ReadBookmarkLine(line);
    }
}

} // namespace tavlin
