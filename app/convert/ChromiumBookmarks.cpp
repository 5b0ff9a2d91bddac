#include "app/convert/Bookmark.h"
#include "app/convert/StoreReading.h"

#include <simdjson.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavlin {

namespace {

namespace od = simdjson::ondemand;

// Chromium counts microseconds from 1601-01-01, 11644473600 seconds before the Unix epoch.
constexpr int64_t kChromiumEpoch = -11'644'473'600;

// A date as Chromium writes it (a decimal string), or as a number; anything else has no date.
int32_t readChromiumDate(od::value value) {
    int64_t micros = 0;
    std::string_view text;
    if (value.get_string().get(text) == simdjson::SUCCESS) {
        if (text.empty() || text.size() > 18 ||
            text.find_first_not_of("0123456789") != std::string_view::npos) {
            return 0;
        }
        for (const char c : text) {
            micros = micros * 10 + (c - '0');
        }
    } else if (value.get_int64().get(micros) != simdjson::SUCCESS) {
        return 0;
    }
    return unixSecondsFromMicros(micros, kChromiumEpoch);
}

// One open level of the walk: the fields of a node, or the nodes of a children array or of
// "roots". On-demand values are read front to back, so a node's "children" (stored before its
// "name") fill it before its own fields are known; the node is finished when its object ends.
struct Level {
    enum Kind { NodeFields, NodeList, RootList };
    Level(Kind k, TBookmark* n) : kind(k), node(n) {}
    Kind kind;
    TBookmark* node;
    od::object_iterator fields{};
    od::object_iterator fieldsEnd{};
    od::array_iterator items{};
    od::array_iterator itemsEnd{};
    bool started = false;
    bool isEntry = false;
    std::string url;
};

class ChromiumWalk {
public:
    explicit ChromiumWalk(TBookmark* root) {
        levels_.reserve(64);
        levels_.push_back(rootsLevel(root));
    }

    void openRoots(od::object roots) {
        levels_.back().fields = roots.begin();
        levels_.back().fieldsEnd = roots.end();
    }

    void run() {
        while (!levels_.empty()) {
            step();
        }
    }

private:
    static Level rootsLevel(TBookmark* root) { return Level{Level::RootList, root}; }

    void step() {
        Level& level = levels_.back();
        const bool more = advance(level);
        if (!more) {
            if (level.kind == Level::NodeFields && level.isEntry) {
                level.node->URL = level.url.empty() ? " " : htmlText(std::move(level.url));
            }
            levels_.pop_back();
            return;
        }
        if (level.kind == Level::NodeFields) {
            readField(level, od::field(*level.fields));
            return;
        }
        od::value value =
            level.kind == Level::NodeList ? od::value(*level.items) : od::field(*level.fields).value();
        od::object object;
        if (value.get_object().get(object) == simdjson::SUCCESS) {
            openNode(level.node, object);
        }
    }

    // Moves past the item read last (skipping whatever of it was not read); false at the end.
    static bool advance(Level& level) {
        if (level.kind == Level::NodeList) {
            if (level.started) {
                ++level.items;
            }
            level.started = true;
            return level.items != level.itemsEnd;
        }
        if (level.started) {
            ++level.fields;
        }
        level.started = true;
        return level.fields != level.fieldsEnd;
    }

    void openNode(TBookmark* parent, od::object object) {
        auto* node = new TBookmark(parent, std::string(kFolderMarker), {}, {}, 0);
        Level level{Level::NodeFields, node};
        level.fields = object.begin();
        level.fieldsEnd = object.end();
        levels_.push_back(std::move(level));
    }

