// The B+ tree of an index: descent, stepping between leaves, insertion
// with node splits and removal. Entries are ordered by key and, for equal
// keys, by record number; an inner entry carries the highest key of its
// subtree and record number 0, the trailing child the keys above the last.
#include "dbase/engine/errors.h"
#include "dbase/ndx/ndx_internal.h"

namespace kt4::dbase::ndx {

namespace {

NodeView View(Page& p, const Descriptor& d)
{
    return NodeView{p.data(), d.hdr.recSize};
}


// Unsigned byte order of two character keys, eight bytes at a time.
int CompareChars(const std::uint8_t* a, const std::uint8_t* b, std::size_t len)
{
    for (; len >= 8; a += 8, b += 8, len -= 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y)
            return __builtin_bswap64(x) < __builtin_bswap64(y) ? -1 : 1;
    }
    for (; len > 0; ++a, ++b, --len)
        if (*a != *b)
            return *a < *b ? -1 : 1;
    return 0;
}

int Order(const Descriptor& d, const std::uint8_t* a, const std::uint8_t* b)
{
    return d.CharKey() ? CompareChars(a, b, d.hdr.keyLen) : CompareKeys(d, a, b, d.hdr.keyLen);
}

// First entry >= key (upper: > key) among the node's entries.
unsigned SearchNode(const Descriptor& d, const NodeView& v, const std::string& key, bool upper)
{
    unsigned lo = 0, hi = v.Count();
    const auto* k = reinterpret_cast<const std::uint8_t*>(key.data());
    while (lo < hi) {
        const unsigned mid = (lo + hi) / 2;
        const int c = Order(d, v.Key(mid), k);
        if (upper ? c <= 0 : c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Refuses a node below kMaxDepth levels (a damaged tree may loop).
bool DepthOk(Descriptor& d, std::size_t depth, std::uint32_t page)
{
    if (depth < std::size_t(kMaxDepth))
        return true;
    SetError(254, "Zu viele Ebenen (Knoten " + std::to_string(page) + ")" + NodeContext(d));
    Unfit(d);
    return false;
}

bool Push(Descriptor& d, std::uint32_t page, unsigned index)
{
    if (!DepthOk(d, d.trail.size(), page))
        return false;
    d.trail.emplace_back();
    d.trail.back().page = page;
    d.trail.back().index = index;
    if (!ReadNode(d, page, d.trail.back().node)) {
        d.trail.pop_back();
        return false;
    }
    return true;
}

// Copies the node of a level that a seek took from the cache without copying.
bool Load(Descriptor& d, std::size_t level)
{
    PathLevel& p = d.trail[level];
    if (p.loaded)
        return true;
    p.loaded = ReadNode(d, p.page, p.node);
    return p.loaded;
}

// Descends from the child at the top's index to the leftmost or rightmost leaf.
bool DescendEdge(Descriptor& d, bool leftmost)
{
    for (;;) {
        PathLevel& top = d.trail.back();
        NodeView v = View(top.node, d);
        if (v.Leaf()) {
            top.index = leftmost || v.Count() == 0 ? 0 : v.Count() - 1;
            return true;
        }
        top.index = leftmost ? 0 : v.Count();
        if (!Push(d, v.Child(top.index), 0))
            return false;
    }
}

// The entry at one edge of a leaf, which the neighbouring leaf's entry at
// its other edge must follow in key order.
struct EdgeEntry {
    std::array<std::uint8_t, kMaxKeyLength> key;
    std::uint32_t rec = 0;
    std::uint32_t page = 0;
    bool set = false;

    void Take(const NodeView& v, unsigned i, std::uint32_t p, std::size_t len)
    {
        std::memcpy(key.data(), v.Key(i), len);
        rec = v.Rec(i);
        page = p;
        set = true;
    }
};

// Whether entry i of the leaf at page comes after edge (before it when not
// forward); 254 when not: keys out of order, or the same entry twice.
bool Follows(Descriptor& d, const EdgeEntry& edge, const NodeView& v, unsigned i, std::uint32_t page,
             bool forward)
{
    if (!edge.set)
        return true;
    const int c = Order(d, v.Key(i), edge.key.data());
    if (c == 0 && v.Rec(i) == edge.rec) {
        SetError(254, "Datensatz Nr. " + std::to_string(edge.rec) + " zweimal im Index (Knoten " +
                          std::to_string(edge.page) + ", " + std::to_string(page) + ")" + NodeContext(d));
        Unfit(d);
        return false;
    }
    if (forward ? c >= 0 : c <= 0)
        return true;
    SetError(254, "Schlüssel außer der Reihe (Knoten " + std::to_string(edge.page) + ", " +
                      std::to_string(page) + ")" + NodeContext(d));
    Unfit(d);
    return false;
}

// Moves from the current leaf to the neighbouring leaf (entry 0 forwards,
// the last entry backwards), which must follow it in key order; at the end
// the path is kept.
bool MoveLeaf(Descriptor& d, bool forward, bool& end)
{
    end = false;
    EdgeEntry from;
    {
        const NodeView v = LeafView(d);
        if (v.Count() > 0)
            from.Take(v, forward ? v.Count() - 1 : 0, d.trail.back().page, d.hdr.keyLen);
    }
    int level = int(d.trail.size()) - 2;
    while (level >= 0) {
        if (!Load(d, std::size_t(level)))
            return false;
        PathLevel& p = d.trail[std::size_t(level)];
        const unsigned n = View(p.node, d).Count();
        if (forward ? p.index < n : p.index > 0)
            break;
        --level;
    }
    if (level < 0) {
        end = true;
        return true;
    }
    d.trail.resize(std::size_t(level) + 1);
    PathLevel& p = d.trail.back();
    p.index = forward ? p.index + 1 : p.index - 1;
    if (!Push(d, View(p.node, d).Child(p.index), 0) || !DescendEdge(d, forward))
        return false;
    // A leaf below the root holds entries (the read refuses an empty one).
    const NodeView v = LeafView(d);
    return Follows(d, from, v, d.trail.back().index, d.trail.back().page, forward);
}

// The keys a node may hold, as the entry of its parent that leads to it
// bounds them: above the key of the entry before (or equal to it, where
// equal keys go on), up to the entry's own key.
struct KeyRange {
    std::array<std::uint8_t, kMaxKeyLength> low, high;
    bool hasLow = false, hasHigh = false;
    std::uint32_t parent = 0;

    // The range of the child at index of the inner node at page.
    void Narrow(const NodeView& v, unsigned index, std::uint32_t page, std::size_t len)
    {
        if (index > 0) {
            std::memcpy(low.data(), v.Key(index - 1), len);
            hasLow = true;
        }
        if (index < v.Count()) {
            std::memcpy(high.data(), v.Key(index), len);
            hasHigh = true;
        }
        parent = page;
    }
};

// Whether the keys of the node at page lie in its range; 254 when not (the
// index is unfit for changes from then on). The node's own order is the
// walks' to check.
bool InRange(Descriptor& d, const NodeView& v, const KeyRange& range, std::uint32_t page)
{
    const unsigned n = v.Count();
    if (n == 0 || ((!range.hasLow || Order(d, v.Key(0), range.low.data()) >= 0) &&
                   (!range.hasHigh || Order(d, v.Key(n - 1), range.high.data()) <= 0)))
        return true;
    SetError(254, "Schlüssel außer der Reihe (Knoten " + std::to_string(range.parent) + ", " +
                      std::to_string(page) + ")" + NodeContext(d));
    Unfit(d);
    return false;
}

// In a tree of this engine's the last key of a leaf is the separator that
// leads to it (a leaf reached through last children only has none): a leaf
// that lost keys, or a pointer that leads into another subtree, shows here
// as 254, the index unfit.
bool EndsAtSeparator(Descriptor& d, const KeyRange& range, std::uint32_t page)
{
    if (!d.ownTree || !range.hasHigh)
        return true;
    const NodeView v = LeafView(d);
    if (v.Count() > 0 && std::memcmp(v.Key(v.Count() - 1), range.high.data(), d.hdr.keyLen) == 0)
        return true;
    SetError(254, "Letzter Schlüssel ungleich dem Trennschlüssel (Knoten " + std::to_string(range.parent) + ", " +
                      std::to_string(page) + ")" + NodeContext(d));
    Unfit(d);
    return false;
}

bool KeyEquals(Descriptor& d, const std::string& key)
{
    NodeView v = LeafView(d);
    return CompareKeys(d, v.Key(d.trail.back().index),
                       reinterpret_cast<const std::uint8_t*>(key.data()), d.hdr.keyLen) == 0;
}

std::string EntryBytes(const Descriptor& d, std::uint32_t child, std::uint32_t rec,
                       const std::string& key)
{
    std::string e(d.hdr.recSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(e.data());
    PutU32(p, child);
    PutU32(p + 4, rec);
    std::memcpy(p + 8, key.data(), std::min<std::size_t>(key.size(), d.hdr.keyLen));
    return e;
}

// Zeros every byte after the used part of a node.
void Tidy(Page& p, const Descriptor& d, bool leaf)
{
    NodeView v = View(p, d);
    std::uint8_t* end = v.Entry(v.Count()) + (leaf ? 0 : 4);
    std::memset(end, 0, std::size_t(p.data() + kPageSize - end));
    PutU16(p.data() + 2, 0);
}

// Puts entry e at pos of a node with room for it.
void PutEntry(Page& p, const Descriptor& d, bool leaf, unsigned pos, const std::string& e)
{
    NodeView v = View(p, d);
    const unsigned n = v.Count();
    std::memmove(v.Entry(pos + 1), v.Entry(pos), std::size_t(n - pos) * d.hdr.recSize + (leaf ? 0 : 4));
    std::memcpy(v.Entry(pos), e.data(), d.hdr.recSize);
    v.SetCount(n + 1);
    Tidy(p, d, leaf);
}

bool NodeHasRoom(const Descriptor& d, unsigned n, bool leaf)
{
    if (n >= d.hdr.keysPerPage)
        return false;
    return leaf || 4 + std::size_t(n + 1) * d.hdr.recSize + 4 <= kPageSize;
}

// Highest key of the subtree at page: the last key of its rightmost leaf.
bool MaxKeyOf(Descriptor& d, std::uint32_t page, std::string& key)
{
    Page node;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        if (!ReadNode(d, page, node))
            return false;
        NodeView v = View(node, d);
        if (v.Leaf()) {
            if (v.Count() > 0)
                key.assign(reinterpret_cast<const char*>(v.Key(v.Count() - 1)), d.hdr.keyLen);
            return true;
        }
        page = v.Child(v.Count());
    }
    return DepthOk(d, std::size_t(kMaxDepth), page);
}

// Before the first write of an insertion at the path's leaf: reads the
// nodes its splits will read besides the path (below each inner node that
// splits, the rightmost descents under the two halves), so that a node
// that cannot be used stops it with nothing written.
bool ReadForSplits(Descriptor& d)
{
    std::size_t level = d.trail.size() - 1;
    if (!Load(d, level))
        return false;
    if (NodeHasRoom(d, View(d.trail[level].node, d).Count(), true))
        return true;
    std::string key;
    while (level-- > 0) {
        if (!Load(d, level))
            return false;
        const NodeView v = View(d.trail[level].node, d);
        const unsigned n = v.Count();
        if (NodeHasRoom(d, n, false))
            return true;
        if (!MaxKeyOf(d, v.Child(n - n / 2 - 1), key) || !MaxKeyOf(d, v.Child(n), key))
            return false;
    }
    return true;
}

// Before the first write of a removal from the path's leaf (loaded): reads
// what shortening the root may read besides the path (the root's children
// and the nodes without keys below them), when the removal empties the leaf
// and every node up to a root of one key.
bool ReadForShorterRoot(Descriptor& d)
{
    const std::size_t leafLevel = d.trail.size() - 1;
    if (leafLevel == 0 || View(d.trail[leafLevel].node, d).Count() != 1)
        return true;
    for (std::size_t k = leafLevel; k-- > 0;) {
        if (!Load(d, k))
            return false;
        if (View(d.trail[k].node, d).Count() > (k == 0 ? 1u : 0u))
            return true;
    }
    const NodeView root = View(d.trail[0].node, d);
    Page node;
    for (unsigned i = 0; i <= root.Count(); ++i) {
        std::uint32_t page = root.Child(i);
        for (int depth = 1; depth < kMaxDepth; ++depth) {
            if (!ReadNode(d, page, node))
                return false;
            const NodeView v = View(node, d);
            if (v.Leaf() || v.Count() > 0)
                break;
            page = v.Child(0);
        }
    }
    return true;
}

// The old page of a split, which keeps the left half: written only after
// the nodes above lead to the new page, so that until then the file's page
// still holds both halves and a crash in between loses no key (the nodes
// above may then lead past some of them, which the checks of a seek or a
// walk report). Reads see the left half at once: the separators above are
// taken from it.
class PendingPage {
public:
    PendingPage(Descriptor& d, std::uint32_t page, const Page& node) : d_(d), page_(page)
    {
        if (d.trial.on) { // a change tried out writes nothing to the file anyway
            written_ = WriteNode(d, page, node);
            return;
        }
        d.cache.Forget(page);
        d.unwritten.emplace_back(page, node); // FetchNode reads it from there
        pending_ = true;
    }
    PendingPage(const PendingPage&) = delete;
    PendingPage& operator=(const PendingPage&) = delete;
    ~PendingPage() { Forget(); }
    bool Write()
    {
        if (!pending_)
            return written_;
        const Page node = d_.unwritten.back().second;
        Forget();
        return WriteNode(d_, page_, node);
    }

private:
    // Pages wait one per level of the splits and are written from the top
    // down: this one is the last in the list.
    void Forget()
    {
        if (pending_)
            d_.unwritten.pop_back();
        pending_ = false;
    }
    Descriptor& d_;
    std::uint32_t page_;
    bool pending_ = false;
    bool written_ = false;
};

std::string KeyOfEntry(const std::string& e, const Descriptor& d)
{
    return e.substr(8, d.hdr.keyLen);
}

// Inserts entry e at pos of the node at path level. For an inner node the
// child at pos becomes rightPage first (and its key sepRight) and e, the
// left half of a split child, goes before it.
bool InsertAt(Descriptor& d, std::size_t level, unsigned pos, const std::string& e,
              std::uint32_t rightPage, const std::string* sepRight)
{
    if (!Load(d, level))
        return false;
    PathLevel& lv = d.trail[level];
    const bool leaf = level + 1 == d.trail.size();
    NodeView v = View(lv.node, d);
    const unsigned n = v.Count();
    if (!leaf) {
        v.SetChild(pos, rightPage);
        if (pos < n && sepRight) {
            PutU32(v.Entry(pos) + 4, 0);
            std::memcpy(v.Entry(pos) + 8, sepRight->data(), d.hdr.keyLen);
        }
    }
    if (NodeHasRoom(d, n, leaf)) {
        PutEntry(lv.node, d, leaf, pos, e);
        return WriteNode(d, lv.page, lv.node);
    }
    // Split: the old page keeps n - n/2 entries, a new page takes the rest.
    const std::uint32_t newPage = d.hdr.pageCount++;
    d.anchorModified = true;
    const unsigned keep = n - n / 2;
    Page left{}, right{};
    NodeView lv_ = View(left, d), rv = View(right, d);
    const std::size_t rs = d.hdr.recSize;
    std::memcpy(rv.Entry(0), v.Entry(keep), std::size_t(n - keep) * rs + (leaf ? 0 : 4));
    rv.SetCount(n - keep);
    if (leaf) {
        std::memcpy(lv_.Entry(0), v.Entry(0), std::size_t(keep) * rs);
        lv_.SetCount(keep);
    } else {
        // The last kept entry's child becomes the left node's trailing child.
        std::memcpy(lv_.Entry(0), v.Entry(0), std::size_t(keep - 1) * rs);
        lv_.SetCount(keep - 1);
        lv_.SetChild(keep - 1, v.Child(keep - 1));
    }
    if (pos < keep)
        PutEntry(left, d, leaf, pos, e);
    else
        PutEntry(right, d, leaf, pos - keep, e);
    Tidy(left, d, leaf);
    Tidy(right, d, leaf);
    const std::uint32_t oldPage = lv.page;
    lv.node = left;
    if (!WriteNode(d, newPage, right))
        return false;
    PendingPage pending(d, oldPage, left);
    // Each half's separator is the highest key of its subtree.
    std::string sepLeft, sepR;
    if (leaf) {
        sepLeft.assign(reinterpret_cast<const char*>(lv_.Key(lv_.Count() - 1)), d.hdr.keyLen);
        sepR.assign(reinterpret_cast<const char*>(rv.Key(rv.Count() - 1)), d.hdr.keyLen);
    } else {
        sepLeft = sepR = KeyOfEntry(e, d);
        if (!MaxKeyOf(d, lv_.Child(lv_.Count()), sepLeft) ||
            !MaxKeyOf(d, rv.Child(rv.Count()), sepR))
            return false;
    }
    const std::string up = EntryBytes(d, oldPage, 0, sepLeft);
    if (level == 0) {
        const std::uint32_t rootPage = d.hdr.pageCount++;
        Page root{};
        NodeView r = View(root, d);
        std::memcpy(r.Entry(0), up.data(), rs);
        r.SetCount(1);
        r.SetChild(1, newPage);
        d.hdr.root = rootPage;
        // page 0 names the new root before the old one is cut
        return WriteNode(d, rootPage, root) && WriteAnchor(d) && pending.Write();
    }
    return InsertAt(d, level - 1, d.trail[level - 1].index, up, newPage, &sepR) && pending.Write();
}

// Sets the separator of the subtree below level to key in the nearest
// ancestor where it is not the trailing child.
bool UpdateSeparator(Descriptor& d, std::size_t level, const std::uint8_t* key)
{
    for (std::size_t k = level; k-- > 0;) {
        if (!Load(d, k))
            return false;
        PathLevel& p = d.trail[k];
        NodeView v = View(p.node, d);
        if (p.index < v.Count()) {
            PutU32(v.Entry(p.index) + 4, 0);
            std::memcpy(v.Entry(p.index) + 8, key, d.hdr.keyLen);
            return WriteNode(d, p.page, p.node);
        }
    }
    return true;
}

bool ResetTree(Descriptor& d)
{
    d.hdr.root = 1;
    d.hdr.pageCount = 2;
    d.anchorModified = true;
    Page empty{};
    return WriteNode(d, 1, empty);
}

// An inner root without keys passes on to its only child.
bool ShortenRoot(Descriptor& d)
{
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        Page node;
        if (!ReadNode(d, d.hdr.root, node))
            return false;
        NodeView v = View(node, d);
        if (v.Leaf() || v.Count() > 0)
            return true;
        d.hdr.root = v.Child(0);
        d.anchorModified = true;
    }
    return true;
}

// Removes the child at idx of the inner node at level (its subtree is empty).
bool RemoveChild(Descriptor& d, std::size_t level, unsigned idx)
{
    if (!Load(d, level))
        return false;
    PathLevel& p = d.trail[level];
    NodeView v = View(p.node, d);
    const unsigned n = v.Count();
    if (idx < n) {
        std::memmove(v.Entry(idx), v.Entry(idx + 1), std::size_t(n - idx - 1) * d.hdr.recSize + 4);
        v.SetCount(n - 1);
        Tidy(p.node, d, false);
        if (!WriteNode(d, p.page, p.node))
            return false;
    } else if (n == 0) {
        Page empty{};
        if (!WriteNode(d, p.page, empty))
            return false;
        if (level == 0)
            return ResetTree(d);
        return RemoveChild(d, level - 1, d.trail[level - 1].index);
    } else {
        // The last entry's child becomes the trailing child; the node's
        // highest key is now that entry's key.
        const std::string newMax(reinterpret_cast<const char*>(v.Key(n - 1)), d.hdr.keyLen);
        const std::uint32_t child = v.Child(n - 1);
        v.SetCount(n - 1);
        v.SetChild(n - 1, child);
        Tidy(p.node, d, false);
        if (!WriteNode(d, p.page, p.node) ||
            !UpdateSeparator(d, level, reinterpret_cast<const std::uint8_t*>(newMax.data())))
            return false;
    }
    return level == 0 ? ShortenRoot(d) : true;
}

bool FinishChange(Descriptor& d)
{
    d.Unposition();
    return !d.anchorModified || WriteAnchor(d);
}

// The header copy a change starts from; pages from its page count on are
// new to the change.
struct ChangeStart {
    NdxHeader hdr;
    bool anchorModified;
};

ChangeStart BeginChange(Descriptor& d)
{
    d.change.newFrom = d.hdr.pageCount;
    d.change.landed = false;
    return {d.hdr, d.anchorModified};
}

// A change that failed: when a write of it landed where the tree or page 0
// is, the index is out of date; else the file is as it was (new pages a
// split wrote are not counted and are written over later), and so is the
// header copy.
bool ChangeFailed(Descriptor& d, const ChangeStart& start)
{
    d.Unposition();
    if (d.change.landed) {
        ChangeLeftOutOfDate(d);
        return false;
    }
    d.hdr = start.hdr;
    d.anchorModified = start.anchorModified;
    return false;
}

bool GoEdge(Descriptor& d, bool first, bool& empty)
{
    empty = false;
    d.Unposition();
    if (!Push(d, d.hdr.root, 0) || !DescendEdge(d, first))
        return false;
    d.positioned = true;
    empty = LeafView(d).Count() == 0; // the root (the read refuses other empty leaves)
    return true;
}

} // namespace

NodeView LeafView(Descriptor& d)
{
    PathLevel& top = d.trail.back();
    if (!top.loaded) {
        if (const Page* p = d.cache.Find(top.page))
            return NodeView{const_cast<std::uint8_t*>(p->data()), d.hdr.recSize};
        top.node.fill(0);
        Load(d, d.trail.size() - 1);
    }
    return NodeView{top.node.data(), d.hdr.recSize};
}

bool OnEntry(Descriptor& d)
{
    if (!d.positioned || d.trail.empty())
        return false;
    return d.trail.back().index < LeafView(d).Count();
}

void TakeEntry(Descriptor& d)
{
    NodeView v = LeafView(d);
    const unsigned i = d.trail.back().index;
    d.curKey.assign(reinterpret_cast<const char*>(v.Key(i)), d.hdr.keyLen);
    d.curRec = std::int32_t(v.Rec(i));
}

bool GoFirst(Descriptor& d, bool& empty)
{
    return GoEdge(d, true, empty);
}

bool GoLast(Descriptor& d, bool& empty)
{
    return GoEdge(d, false, empty);
}

bool WalkLeaves(Descriptor& d, const std::function<bool(const NodeView& leaf)>& visit)
{
    // The inner nodes above the leaf, each with the child to visit next.
    struct Inner {
        Page node;
        unsigned next;
    };
    std::vector<Inner> above;
    Page scratch;
    // The run is the walk's alone; the leaves are at one depth in a sound
    // tree (that of the first one), where a page not read yet starts a run.
    struct Runs {
        Descriptor& d;
        ~Runs()
        {
            d.run.count = 0;
            d.run.pages.reset();
        }
    } runs{d};
    std::size_t leafDepth = std::size_t(kMaxDepth);
    std::uint32_t page = d.hdr.root;
    EdgeEntry last; // of the leaf before
    for (;;) {
        const Page* node = nullptr;
        for (;;) {
            if (!DepthOk(d, above.size(), page) ||
                !(node = FetchNode(d, page, scratch, above.size() == leafDepth)))
                return false;
            const NodeView v{const_cast<std::uint8_t*>(node->data()), d.hdr.recSize};
            if (v.Leaf())
                break;
            above.push_back({*node, 1});
            page = v.Child(0);
        }
        leafDepth = std::min(leafDepth, above.size());
        const NodeView leaf{const_cast<std::uint8_t*>(node->data()), d.hdr.recSize};
        if (leaf.Count() > 0) {
            if (!Follows(d, last, leaf, 0, page, true))
                return false;
            last.Take(leaf, leaf.Count() - 1, page, d.hdr.keyLen);
        }
        if (!visit(leaf))
            return false;
        while (!above.empty() && above.back().next > View(above.back().node, d).Count())
            above.pop_back();
        if (above.empty())
            return true;
        Inner& parent = above.back();
        page = View(parent.node, d).Child(parent.next++);
    }
}

bool Seek(Descriptor& d, const std::string& key, bool after, bool& atEnd)
{
    atEnd = false;
    d.Unposition();
    // Inner nodes found in the cache are searched there and copied into the
    // path only when a later step needs them.
    std::uint32_t page = d.hdr.root;
    KeyRange range;
    for (;;) {
        const Page* cached = d.cache.Find(page);
        if (cached) {
            // Fetch the whole node at once rather than line by line in the search.
            for (std::size_t line = 0; line < kPageSize; line += 64)
                __builtin_prefetch(cached->data() + line);
        }
        if (cached) {
            if (d.trail.size() >= std::size_t(kMaxDepth))
                return Push(d, page, 0); // reports the depth
            NodeView v{const_cast<std::uint8_t*>(cached->data()), d.hdr.recSize};
            if (!InRange(d, v, range, page)) {
                d.Unposition();
                return false;
            }
            d.trail.emplace_back();
            PathLevel& lv = d.trail.back();
            lv.page = page;
            lv.index = SearchNode(d, v, key, after);
            lv.loaded = false;
            if (v.Leaf())
                break;
            range.Narrow(v, lv.index, page, d.hdr.keyLen);
            page = v.Child(lv.index);
            continue;
        }
        if (!Push(d, page, 0))
            return false;
        PathLevel& top = d.trail.back();
        NodeView v = View(top.node, d);
        if (!InRange(d, v, range, page)) {
            d.Unposition();
            return false;
        }
        top.index = SearchNode(d, v, key, after);
        if (v.Leaf())
            break;
        range.Narrow(v, top.index, page, d.hdr.keyLen);
        page = v.Child(top.index);
    }
    if (!EndsAtSeparator(d, range, page)) {
        d.Unposition();
        return false;
    }
    d.positioned = true;
    if (d.trail.back().index < LeafView(d).Count())
        return true;
    if (!MoveLeaf(d, true, atEnd))
        return false;
    if (atEnd)
        d.trail.back().index = LeafView(d).Count();
    return true;
}

bool StepNext(Descriptor& d, bool& end)
{
    end = false;
    PathLevel& top = d.trail.back();
    if (top.index + 1 < LeafView(d).Count()) {
        ++top.index;
        return true;
    }
    if (!MoveLeaf(d, true, end))
        return false;
    if (end && LeafView(d).Count() > 0)
        d.trail.back().index = LeafView(d).Count() - 1;
    return true;
}

bool StepPrior(Descriptor& d, bool& begin)
{
    begin = false;
    PathLevel& top = d.trail.back();
    if (top.index > 0 && LeafView(d).Count() > 0) {
        top.index = std::min(top.index, LeafView(d).Count()) - 1;
        return true;
    }
    if (!MoveLeaf(d, false, begin))
        return false;
    if (begin)
        d.trail.back().index = 0;
    return true;
}

bool Locate(Descriptor& d, const std::string& key, std::int32_t rec, bool& found)
{
    found = false;
    bool atEnd = false;
    if (!Seek(d, key, false, atEnd))
        return false;
    while (!atEnd && KeyEquals(d, key)) {
        if (std::int32_t(LeafView(d).Rec(d.trail.back().index)) == rec) {
            found = true;
            return true;
        }
        if (!StepNext(d, atEnd))
            return false;
    }
    return true;
}

bool PlaceForInsert(Descriptor& d, const std::string& key, std::int32_t rec, bool newest, bool& alreadyThere)
{
    alreadyThere = false;
    bool atEnd = false;
    if (d.hdr.unique) {
        if (!Seek(d, key, false, atEnd))
            return false;
        if (!atEnd && KeyEquals(d, key)) {
            alreadyThere = true;
            d.Unposition();
            return true;
        }
    }
    if (!Seek(d, key, newest, atEnd))
        return false;
    while (!newest && !atEnd && KeyEquals(d, key) &&
           std::int32_t(LeafView(d).Rec(d.trail.back().index)) < rec) {
        PathLevel& top = d.trail.back();
        if (++top.index < LeafView(d).Count())
            continue;
        if (!MoveLeaf(d, true, atEnd))
            return false;
        if (atEnd)
            d.trail.back().index = LeafView(d).Count();
    }
    if (!newest && !atEnd && KeyEquals(d, key) && std::int32_t(LeafView(d).Rec(d.trail.back().index)) == rec) {
        alreadyThere = true; // an index holds an entry once
        d.Unposition();
        return true;
    }
    if (!ReadForSplits(d)) {
        d.Unposition();
        return false;
    }
    return true;
}

bool InsertKey(Descriptor& d, const std::string& key, std::int32_t rec, bool newest)
{
    bool alreadyThere = false;
    if (!PlaceForInsert(d, key, rec, newest, alreadyThere))
        return false;
    if (alreadyThere)
        return true;
    const std::string e = EntryBytes(d, 0, std::uint32_t(rec), key);
    const ChangeStart start = BeginChange(d);
    if (InsertAt(d, d.trail.size() - 1, d.trail.back().index, e, 0, nullptr) && FinishChange(d))
        return true;
    return ChangeFailed(d, start);
}

bool RemoveKey(Descriptor& d, const std::string& key, std::int32_t rec, int& result)
{
    result = -1;
    bool found = false;
    if (!Locate(d, key, rec, found))
        return false;
    if (!found) {
        // A UNIQUE index holds a key for one record only: another record's
        // entry, or none when its holder changed its key, is nothing of
        // this record's to remove.
        if (d.hdr.unique)
            result = 0;
        d.Unposition();
        return true;
    }
    result = 0;
    const std::size_t level = d.trail.size() - 1;
    if (!Load(d, level) || !ReadForShorterRoot(d)) {
        d.Unposition();
        return false;
    }
    const ChangeStart start = BeginChange(d);
    PathLevel& leaf = d.trail.back();
    NodeView v = View(leaf.node, d);
    const unsigned n = v.Count(), pos = leaf.index;
    bool ok;
    if (n > 1) {
        std::memmove(v.Entry(pos), v.Entry(pos + 1), std::size_t(n - pos - 1) * d.hdr.recSize);
        v.SetCount(n - 1);
        Tidy(leaf.node, d, true);
        ok = WriteNode(d, leaf.page, leaf.node);
        if (ok && pos == n - 1)
            ok = UpdateSeparator(d, level, v.Key(n - 2));
    } else if (level == 0) {
        ok = ResetTree(d);
    } else {
        Page empty{};
        ok = WriteNode(d, leaf.page, empty) && RemoveChild(d, level - 1, d.trail[level - 1].index);
    }
    if (ok && FinishChange(d))
        return true;
    return ChangeFailed(d, start);
}

} // namespace kt4::dbase::ndx
