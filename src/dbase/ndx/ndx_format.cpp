// The NDX file layout: page 0 (header, expression, record count, table
// name), the stored form of key expressions and the node cache.
#include "dbase/engine/codepage.h"
#include "dbase/engine/engine_text.h"
#include "dbase/ndx/ndx_internal.h"

#include <filesystem>

namespace kt4::dbase::ndx {

NdxHeader ParseHeader(const std::uint8_t* p)
{
    NdxHeader h;
    h.root = U32(p);
    h.pageCount = U32(p + 4);
    h.typeLetter = p[9];
    h.keyLen = U16(p + 12);
    h.keysPerPage = U16(p + 14);
    h.keyType = U16(p + 16);
    h.recSize = U32(p + 18);
    h.unique = p[23] != 0;
    return h;
}

void ComposeHeader(const NdxHeader& h, std::uint8_t* p)
{
    std::memset(p, 0, 24);
    PutU32(p, h.root);
    PutU32(p + 4, h.pageCount);
    p[9] = h.typeLetter;
    PutU16(p + 12, h.keyLen);
    PutU16(p + 14, h.keysPerPage);
    PutU16(p + 16, h.keyType);
    PutU32(p + 18, h.recSize);
    p[23] = h.unique ? 1 : 0;
}

std::string NormalizeExpression(const std::string& text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = text.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? text.size() : close;
            const std::string inner = text.substr(i + 1, end - i - 1);
            // A literal that holds a double quote keeps its own delimiter.
            const char q = inner.find('"') != std::string::npos ? c : '"';
            out += q;
            out += inner;
            if (close != std::string::npos)
                out += q;
            i = end + 1;
            continue;
        }
        if (c != ' ' && c != '\t')
            out += UpperChar(c);
        ++i;
    }
    return out;
}

const std::string& KeyMakerMarker()
{
    static const std::string marker =
        NormalizeExpression("Anwender-definierten KeyMaker benutzt, um Index zu erzeugen");
    return marker;
}

void ComposeAnchor(const NdxHeader& h, const std::string& expression, std::int32_t recCount,
                   const std::string& tableFile, bool oem, Page& page)
{
    page.fill(0);
    ComposeHeader(h, page.data());
    std::string expr = expression.substr(0, kMaxKeyLength);
    if (oem)
        expr = AnsiToOem(expr);
    std::memcpy(page.data() + 24, expr.data(), expr.size());
    const std::uint32_t count = std::uint32_t(std::max<std::int32_t>(recCount, 0));
    PutU32(page.data() + 488, ~count);
    PutU32(page.data() + 492, count);
    const std::string name = AnchorTableName(tableFile, oem);
    std::memcpy(page.data() + 496, name.data(), name.size());
}

std::string AnchorTableName(const std::string& tableFile, bool oem)
{
    std::string name = std::filesystem::path(tableFile).filename().string().substr(0, 12);
    return oem ? AnsiToOem(name) : name;
}

bool ValidateHeader(const NdxHeader& h, char exprType, int keyLength, std::string& why)
{
    const bool chars = exprType == 'C';
    auto with = [&](const char* field, std::uint32_t value) {
        why = std::string(field) + " " + std::to_string(value);
    };
    if (chars ? (h.keyLen < 1 || h.keyLen > kMaxKeyLength) : h.keyLen != 8)
        with("Schlüssellänge", h.keyLen);
    // (the office suite's driver rounds the length up to a multiple of 4)
    else if (chars && keyLength >= 1 && keyLength <= int(kMaxKeyLength) && h.keyLen != keyLength &&
             h.keyLen != (keyLength + 3) / 4 * 4)
        why = "Schlüssellänge " + std::to_string(h.keyLen) + " zum Ausdruck der Länge " + std::to_string(keyLength);
    else if (h.keyType != (chars ? 0 : 1))
        with("Schlüsseltyp", h.keyType);
    else if (h.typeLetter != 0 && h.typeLetter != exprType &&
             !(exprType == 'N' && h.typeLetter == 'F'))
        why = "Typkennung " + (h.typeLetter >= 0x20 && h.typeLetter < 0x7F ? std::string(1, char(h.typeLetter))
                                                                          : std::to_string(h.typeLetter)) +
              " zum Ausdruck vom Typ " + exprType;
    else if (h.recSize != RecordSizeFor(h.keyLen))
        with("Eintragslänge", h.recSize);
    else if (h.keysPerPage < 2 || h.keysPerPage > 504 / h.recSize)
        with("Schlüssel je Seite", h.keysPerPage);
    else if (h.root < 1 || h.root >= h.pageCount)
        why = "Wurzelseite " + std::to_string(h.root) + " bei " + std::to_string(h.pageCount) + " Seiten";
    else
        return true;
    return false;
}

std::string HeaderFault(const std::string& path, const std::string& why)
{
    return "Kann Index nicht öffnen: " + path + " (Kopf: " + why + ")";
}

// ---- Node cache ----

void NodeCache::Configure(std::size_t bytes)
{
    // A power of two, so that a page's slot is a mask away.
    capacity_ = 0;
    for (std::size_t c = 64; c <= bytes / kPageSize; c *= 2)
        capacity_ = c;
    Clear();
}

void NodeCache::Clear()
{
    tags_.clear();
    pages_.reset();
}

void NodeCache::Grow(std::uint32_t page)
{
    std::size_t want = tags_.empty() ? 64 : tags_.size();
    while (want <= page && want < capacity_)
        want *= 2;
    want = std::min(want, capacity_);
    if (want <= tags_.size())
        return;
    std::vector<std::uint32_t> tags(want, 0);
    // Not cleared: a slot is read only after its tag is set, so the memory
    // of the slots not used yet is not touched.
    std::unique_ptr<Page[]> pages(new Page[want]);
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        if (tags_[i] == 0)
            continue;
        const std::size_t slot = tags_[i] & (want - 1);
        tags[slot] = tags_[i];
        pages[slot] = pages_[i];
    }
    tags_.swap(tags);
    pages_.swap(pages);
}

const Page* NodeCache::Find(std::uint32_t page) const
{
    // Tag 0 marks a free slot, so page 0 (never a node) is never found.
    if (tags_.empty() || page == 0)
        return nullptr;
    const std::size_t slot = page & (tags_.size() - 1);
    return tags_[slot] == page ? &pages_[slot] : nullptr;
}

void NodeCache::Store(std::uint32_t page, const Page& node)
{
    if (capacity_ == 0 || page == 0)
        return;
    if (page >= tags_.size() && tags_.size() < capacity_)
        Grow(page);
    const std::size_t slot = page & (tags_.size() - 1);
    tags_[slot] = page;
    pages_[slot] = node;
}

void NodeCache::Forget(std::uint32_t page)
{
    if (const Page* held = Find(page))
        tags_[std::size_t(held - pages_.get())] = 0;
}

} // namespace kt4::dbase::ndx
