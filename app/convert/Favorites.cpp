#include "app/convert/Bookmark.h"
#include "app/convert/LineReader.h"
#include "platform/Files.h"

#include <cstdio>
#include <memory>
#include <set>
#include <strings.h>
#include <sys/stat.h>
#include <utility>

namespace tavlin {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string_view lastComponent(std::string_view path) {
    const size_t slash = path.rfind(kPathSeparator);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The value of the first "URL=" line of an internet shortcut, key matched without regard to
// case; empty when there is none.
std::string readShortcutUrl(const std::string& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
    LineReader reader(file.get(), false, 65536);
    std::string_view line;
    while (reader.next(line)) {
        const size_t equals = line.find('=');
        if (equals == 3 && strncasecmp(line.data(), "URL", 3) == 0) {
            return std::string(line.substr(equals + 1));
        }
    }
    if (reader.failed()) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
    return {};
}

// One path still to read, with what its folder's listing said about it.
struct FavoritesItem {
    TBookmark* parent;
    std::string path;
    uint32_t date;
    bool isDirectory;
};

// Directories already walked in this conversion, by device and inode. A symbolic link back
// into the tree (or a second link to one folder) is left out rather than walked again, so a
// link loop ends and no folder is listed twice.
class WalkedFolders {
public:
    // False when the folder was walked before.
    bool enter(const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            throw ConvertError(ConvertStatus::SourceNotFound, path);
        }
        return seen_.insert({st.st_dev, st.st_ino}).second;
    }

private:
    std::set<std::pair<dev_t, ino_t>> seen_;
};

} // namespace

void TBookmarkConverter::ReadFavorites(TBookmark* parent, const std::string& path, int32_t date) {
    // Depth first with a stack of our own: nodes are made in the order a recursive walk makes
    // them, however deep the tree.
    WalkedFolders walked;
    std::vector<FavoritesItem> pending;
    pending.push_back({parent, path, uint32_t(date), directoryExists(path + kPathSeparator)});
    while (!pending.empty()) {
        FavoritesItem item = std::move(pending.back());
        pending.pop_back();
        const std::string ext = upperExtension(item.path);
        if (ext == ".URL") {
            std::string url = readShortcutUrl(item.path);
            // A shortcut given as the source itself makes no root and is dropped.
            if (item.parent) {
                auto* node =
                    new TBookmark(item.parent, std::move(url), std::string(lastComponent(item.path)), {}, 0);
                node->AddDate = item.date; // DOS date-times past 2043 stay positive
            }
            continue;
        }
        // The extension stands in for a directory test: anything else with one is skipped.
        if (!ext.empty()) {
            continue;
        }
        // The top path must be a folder; further down, a file without extension is an empty folder.
        if (!item.parent && !item.isDirectory) {
            continue;
        }
        if (item.isDirectory && !walked.enter(item.path + kPathSeparator)) {
            continue;
        }
        TBookmark* folder = nullptr;
        if (item.parent) {
            folder = new TBookmark(item.parent, {}, std::string(lastComponent(item.path)), {}, 0);
            folder->AddDate = item.date;
        } else {
            auto top =
                std::make_unique<TBookmark>(nullptr, std::string(), std::string(lastComponent(item.path)),
                                            std::string(), int32_t(item.date));
            folder = top.get();
            if (!Root) {
                Root = std::move(top);
            } else {
                detached_ = std::move(top); // not written, but its walk still needs it
            }
        }
        if (!item.isDirectory) {
            continue;
        }
        const auto entries = listDirectory(item.path + kPathSeparator);
        if (!entries) {
            throw ConvertError(ConvertStatus::SourceNotFound, item.path);
        }
        for (auto e = entries->rbegin(); e != entries->rend(); ++e) {
            pending.push_back({folder, item.path + kPathSeparator + e->name, e->lastWrite, e->isDirectory});
        }
    }
}

} // namespace tavlin
