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

}  // namespace

BuildResult buildTiff(const std::vector<uint8_t>& original, const TiffModel& model,
                      const WantedTags& wanted, std::vector<uint8_t>& out)
{
    out = original;
    if (tablesShareBytes(model)) return BuildResult::overlap;
    ByteWriter writer(out, model.order);
    std::array<Directory, kIfdKinds> dirs;
    std::map<Key, TagValue> moved;     // existing entries whose value goes to the end
    std::map<Key, TagValue> newTags;   // entries new to their directory

    // 1-3: in place where it fits, else decide what moves.
    bool leavesSlotBehind = false;  // a value of ours shrank or went inline
    for (const auto& [key, value] : wanted) {
        const auto [kind, t] = key;
        if (!isWritableDirectory(kind) || kind == IfdKind::ifd0) return BuildResult::unsupported;
        Directory& dir = dirs[static_cast<int>(kind)];
        const Ifd& ifd = model.ifd(kind);
        const Entry* e = ifd.present ? ifd.find(t) : nullptr;
        if (e == nullptr) {
            dir.relocate = true;
            dir.create = !ifd.present;
            newTags[key] = value;
            continue;
        }
        if (holdsOtherData(model, e->position, e->position + 12, kind)) return BuildResult::overlap;
        const uint64_t size = value.bytes.size();
        if (size <= 4) {
            writer.u16(e->position + 2, value.type);
            writer.u32(e->position + 4, value.count);
            const auto f = inlineField(value);
            writer.raw(e->position + 8, f.data(), 4);
            leavesSlotBehind = leavesSlotBehind || !e->isInline();
            continue;
        }
        if (!e->isInline() && size <= e->valueSize) {
            const std::size_t self = rangeOfValue(model, kind, *e);
            if (self < model.used.size() && isExclusive(model, self)) {
                writer.u16(e->position + 2, value.type);
                writer.u32(e->position + 4, value.count);
                writer.raw(e->field, value.bytes.data(), size);
                for (uint64_t i = size; i < e->valueSize; ++i) writer.u8(e->field + i, 0);
                leavesSlotBehind = leavesSlotBehind || size < e->valueSize;
                continue;
            }
        }
        moved[key] = value;
    }
    for (IfdKind child : {IfdKind::exif, IfdKind::gps})
        if (dirs[static_cast<int>(child)].create) dirs[static_cast<int>(IfdKind::ifd0)].relocate = true;

    const bool relocates = std::any_of(dirs.begin(), dirs.end(), [](const Directory& d) { return d.relocate; });
    if (!relocates && moved.empty() && !leavesSlotBehind) return BuildResult::ok;

    // 4: the things at the very end of the block that may be laid out anew:
    // tables of IFD0, Exif and GPS (their only references are known
    // pointers) and values of our tags (referenced by their entry only),
    // each used by nothing else, with no unknown byte between them and the
    // end. They are reclaimed and laid out again, compactly.
    uint64_t base = original.size();
    std::vector<bool> reclaimed(model.used.size(), false);
    for (;;) {
        std::size_t last = model.used.size();
        for (std::size_t i = 0; i < model.used.size(); ++i)
            if (!reclaimed[i] && (last == model.used.size() || model.used[i].end > model.used[last].end))
                last = i;
        if (last == model.used.size()) break;
        const UsedRange& r = model.used[last];
        if (r.end + 1 < base) break;  // bytes nobody known uses lie after it: keep them
        bool movable = false;
        if (r.what == UsedRange::What::table) movable = isWritableDirectory(r.ifd);
        else if (r.what == UsedRange::What::value) movable = isOurTag(r.ifd, r.tag);
        if (!movable || !isExclusive(model, last) || r.start < 8) break;
        const Key key{r.ifd, r.tag};
        if (r.what == UsedRange::What::table) {
            dirs[static_cast<int>(r.ifd)].relocate = true;
        } else if (const Entry* e = model.find(r.ifd, r.tag); e == nullptr || e->isInline() || e->field != r.start) {
            break;  // the value of a repeated tag, which no write reaches: leave it
        } else if (!moved.count(key)) {
            auto w = wanted.find(key);
            if (w != wanted.end()) {
                moved[key] = w->second;
            } else {
                TagValue v{e->type, e->count, {}};
                v.bytes.assign(original.begin() + static_cast<std::ptrdiff_t>(e->field),
                               original.begin() + static_cast<std::ptrdiff_t>(e->field + e->valueSize));
                moved[key] = v;
            }
        }
        reclaimed[last] = true;
        base = r.start;
    }

    // The entries of every relocated directory that exists, as the bytes
    // (with the in-place changes above) now hold them.
    for (int k = 0; k < kIfdKinds; ++k) {
        Directory& dir = dirs[k];
        const Ifd& ifd = model.ifds[k];
        if (!dir.relocate || !ifd.present) continue;
        const ByteReader reader(out.data(), out.size(), model.order);
        for (const Entry& e : ifd.entries) {
            NewEntry n;
            reader.u16(e.position + 2, n.type);
            reader.u32(e.position + 4, n.count);
            for (int i = 0; i < 4; ++i) n.field[i] = out[e.position + 8 + i];
            if (!dir.entries.emplace(e.tag, n).second) return BuildResult::damaged;  // a tag twice
        }
    }
    out.resize(base);

    // The entries that change in the relocated directories, and the values
    // that go to the end.
    std::vector<Appended> appended;
    auto placeValue = [&](const Key& key, const TagValue& value) {
        Directory& dir = dirs[static_cast<int>(key.first)];
        NewEntry n;
        n.type = value.type;
        n.count = value.count;
        if (value.bytes.size() <= 4) {
            n.field = inlineField(value);
        } else {
            n.kind = NewEntry::Kind::appended;
            n.value = appended.size();
            Appended a;
            a.value = value;
            if (!dir.relocate) {
                const Entry* e = model.find(key.first, key.second);
                a.entryInPlace = true;
                a.entryPosition = e->position;
                a.directory = key.first;
            }
            appended.push_back(a);
        }
        if (dir.relocate) dir.entries[key.second] = n;
    };
    for (const auto& [key, value] : moved) placeValue(key, value);
    for (const auto& [key, value] : newTags) placeValue(key, value);
    Directory& ifd0 = dirs[static_cast<int>(IfdKind::ifd0)];
    for (auto [child, pointerTag] : {std::pair{IfdKind::exif, tag::exifIfd}, std::pair{IfdKind::gps, tag::gpsIfd}}) {
        if (!dirs[static_cast<int>(child)].relocate || !ifd0.relocate) continue;
        NewEntry p;
        p.kind = NewEntry::Kind::pointer;
        p.type = tLong;
        p.count = 1;
        p.target = child;
        ifd0.entries[pointerTag] = p;
    }

    // 5: lay out at even offsets, then check the size. A directory whose
    // next-directory link the block's end cut off gets its four bytes
    // kept free (zero), or a reader would take what follows for the link.
    uint64_t pos = out.size();
    for (int k = 0; k < kIfdKinds; ++k)
        if (model.ifds[k].present && !dirs[k].relocate)
            pos = std::max<uint64_t>(pos, model.ifds[k].offset + model.ifds[k].tableSize());
    pos += pos & 1;
    for (int k = 0; k < kIfdKinds; ++k) {
        if (!dirs[k].relocate) continue;
        if (dirs[k].entries.size() > kMaxEntries) return BuildResult::tooLarge;
        dirs[k].offset = static_cast<uint32_t>(std::min<uint64_t>(pos, UINT32_MAX));
        pos += 2 + 12 * uint64_t(dirs[k].entries.size()) + 4;
    }
    for (Appended& a : appended) {
        a.offset = static_cast<uint32_t>(std::min<uint64_t>(pos, UINT32_MAX));
        pos += a.value.bytes.size();
        pos += pos & 1;
    }
    if (pos > kMaxTiffSize) return BuildResult::tooLarge;
    out.resize(pos, 0);

    auto directoryOffset = [&](IfdKind k) {
        return dirs[static_cast<int>(k)].relocate ? dirs[static_cast<int>(k)].offset : model.ifd(k).offset;
    };
    for (int k = 0; k < kIfdKinds; ++k) {
        const Directory& dir = dirs[k];
        if (!dir.relocate) continue;
        uint64_t p = dir.offset;
        writer.u16(p, static_cast<uint16_t>(dir.entries.size()));
        p += 2;
        for (const auto& [t, n] : dir.entries) {
            writer.u16(p, t);
            writer.u16(p + 2, n.type);
            writer.u32(p + 4, n.count);
            switch (n.kind) {
            case NewEntry::Kind::raw: writer.raw(p + 8, n.field.data(), 4); break;
            case NewEntry::Kind::pointer: writer.u32(p + 8, directoryOffset(n.target)); break;
            case NewEntry::Kind::appended: writer.u32(p + 8, appended[n.value].offset); break;
            }
            p += 12;
        }
        writer.u32(p, dir.create ? 0 : model.ifds[k].next);
    }
    if (ifd0.relocate && holdsOtherData(model, 4, 8, IfdKind::ifd0)) return BuildResult::overlap;
    for (const Appended& a : appended) {
        if (a.entryInPlace && holdsOtherData(model, a.entryPosition, a.entryPosition + 12, a.directory))
            return BuildResult::overlap;
        writer.raw(a.offset, a.value.bytes.data(), a.value.bytes.size());
        if (a.entryInPlace) {
            writer.u16(a.entryPosition + 2, a.value.type);
            writer.u32(a.entryPosition + 4, a.value.count);
            writer.u32(a.entryPosition + 8, a.offset);
        }
    }
    if (ifd0.relocate) writer.u32(4, ifd0.offset);
    for (auto [child, pointerTag] : {std::pair{IfdKind::exif, tag::exifIfd}, std::pair{IfdKind::gps, tag::gpsIfd}}) {
        if (!dirs[static_cast<int>(child)].relocate || ifd0.relocate) continue;
        const Entry* e = model.find(IfdKind::ifd0, pointerTag);
        if (e == nullptr) continue;
        if (holdsOtherData(model, e->position, e->position + 12, IfdKind::ifd0)) return BuildResult::overlap;
        writer.u32(e->position + 8, directoryOffset(child));
    }
    return BuildResult::ok;
}

}  // namespace exif
