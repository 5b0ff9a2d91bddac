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

void TFontList::Add(TFontObj run) {
    Grow({runCount_ + 1, MapCount(), textSize_});
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
    Grow({runCount_, MapCount(), Checked(textSize_ + chars.size())});
    std::memcpy(TextData() + textSize_, chars.data(), chars.size());
    textSize_ += uint32_t(chars.size());
}

void TFontList::AddMapRun(IndexObj run) {
    if (mapCount_ == kMaxMapRuns) {
        throw std::bad_alloc();
    }
    Grow({runCount_, MapCount() + 1, textSize_});
    std::memcpy(MapData() + MapBytes(MapCount(), false), &run, sizeof(run));
    ++mapCount_;
}

void TFontList::DropLastMapRun() {
    // A trimmed block finds its text right after the map, so it becomes a draft before the map shrinks.
    Grow({runCount_, MapCount(), textSize_});
    --mapCount_;
}

int TFontList::MapRunAt(int p) const {
    size_t low = 0;
    size_t high = MapCount();
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (p < MapRun(mid).Pos) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return int(low) - 1;
}

IndexObj TFontList::PackedMapRun(size_t i) const {
    int32_t first = 0;
    std::memcpy(&first, MapData(), sizeof(first));
    if (i == 0) {
        return {0, first};
    }
    PackedRun run;
    std::memcpy(&run, MapData() + i * sizeof(PackedRun), sizeof(run));
    return {run.pos, first + run.index};
}

bool TFontList::MapPacks() const {
    const auto fits = [](int64_t value) {
        return value >= 0 && value <= std::numeric_limits<uint16_t>::max();
    };
    if (MapCount() == 0 || MapRun(0).Pos != 0) {
        return false;
    }
    const int64_t first = MapRun(0).Index;
    for (size_t i = 1; i < MapCount(); ++i) {
        const IndexObj run = MapRun(i);
        if (!fits(run.Pos) || !fits(run.Index - first)) {
            return false;
        }
    }
    return true;
}

void TFontList::WriteMap(char* to, bool packed) const {
    const int32_t first = MapCount() > 0 ? MapRun(0).Index : 0;
    for (size_t i = 0; i < MapCount(); ++i) {
        const IndexObj run = MapRun(i);
        if (!packed) {
            std::memcpy(to + i * sizeof(IndexObj), &run, sizeof(run));
        } else if (i == 0) {
            std::memcpy(to, &first, sizeof(first));
        } else {
            const PackedRun narrow{uint16_t(run.Pos), uint16_t(run.Index - first)};
            std::memcpy(to + i * sizeof(PackedRun), &narrow, sizeof(narrow));
        }
    }
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
        true, attached_);
}

void TFontList::Trim(TSectionArena* arena) {
    if (draft_) {
        MoveTo({runCount_, MapCount(), textSize_}, false, attached_, arena);
    }
}

void* TFontList::Attachment() const {
    if (!attached_) {
        return nullptr;
    }
    void* attachment = nullptr;
    std::memcpy(&attachment, reinterpret_cast<const char*>(runs_) - PrefixBytes(draft_, true),
                sizeof(attachment));
    return attachment;
}

void TFontList::SetAttachment(void* attachment) {
    if (!attached_) {
        MoveTo(RoomOf(), draft_, true);
    }
    std::memcpy(reinterpret_cast<char*>(runs_) - PrefixBytes(draft_, true), &attachment, sizeof(attachment));
}

size_t TFontList::BlockBytes(Room room, bool draft, bool attached, bool packedMap) {
    return PrefixBytes(draft, attached) + room.runs * sizeof(TFontObj) + MapBytes(room.map, packedMap) +
           room.text;
}

void TFontList::MoveTo(Room room, bool draft, bool attached, TSectionArena* arena) {
    const size_t prefix = PrefixBytes(draft, attached);
    // A draft's map grows at its end, so only a trimmed block packs it.
    const bool packedMap = !draft && MapPacks();
    const size_t bytes = BlockBytes(room, draft, attached, packedMap);
    void* const attachment = Attachment();
    void* block = nullptr;
    if (draft && !spareGone && spare.block && spare.bytes >= bytes) {
        // The spare draft's room is whatever it holds; room only sets the least.
        block = std::exchange(spare.block, nullptr);
        room.text += Checked(spare.bytes - bytes);
    } else if (arena && !draft && bytes <= TSectionArena::kMaxPiece) {
        block = arena->Allocate(bytes);
    } else {
        block = ::operator new(bytes);
    }
    auto* runs = reinterpret_cast<TFontObj*>(static_cast<char*>(block) + prefix);
    if (draft) {
        std::memcpy(reinterpret_cast<char*>(runs) - kRoomBytes, &room, sizeof(room));
    }
    if (attached) {
        std::memcpy(block, &attachment, sizeof(attachment));
    }
    for (uint32_t i = 0; i < runCount_; ++i) {
        new (runs + i) TFontObj(std::move(runs_[i]));
    }
    char* const map = reinterpret_cast<char*>(runs + room.runs);
    WriteMap(map, packedMap);
    if (textSize_ > 0) {
        std::memcpy(map + MapBytes(room.map, packedMap), TextData(), textSize_);
    }
    FreeBlock();
    runs_ = runs;
    draft_ = draft;
    attached_ = attached;
    packedMap_ = packedMap;
    inArena_ = arena && !draft && bytes <= TSectionArena::kMaxPiece;
}

void TFontList::FreeBlock() {
    if (!runs_) {
        return;
    }
    std::destroy_n(runs_, runCount_);
    char* block = reinterpret_cast<char*>(runs_) - PrefixBytes(draft_, attached_);
    if (draft_ && !spareGone && !spare.block) {
        const size_t bytes = BlockBytes(RoomOf(), true, attached_, false);
        if (bytes <= SpareDraft::kMaxKeptBytes) {
            spare.block = block;
            spare.bytes = bytes;
            block = nullptr;
        }
    }
    if (inArena_) {
        TSectionArena::FreeToItsArena(block); // the heap must never see an arena's piece
    } else {
        ::operator delete(block);
    }
    runs_ = nullptr;
    inArena_ = false;
}

} // namespace tavlin
