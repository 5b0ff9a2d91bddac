#include "app/convert/Bookmark.h"
#include "platform/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlin {

namespace {

// Collects the listing's lines, each ended by CR LF, and hands them to a file in large pieces
// (or keeps them all when there is no file).
class ListingSink {
public:
    explicit ListingSink(int fd) : fd_(fd) {}

    void line(std::initializer_list<std::string_view> parts) {
        for (const std::string_view part : parts) {
            append(part);
        }
        append("\r\n");
    }

    // False once any write failed.
    bool flush() {
        writeOut(buffer_);
        buffer_.clear();
        return ok_;
    }

    std::string take() { return std::move(buffer_); }

private:
    void append(std::string_view part) {
        if (fd_ < 0) {
            buffer_.append(part);
            return;
        }
        // A huge title or address goes straight to the file rather than through a copy.
        if (part.size() >= kFlushSize) {
            flush();
            writeOut(part);
            return;
        }
        buffer_.append(part);
        if (buffer_.size() >= kFlushSize) {
            flush();
        }
    }

    void writeOut(std::string_view bytes) {
        size_t done = 0;
        while (ok_ && done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            ok_ = n > 0;
            done += ok_ ? size_t(n) : 0;
        }
    }

    static constexpr size_t kFlushSize = 1 << 20;
    int fd_;
    bool ok_ = true;
    std::string buffer_;
};

struct Tags {
    std::string_view open;
    std::string_view close;
};

// Empty titles, a single space and titles starting with a control byte: all compare at most " ".
bool isBlankTitle(const std::string& title) {
    return title.empty() || static_cast<unsigned char>(title[0]) < 0x20 || title == " ";
}

void writeEntry(ListingSink& out, const TBookmark& node, size_t level, const Tags& tags) {
    const bool folder = !node.Children.empty();
    const std::string_view headOpen = !folder ? "" : level <= 1 ? "<BR><B><font size=+1>" : "<H3>";
    const std::string_view headClose = !folder ? "" : level <= 1 ? "</font></b>" : "</H3>";
    if (isBlankTitle(node.Title)) {
        return;
    }
    if (node.URL == kFolderMarker) {
        out.line({headOpen, node.Title, headClose});
    } else {
        static constexpr std::string_view kSpaces = "      ";
        const std::string_view indent = kSpaces.substr(0, std::min<size_t>(level, kSpaces.size()));
        out.line({"<DT>", node.Title, "-<a href=\"", node.URL, "\">", tags.open, indent, node.URL, tags.close,
                  "</a>", headClose});
    }
    if (!node.Description.empty()) {
        out.line({"<DD>", node.Description});
    }
}

// Writes a node and, when it has children, its list; returns whether a list was opened.
bool openNode(ListingSink& out, const TBookmark& node, size_t level, const Tags& tags) {
    writeEntry(out, node, level, tags);
    if (node.Children.empty()) {
        return false;
    }
    out.line({"<BR>"});
    out.line({"<DL>"});
    return true;
}

// The tree in document order, with a stack of our own instead of recursion.
void writeTree(ListingSink& out, const TBookmark& root, const Tags& tags) {
    struct Frame {
        const TBookmark* node;
        size_t level;
        size_t next;
    };
    std::vector<Frame> open;
    if (openNode(out, root, 0, tags)) {
        open.push_back({&root, 0, 0});
    }
    while (!open.empty()) {
        Frame& top = open.back();
        if (top.next == top.node->Children.size()) {
            out.line({"</DL>"});
            out.line({"<BR><BR>"});
            open.pop_back();
            continue;
        }
        const TBookmark& child = *top.node->Children[top.next++];
        const size_t level = top.level + 1;
        if (openNode(out, child, level, tags)) {
            open.push_back({&child, level, 0});
        }
    }
}

void writeListing(ListingSink& out, const TBookmark* root, const std::string& listingTitle,
                  const Tags& tags) {
    out.line({"<html><body>"});
    out.line({"<center><h2>", listingTitle, "</h2></center>"});
    if (root) {
        writeTree(out, *root, tags);
    }
    out.line({"</body></html>"});
}

// A new file beside the listing, renamed over it once it is whole, so that a failed
// conversion leaves the earlier listing as it was. Removed again unless committed.
class TempFile {
public:
    explicit TempFile(const std::string& target) : target_(target) {
        const size_t slash = target.rfind(kPathSeparator);
        const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
        const std::string name = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 100);
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            path_ =
                dir + "." + name + ".tavl-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) {
                break;
            }
        }
        struct stat st {};
        if (fd_ >= 0 && ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            ::fchmod(fd_, st.st_mode & 07777); // a listing written again keeps its permissions
        }
    }
    ~TempFile() {
        if (fd_ >= 0) {
            ::close(fd_);
            ::unlink(path_.c_str());
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }

    bool commit() {
        const int fd = fd_;
        fd_ = -1;
        const bool closed = ::close(fd) == 0;
        if (closed && ::rename(path_.c_str(), target_.c_str()) == 0) {
            return true;
        }
        ::unlink(path_.c_str());
        return false;
    }

private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
};

} // namespace

std::string TBookmarkConverter::ListingText(const std::string& listingTitle, const std::string& openTags,
                                            const std::string& closeTags) const {
    ListingSink sink(-1);
    writeListing(sink, Root.get(), listingTitle, {openTags, closeTags});
    return sink.take();
}

void TBookmarkConverter::WriteListing(const std::string& output, const std::string& listingTitle,
                                      const std::string& openTags, const std::string& closeTags) const {
    if (output.empty() || output.back() == kPathSeparator) {
        throw ConvertError(ConvertStatus::OutputNotWritten, output);
    }
    // Through a link, the file it points to is replaced, not the link.
    TempFile file(canonicalPath(output));
    if (file.fd() < 0) {
        throw ConvertError(ConvertStatus::OutputNotWritten, output);
    }
    ListingSink sink(file.fd());
    writeListing(sink, Root.get(), listingTitle, {openTags, closeTags});
    if (!sink.flush() || !file.commit()) {
        throw ConvertError(ConvertStatus::OutputNotWritten, output);
    }
}

} // namespace tavlin
