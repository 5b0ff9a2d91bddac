#pragma once
#include "reader/TextUtil.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavlin {

// Anything a name from ID or A NAME can be bound to; it answers where it stands vertically.
class TIDObject {
public:
    virtual ~TIDObject() = default;
    // The y coordinate of the object in the laid-out document.
    virtual int YPosition() const = 0;
};

// What a position mark needs of the document: where a source position ended up. The document's
// section list implements it.
class TSourcePositionLocator {
public:
    virtual ~TSourcePositionLocator() = default;
    // The top y of the line holding the character at this source position; -1 when no
    // character of the document maps to it.
    virtual int SourcePosToY(int32_t sourcePos) const = 0;
};

// A name bound to a source position (from an ID attribute).
class TChPosObj final : public TIDObject {
public:
    TChPosObj(const TSourcePositionLocator* owner, int32_t sourcePos) : Owner(owner), SourcePos(sourcePos) {}
    // 0 when the position is not found.
    int YPosition() const override;

    const TSourcePositionLocator* Owner; // the section list; may be null
    int32_t SourcePos;
};

// Names (ID and A NAME) bound to objects, kept sorted without regard to case. The list owns the
// position marks it makes; every other object belongs to the document. Adding a name that is
// present replaces the old entry, so the last definition of a name wins.
class TIDNameList {
public:
    explicit TIDNameList(const TSourcePositionLocator* owner = nullptr) : owner_(owner) {}
    TIDNameList(const TIDNameList&) = delete;
    TIDNameList& operator=(const TIDNameList&) = delete;

    void SetOwner(const TSourcePositionLocator* owner) { owner_ = owner; }
    // Binds a name to an object of the document (not owned).
    void AddObject(std::string_view name, TIDObject* object);
    // Binds a name to a source position.
    void AddPositionMark(std::string_view name, int32_t sourcePos);
    // The object bound to the name, or null.
    TIDObject* Find(std::string_view name) const;
    // Removes every entry that refers to this object (when the document frees it).
    void RemoveObject(const TIDObject* object);
    void Clear();

    int Count() const { return int(entries_.size()); }
    // The names as they were written, in their sorted order.
    std::vector<std::string> Names() const;

private:
    struct Entry {
        std::string name;
        TIDObject* object = nullptr;
        std::unique_ptr<TChPosObj> owned; // set when object is a position mark of ours
    };
    struct NoCaseLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const { return compareNoCase(a, b) < 0; }
    };
    void Add(std::string_view name, TIDObject* object, std::unique_ptr<TChPosObj> owned);
    using EntryMap = std::map<std::string, Entry, NoCaseLess>;
    void Unlink(const TIDObject* object, EntryMap::iterator entry);

    const TSourcePositionLocator* owner_;
    // A tree, not a sorted vector: a page of many names arrives in no useful order.
    EntryMap entries_;
    // The entries bound to each object, so that freeing an object does not search every name.
    // Map iterators stay valid until their own entry is erased.
    std::unordered_multimap<const TIDObject*, EntryMap::iterator> namesOf_;
};

} // namespace tavlin
