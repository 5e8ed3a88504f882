// Lays out a TIFF block that carries the wanted tags without moving any byte
// of the original block (see buildTiff in tiff.h).
//
// 1. Each wanted value that fits where its tag's value already is (inline in
//    the entry, or in the entry's own out-of-line slot that nothing else
//    shares) is rewritten in place.
// 2. A tag that is new to its directory makes the directory "relocated": a
//    copy of it with the new entry, sorted by tag, goes to the end of the
//    block and its parent's pointer (or the header's IFD0 offset) is set to
//    it. A missing GPS or Exif directory is created there, which relocates
//    IFD0 for the new pointer. IFD0's link to IFD1 is copied.
// 3. A value that outgrows its slot goes to the end; its entry points to it.
// 4. Before appending, the end of the block is reclaimed as far as it holds
//    only tables of IFD0/Exif/GPS and values of the tags this library writes
//    (things whose only references are known), each shared with nothing
//    else and with no unknown byte between them and the end; they are laid
//    out again with the rest. Since everything appended is laid out without
//    gaps, what an earlier write appended is always reused, and repeated
//    writes do not grow the block without bound.
// 5. Everything appended starts at an even offset.
// 6. The Exif, GPS and Interop pointers are written as LONG, whichever of
//    the types the reader takes (LONG, SLONG, IFD) they had.
#include "tiff.h"

#include <algorithm>

namespace exif {
namespace {

using Key = std::pair<IfdKind, uint16_t>;

bool isWritableDirectory(IfdKind k)
{
    return k == IfdKind::ifd0 || k == IfdKind::exif || k == IfdKind::gps;
}

// Tags whose values this library writes: their only reference is their
// entry, so their values may be placed anew.
bool isOurTag(IfdKind k, uint16_t t)
{
    if (k == IfdKind::exif) return t == tag::dateTimeOriginal;
    if (k != IfdKind::gps) return false;
    switch (t) {
    case tag::gpsVersion: case tag::gpsLatitudeRef: case tag::gpsLatitude: case tag::gpsLongitudeRef:
    case tag::gpsLongitude: case tag::gpsTimeStamp: case tag::gpsStatus: case tag::gpsMapDatum:
    case tag::gpsDateStamp:
        return true;
    default:
        return false;
    }
}

bool overlaps(const UsedRange& r, uint64_t start, uint64_t end)
{
    return r.start < end && start < r.end;
}

// True when no known range other than `self` shares a byte with it.
bool isExclusive(const TiffModel& model, std::size_t self)
{
    const UsedRange& r = model.used[self];
    for (std::size_t i = 0; i < model.used.size(); ++i)
        if (i != self && overlaps(model.used[i], r.start, r.end)) return false;
    return true;
}

// True when bytes [start, end), which a write changes in place, are also
// part of a value, the thumbnail, or the table of another directory than
// `own` (the one the changed entry belongs to): only a damaged block has it.
bool holdsOtherData(const TiffModel& model, uint64_t start, uint64_t end, IfdKind own)
{
    for (const UsedRange& r : model.used) {
        if (!overlaps(r, start, end)) continue;
        if (r.what == UsedRange::What::value || r.what == UsedRange::What::thumbnail) return true;
        if (r.what == UsedRange::What::table && r.ifd != own) return true;
    }
    return false;
}

// A value or the thumbnail over a directory's table or the header, or two
// tables sharing bytes. A write relocates tables and leaves the old bytes
// where they were, so readers would then take them for the other thing's
// (a maker note read as the old IFD0, say): only a damaged or crafted block
// has it, and it is not written.
bool tablesShareBytes(const TiffModel& model)
{
    for (const UsedRange& t : model.used) {
        if (t.what != UsedRange::What::table && t.what != UsedRange::What::header) continue;
        for (const UsedRange& r : model.used)
            if (&r != &t && overlaps(r, t.start, t.end)) return true;
    }
    return false;
}

std::size_t rangeOfValue(const TiffModel& model, IfdKind k, const Entry& e)
{
    for (std::size_t i = 0; i < model.used.size(); ++i) {
        const UsedRange& r = model.used[i];
        if (r.what == UsedRange::What::value && r.ifd == k && r.tag == e.tag && r.start == e.field)
            return i;
    }
    return model.used.size();
}

struct NewEntry {
    enum class Kind { raw, pointer, appended } kind = Kind::raw;
    uint16_t type = 0;
    uint32_t count = 0;
    std::array<uint8_t, 4> field{};  // raw: the bytes as they are
    IfdKind target = IfdKind::ifd0;   // pointer: the directory pointed to
    std::size_t value = 0;            // appended: index into the appended values
};

struct Directory {
    bool relocate = false;
    bool create = false;
    uint32_t offset = 0;
    std::map<uint16_t, NewEntry> entries;  // sorted by tag
};

struct Appended {
    TagValue value;
    uint32_t offset = 0;
    bool entryInPlace = false;  // the entry stays where it is; patch its field
    uint64_t entryPosition = 0;
    IfdKind directory = IfdKind::ifd0;
};

std::array<uint8_t, 4> inlineField(const TagValue& v)
{
    std::array<uint8_t, 4> f{};
    for (std::size_t i = 0; i < v.bytes.size() && i < 4; ++i) f[i] = v.bytes[i];
    return f;
}

// IFD0's pointer tag of each child directory a write may relocate or create.
constexpr std::pair<IfdKind, uint16_t> kChildPointers[] = {{IfdKind::exif, tag::exifIfd},
                                                           {IfdKind::gps, tag::gpsIfd}};

// What one buildTiff call lays out, filled in by the steps below in order.
// Every byte goes through `writer`, into `out`.
struct Plan {
    Plan(const std::vector<uint8_t>& originalBlock, const TiffModel& originalModel, const WantedTags& wantedTags,
         std::vector<uint8_t>& block)
        : original(originalBlock), model(originalModel), wanted(wantedTags), out(block),
          writer(block, originalModel.order), base(originalBlock.size())
    {
    }