    // Keys are compared as they stand in the file: Chromium writes them without escapes, and
    // unescaping every key of every node costs more than the comparison.
    void readField(Level& level, od::field field) {
        const od::raw_json_string key = field.key();
        od::value value = field.value();
        if (key == "children") {
            od::array children;
            if (value.get_array().get(children) == simdjson::SUCCESS) {
                Level list{Level::NodeList, level.node};
                list.items = children.begin();
                list.itemsEnd = children.end();
                levels_.push_back(std::move(list)); // `level` is not used past this point
            }
        } else if (key == "name") {
            level.node->Title = htmlText(std::string(stringOf(value)));
        } else if (key == "type") {
            level.isEntry = stringOf(value) == "url";
        } else if (key == "url") {
            level.url = stringOf(value);
        } else if (key == "date_added") {
            level.node->AddDate = readChromiumDate(value);
        }
    }

    static std::string_view stringOf(od::value value) {
        std::string_view text;
        return value.get_string().get(text) == simdjson::SUCCESS ? text : std::string_view();
    }

    std::vector<Level> levels_;
};

// A file mapped read-only and followed by at least one page of zeros, which is the padding the
// parser reads past the end, so the file needs no copy. Browsers replace the file rather than
// rewrite it in place, so the mapping stays whole while it is read.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size <= 0) {
            closeFile(fd);
            return;
        }
        const size_t page = size_t(::sysconf(_SC_PAGESIZE));
        const size_t size = size_t(st.st_size);
        length_ = (size + page - 1) / page * page + page;
        void* area = ::mmap(nullptr, length_, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (area != MAP_FAILED &&
            ::mmap(area, size, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) != MAP_FAILED) {
            data_ = static_cast<const char*>(area);
            size_ = size;
        } else if (area != MAP_FAILED) {
            ::munmap(area, length_);
        }
        closeFile(fd);
    }
    ~MappedFile() {
        if (data_) {
            ::munmap(const_cast<char*>(data_), length_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool mapped() const { return data_ != nullptr; }
    std::string_view bytes() const { return {data_, size_}; }

private:
    static void closeFile(int fd) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    const char* data_ = nullptr;
    size_t size_ = 0;
    size_t length_ = 0;
};

} // namespace

bool TBookmarkConverter::readChromiumPadded(std::string_view json) {
    // Damaged JSON that names "roots" is taken for a damaged Chromium file and reported as such.
    const bool namesRoots = json.find("\"roots\"") != std::string_view::npos;
    const auto damaged = [&] {
        if (namesRoots || Root) {
            throw ConvertError(ConvertStatus::SourceNotFound, "");
        }
        return false;
    };
    od::parser parser;
    // Every level of nesting takes at least two bytes, so this depth is never the limit.
    if (parser.allocate(json.size(), std::max(simdjson::DEFAULT_MAX_DEPTH, json.size() / 2 + 1))) {
        return false;
    }
    od::document doc;
    od::object top;
    if (parser.iterate(json.data(), json.size(), json.size() + simdjson::SIMDJSON_PADDING).get(doc) ||
        doc.get_object().get(top)) {
        return damaged();
    }
    try {
        for (auto field : top) {
            if (field.unescaped_key().value() != "roots") {
                continue;
            }
            od::object roots;
            if (field.value().get_object().get(roots)) {
                return true; // a Chromium file with nothing in it
            }
            setRoot(std::make_unique<TBookmark>(nullptr, std::string(kFolderMarker),
                                                std::string(kStoreRootTitle), std::string(), 0));
            ChromiumWalk walk(Root.get());
            walk.openRoots(roots);
            walk.run();
            return true;
        }
    } catch (const simdjson::simdjson_error&) {
        return damaged();
    }
    return false;
}

bool TBookmarkConverter::ReadChromiumBookmarks(const std::string& path) {
    try {
        const MappedFile mapped(path);
        if (mapped.mapped()) {
            return readChromiumPadded(mapped.bytes());
        }
        simdjson::padded_string json;
        if (simdjson::padded_string::load(path).get(json)) {
            throw ConvertError(ConvertStatus::SourceNotFound, path);
        }
        return readChromiumPadded(json);
    } catch (const ConvertError& error) {
        throw ConvertError(error.status(), path);
    }
}

bool TBookmarkConverter::ReadChromiumJson(std::string_view json) {
    const simdjson::padded_string padded(json);
    return readChromiumPadded(padded);
}

} // namespace tavlin
