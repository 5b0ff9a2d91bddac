#include "document/FontList.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace tavlin {

namespace {

// A draft left over when a section was trimmed: the next section to grow takes it instead of
// asking for a block of its own. Larger drafts are freed, so a long paragraph does not keep its
// room for the life of the thread.
struct SpareDraft {
    static constexpr size_t kMaxKeptBytes = 64 * 1024;
    void* block = nullptr;
    size_t bytes = 0;
    ~SpareDraft();
};
thread_local SpareDraft spare;
// Set once the thread's spare is gone: sections freed after it free their blocks themselves.
thread_local bool spareGone = false;

SpareDraft::~SpareDraft() {
    ::operator delete(block);
    block = nullptr;
    spareGone = true;
}

uint32_t Checked(size_t count) {
    if (count > std::numeric_limits<uint32_t>::max() / 2) {
        throw std::bad_alloc();
    }
    return uint32_t(count);
}

} // namespace

TFontList::~TFontList() {
    FreeBlock();
}

TFontList::Room TFontList::RoomOf() const {
    if (!draft_) {
        return {runCount_, mapCount_, textSize_};
    }
    Room room;
    std::memcpy(&room, reinterpret_cast<const char*>(runs_) - kRoomBytes, sizeof(room));
    return room;
}

void TFontList::Add(TFontObj run) {
    Grow({runCount_ + 1, mapCount_, textSize_});
    new (runs_ + runCount_) TFontObj(std::move(run));
    ++runCount_;
}

int TFontList::IndexAt(int p) const {
    // The first run always starts at 0, so the answer is at least 0.
    const TFontObj* it =
        std::upper_bound(begin(), end(), p, [](int pos, const TFontObj& run) { return pos < run.Pos; });
    return std::max(int(it - begin()) - 1, 0);
}

void TFontList::AppendText(std::string_view chars) {
    if (chars.empty()) {
        return;
    }
    Grow({runCount_, mapCount_, Checked(textSize_ + chars.size())});
    std::memcpy(TextData() + textSize_, chars.data(), chars.size());
    textSize_ += uint32_t(chars.size());
}

void TFontList::AddMapRun(IndexObj run) {
    Grow({runCount_, mapCount_ + 1, textSize_});
    MapData()[mapCount_++] = run;
}

void TFontList::Grow(Room need) {
    const Room room = RoomOf();
    if (draft_ && need.runs <= room.runs && need.map <= room.map && need.text <= room.text) {
        return;
    }
    // Each part at least doubles, so appending costs no more than linear time overall.
    const auto larger = [](uint32_t needed, uint32_t had, uint32_t least) {
        return std::max({needed, needed > had ? Checked(size_t(had) * 2) : had, least});
    };
    MoveTo(
        {larger(need.runs, room.runs, 4), larger(need.map, room.map, 8), larger(need.text, room.text, 128)},
        true);
}

void TFontList::Trim() {
    if (draft_) {
        MoveTo({runCount_, mapCount_, textSize_}, false);
    }
}

void TFontList::MoveTo(Room room, bool draft) {
    const size_t prefix = draft ? kRoomBytes : 0;
    const size_t bytes = prefix + room.runs * sizeof(TFontObj) + room.map * sizeof(IndexObj) + room.text;
    void* block = nullptr;
    if (draft && !spareGone && spare.block && spare.bytes >= bytes) {
        // The spare draft's room is whatever it holds; room only sets the least.
        block = std::exchange(spare.block, nullptr);
        const size_t extra = spare.bytes - bytes;
        room.text += Checked(extra);
    } else if (bytes > 0) {
        block = ::operator new(bytes);
    }
    auto* runs = reinterpret_cast<TFontObj*>(static_cast<char*>(block) + prefix);
    if (draft) {
        std::memcpy(block, &room, sizeof(room));
    }
    for (uint32_t i = 0; i < runCount_; ++i) {
        new (runs + i) TFontObj(std::move(runs_[i]));
    }
    auto* map = reinterpret_cast<IndexObj*>(runs + room.runs);
    if (mapCount_ > 0) {
        std::memcpy(map, MapData(), mapCount_ * sizeof(IndexObj));
    }
    if (textSize_ > 0) {
        std::memcpy(reinterpret_cast<char*>(map + room.map), TextData(), textSize_);
    }
    FreeBlock();
    runs_ = runs;
    draft_ = draft;
}

void TFontList::FreeBlock() {
    if (!runs_) {
        return;
    }
    std::destroy_n(runs_, runCount_);
    char* block = reinterpret_cast<char*>(runs_) - (draft_ ? kRoomBytes : 0);
    if (draft_ && !spareGone && !spare.block) {
        const Room room = RoomOf();
        const size_t bytes =
            kRoomBytes + room.runs * sizeof(TFontObj) + room.map * sizeof(IndexObj) + room.text;
        if (bytes <= SpareDraft::kMaxKeptBytes) {
            spare.block = block;
            spare.bytes = bytes;
            block = nullptr;
        }
    }
    ::operator delete(block);
    runs_ = nullptr;
}

} // namespace tavlin