    const std::vector<uint8_t>& original;
    const TiffModel& model;
    const WantedTags& wanted;
    std::vector<uint8_t>& out;
    ByteWriter writer;
    std::array<Directory, kIfdKinds> dirs;
    std::map<Key, TagValue> moved;    // existing entries whose value goes to the end
    std::map<Key, TagValue> newTags;  // entries new to their directory
    bool leavesSlotBehind = false;    // a value of ours shrank or went inline
    uint64_t base;                    // where the appended things start (after reclaiming, step 4)
    std::vector<Appended> appended;   // the values that go to the end, in the order laid out

    Directory& dir(IfdKind k) { return dirs[static_cast<int>(k)]; }
    const Directory& dir(IfdKind k) const { return dirs[static_cast<int>(k)]; }
    uint32_t directoryOffset(IfdKind k) const { return dir(k).relocate ? dir(k).offset : model.ifd(k).offset; }
};

void rewriteTypeAndCount(Plan& plan, const Entry& e, const TagValue& value)
{
    plan.writer.u16(e.position + 2, value.type);
    plan.writer.u32(e.position + 4, value.count);
}

// Step 1 for one value: rewritten in place when it fits where the entry's
// value is (inline, or the entry's own out-of-line slot that nothing else
// shares; the rest of a larger slot is zeroed). False when it does not fit.
bool rewriteInPlace(Plan& plan, IfdKind kind, const Entry& e, const TagValue& value)
{
    const uint64_t size = value.bytes.size();
    if (size <= 4) {
        rewriteTypeAndCount(plan, e, value);
        const auto f = inlineField(value);
        plan.writer.raw(e.position + 8, f.data(), 4);
        plan.leavesSlotBehind = plan.leavesSlotBehind || !e.isInline();
        return true;
    }
    if (e.isInline() || size > e.valueSize) return false;
    const std::size_t self = rangeOfValue(plan.model, kind, e);
    if (self >= plan.model.used.size() || !isExclusive(plan.model, self)) return false;
    rewriteTypeAndCount(plan, e, value);
    plan.writer.raw(e.field, value.bytes.data(), size);
    for (uint64_t i = size; i < e.valueSize; ++i) plan.writer.u8(e.field + i, 0);
    plan.leavesSlotBehind = plan.leavesSlotBehind || size < e.valueSize;
    return true;
}

// Steps 1-3: each wanted value in place where it fits; else a tag new to its
// directory relocates that directory (creating a missing one, which
// relocates IFD0 for the new pointer), and a value that outgrew its slot
// is to move to the end.
BuildResult sortWantedValues(Plan& plan)
{
    for (const auto& [key, value] : plan.wanted) {
        const auto [kind, t] = key;
        if (!isWritableDirectory(kind) || kind == IfdKind::ifd0) return BuildResult::unsupported;
        const Ifd& ifd = plan.model.ifd(kind);
        const Entry* e = ifd.present ? ifd.find(t) : nullptr;
        if (e == nullptr) {
            Directory& dir = plan.dir(kind);
            dir.relocate = true;
            dir.create = !ifd.present;
            plan.newTags[key] = value;
            continue;
        }
        if (holdsOtherData(plan.model, e->position, e->position + 12, kind)) return BuildResult::overlap;
        if (!rewriteInPlace(plan, kind, *e, value)) plan.moved[key] = value;
    }
    for (const auto& [child, pointerTag] : kChildPointers)
        if (plan.dir(child).create) plan.dir(IfdKind::ifd0).relocate = true;
    return BuildResult::ok;
}

// The directory pointers (Exif and GPS in IFD0, Interop in Exif) are read
// from LONG, SLONG or IFD entries and always written as LONG: in place here,
// so that relocated copies of their directories take LONG along.
BuildResult writePointersAsLong(Plan& plan)
{
    constexpr std::pair<IfdKind, uint16_t> pointers[] = {
        {IfdKind::ifd0, tag::exifIfd}, {IfdKind::ifd0, tag::gpsIfd}, {IfdKind::exif, tag::interopIfd}};
    for (const auto& [kind, pointerTag] : pointers) {
        const Entry* e = plan.model.find(kind, pointerTag);
        if (e == nullptr || e->type == tLong) continue;
        if (holdsOtherData(plan.model, e->position, e->position + 12, kind)) return BuildResult::overlap;
        plan.writer.u16(e->position + 2, tLong);
    }
    return BuildResult::ok;
}

// Whether anything goes to the end of the block (or an old slot of ours is
// left behind there, to be reclaimed); if not, the in-place writes are all.
bool appendsAnything(const Plan& plan)
{
    const bool relocates =
        std::any_of(plan.dirs.begin(), plan.dirs.end(), [](const Directory& d) { return d.relocate; });
    return relocates || !plan.moved.empty() || plan.leavesSlotBehind;
}

// The known range that ends last among those not reclaimed yet;
// model.used.size() when none is left.
std::size_t lastUnreclaimed(const TiffModel& model, const std::vector<bool>& reclaimed)
{
    std::size_t last = model.used.size();
    for (std::size_t i = 0; i < model.used.size(); ++i)
        if (!reclaimed[i] && (last == model.used.size() || model.used[i].end > model.used[last].end)) last = i;
    return last;
}

// A table of IFD0, Exif or GPS (its only references are known pointers) or a
// value of our tags (referenced by its entry only), shared with nothing and
// after the header.
bool mayBeLaidOutAnew(const TiffModel& model, std::size_t i)
{
    const UsedRange& r = model.used[i];
    bool movable = false;
    if (r.what == UsedRange::What::table) movable = isWritableDirectory(r.ifd);
    else if (r.what == UsedRange::What::value) movable = isOurTag(r.ifd, r.tag);
    return movable && isExclusive(model, i) && r.start >= 8;
}

// Takes the value of our tag in range `r` to be laid out again: the wanted
// value when there is one, else the value as it is. False for the value of
// a repeated tag, which no write reaches.
bool reclaimValue(Plan& plan, const UsedRange& r)
{
    const Entry* e = plan.model.find(r.ifd, r.tag);
    if (e == nullptr || e->isInline() || e->field != r.start) return false;
    const Key key{r.ifd, r.tag};
    if (plan.moved.count(key)) return true;
    if (auto w = plan.wanted.find(key); w != plan.wanted.end()) {
        plan.moved[key] = w->second;
        return true;
    }
    TagValue v{e->type, e->count, {}};
    v.bytes.assign(plan.original.begin() + static_cast<std::ptrdiff_t>(e->field),
                   plan.original.begin() + static_cast<std::ptrdiff_t>(e->field + e->valueSize));
    plan.moved[key] = v;
    return true;
}

// Step 4: from the very end of the block backwards, the things that may be
// laid out anew, with no unknown byte between them and the end, are
// reclaimed: their directories relocate, their values move, and appending
// starts where the first of them starts.
void reclaimEnd(Plan& plan)
{
    const TiffModel& model = plan.model;
    std::vector<bool> reclaimed(model.used.size(), false);
    for (;;) {
        const std::size_t last = lastUnreclaimed(model, reclaimed);
        if (last == model.used.size()) return;
        const UsedRange& r = model.used[last];
        if (r.end + 1 < plan.base) return;  // bytes nobody known uses lie after it: keep them
        if (!mayBeLaidOutAnew(model, last)) return;
        if (r.what == UsedRange::What::table) plan.dir(r.ifd).relocate = true;
        else if (!reclaimValue(plan, r)) return;
        reclaimed[last] = true;
        plan.base = r.start;
    }
}

// The entries of every relocated directory that exists, as the bytes (with
// the in-place changes of step 1) now hold them. damaged: a tag twice.
BuildResult copyRelocatedEntries(Plan& plan)
{
    for (int k = 0; k < kIfdKinds; ++k) {
        Directory& dir = plan.dirs[k];
        const Ifd& ifd = plan.model.ifds[k];
        if (!dir.relocate || !ifd.present) continue;
        const ByteReader reader(plan.out.data(), plan.out.size(), plan.model.order);
        for (const Entry& e : ifd.entries) {
            NewEntry n;
            reader.u16(e.position + 2, n.type);
            reader.u32(e.position + 4, n.count);
            for (int i = 0; i < 4; ++i) n.field[i] = plan.out[e.position + 8 + i];
            if (!dir.entries.emplace(e.tag, n).second) return BuildResult::damaged;
        }
    }
    return BuildResult::ok;
}

// Steps 2 and 3 for one moved or new value: its entry in a relocated
// directory, inline when it fits; a larger value goes to the end, and an
// entry that stays where it is gets pointed at it.
void placeValue(Plan& plan, const Key& key, const TagValue& value)
{
    Directory& dir = plan.dir(key.first);
    NewEntry n;
    n.type = value.type;
    n.count = value.count;
    if (value.bytes.size() <= 4) {
        n.field = inlineField(value);
    } else {
        n.kind = NewEntry::Kind::appended;
        n.value = plan.appended.size();
        Appended a;
        a.value = value;
        if (!dir.relocate) {
            const Entry* e = plan.model.find(key.first, key.second);
            a.entryInPlace = true;
            a.entryPosition = e->position;
            a.directory = key.first;
        }
        plan.appended.push_back(a);
    }
    if (dir.relocate) dir.entries[key.second] = n;
}

// The entries that change in the relocated directories: the moved and new
// values, and in a relocated IFD0 the pointers to relocated children.
void placeChangedEntries(Plan& plan)
{
    for (const auto& [key, value] : plan.moved) placeValue(plan, key, value);
    for (const auto& [key, value] : plan.newTags) placeValue(plan, key, value);
    Directory& ifd0 = plan.dir(IfdKind::ifd0);
    for (const auto& [child, pointerTag] : kChildPointers) {
        if (!plan.dir(child).relocate || !ifd0.relocate) continue;
        NewEntry p;
        p.kind = NewEntry::Kind::pointer;
        p.type = tLong;
        p.count = 1;
        p.target = child;
        ifd0.entries[pointerTag] = p;
    }
}

// Step 5: the offsets of the relocated tables and the appended values, each
// at an even offset, and the block's new size. A directory whose
// next-directory link the block's end cut off gets its four bytes kept
// free (zero), or a reader would take what follows for the link.
BuildResult layOut(Plan& plan)
{
    const TiffModel& model = plan.model;
    uint64_t pos = plan.out.size();
    for (int k = 0; k < kIfdKinds; ++k)
        if (model.ifds[k].present && !plan.dirs[k].relocate)
            pos = std::max<uint64_t>(pos, model.ifds[k].offset + model.ifds[k].tableSize());
    pos += pos & 1;
    for (Directory& dir : plan.dirs) {
        if (!dir.relocate) continue;
        if (dir.entries.size() > kMaxEntries) return BuildResult::tooLarge;
        dir.offset = static_cast<uint32_t>(std::min<uint64_t>(pos, UINT32_MAX));
        pos += 2 + 12 * uint64_t(dir.entries.size()) + 4;
    }
    for (Appended& a : plan.appended) {
        a.offset = static_cast<uint32_t>(std::min<uint64_t>(pos, UINT32_MAX));
        pos += a.value.bytes.size();
        pos += pos & 1;
    }
    if (pos > kMaxTiffSize) return BuildResult::tooLarge;
    plan.out.resize(pos, 0);
    return BuildResult::ok;
}

// The table of relocated directory k at its new offset, with its link to
// the next directory (none for a created one).
void writeDirectory(Plan& plan, int k)
{
    const Directory& dir = plan.dirs[k];
    uint64_t p = dir.offset;
    plan.writer.u16(p, static_cast<uint16_t>(dir.entries.size()));
    p += 2;
    for (const auto& [t, n] : dir.entries) {
        plan.writer.u16(p, t);
        plan.writer.u16(p + 2, n.type);
        plan.writer.u32(p + 4, n.count);
        switch (n.kind) {
        case NewEntry::Kind::raw: plan.writer.raw(p + 8, n.field.data(), 4); break;
        case NewEntry::Kind::pointer: plan.writer.u32(p + 8, plan.directoryOffset(n.target)); break;
        case NewEntry::Kind::appended: plan.writer.u32(p + 8, plan.appended[n.value].offset); break;
        }
        p += 12;
    }
    plan.writer.u32(p, dir.create ? 0 : plan.model.ifds[k].next);
}

// The appended values, and the entries that stay in place repointed to
// theirs.
BuildResult writeAppendedValues(Plan& plan)
{
    for (const Appended& a : plan.appended) {
        if (a.entryInPlace && holdsOtherData(plan.model, a.entryPosition, a.entryPosition + 12, a.directory))
            return BuildResult::overlap;
        plan.writer.raw(a.offset, a.value.bytes.data(), a.value.bytes.size());
        if (a.entryInPlace) {
            plan.writer.u16(a.entryPosition + 2, a.value.type);
            plan.writer.u32(a.entryPosition + 4, a.value.count);
            plan.writer.u32(a.entryPosition + 8, a.offset);
        }
    }
    return BuildResult::ok;
}

// The header's IFD0 offset to a relocated IFD0, or else IFD0's pointers in
// place to the relocated children.
BuildResult repointDirectories(Plan& plan)
{
    const Directory& ifd0 = plan.dir(IfdKind::ifd0);
    if (ifd0.relocate) plan.writer.u32(4, ifd0.offset);
    for (const auto& [child, pointerTag] : kChildPointers) {
        if (!plan.dir(child).relocate || ifd0.relocate) continue;
        const Entry* e = plan.model.find(IfdKind::ifd0, pointerTag);
        if (e == nullptr) continue;
        if (holdsOtherData(plan.model, e->position, e->position + 12, IfdKind::ifd0)) return BuildResult::overlap;
        plan.writer.u32(e->position + 8, plan.directoryOffset(child));
    }
    return BuildResult::ok;
}

}  // namespace

BuildResult buildTiff(const std::vector<uint8_t>& original, const TiffModel& model,
                      const WantedTags& wanted, std::vector<uint8_t>& out)
{
    out = original;
    if (tablesShareBytes(model)) return BuildResult::overlap;
    Plan plan(original, model, wanted, out);
    if (const BuildResult r = sortWantedValues(plan); r != BuildResult::ok) return r;
    if (const BuildResult r = writePointersAsLong(plan); r != BuildResult::ok) return r;
    if (!appendsAnything(plan)) return BuildResult::ok;
    reclaimEnd(plan);
    if (const BuildResult r = copyRelocatedEntries(plan); r != BuildResult::ok) return r;
    out.resize(plan.base);
    placeChangedEntries(plan);
    if (const BuildResult r = layOut(plan); r != BuildResult::ok) return r;
    for (int k = 0; k < kIfdKinds; ++k)
        if (plan.dirs[k].relocate) writeDirectory(plan, k);
    const bool ifd0Relocates = plan.dir(IfdKind::ifd0).relocate;
    if (ifd0Relocates && holdsOtherData(model, 4, 8, IfdKind::ifd0)) return BuildResult::overlap;
    if (const BuildResult r = writeAppendedValues(plan); r != BuildResult::ok) return r;
    return repointDirectories(plan);
}

}  // namespace exif
