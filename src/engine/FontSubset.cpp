#include "FontSubset_p.h"

#include <QRawFont>

#include <map>
#include <vector>

namespace orvane {

namespace {

quint32 be32(const char *p)
{
    return (quint32(uchar(p[0])) << 24) | (quint32(uchar(p[1])) << 16) | (quint32(uchar(p[2])) << 8) | quint32(uchar(p[3]));
}

void putBe(QByteArray &out, quint32 v, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += char((v >> (8 * i)) & 0xFF);
}

quint16 be16(const QByteArray &d, int at)
{
    return quint16((uchar(d[at]) << 8) | uchar(d[at + 1]));
}

void setBe16(QByteArray &d, int at, quint16 v)
{
    d[at] = char(v >> 8);
    d[at + 1] = char(v & 0xFF);
}

// Adds to `used` the parts of the composite glyphs in it, and their parts.
void addCompositeParts(const QByteArray &glyf, int numGlyphs, const std::vector<quint32> &offsets,
                       std::set<quint32> &used)
{
    std::vector<quint32> work(used.begin(), used.end());
    while (!work.empty()) {
        const quint32 g = work.back();
        work.pop_back();
        if (g >= quint32(numGlyphs))
            continue;
        const quint32 start = offsets[g], end = offsets[g + 1];
        if (end <= start + 10 || end > quint32(glyf.size()))
            continue;
        if (qint16(be16(glyf, int(start))) >= 0)
            continue;   // a simple glyph
        int at = int(start) + 10;
        for (;;) {
            if (at + 4 > int(end))
                break;
            const quint16 flags = be16(glyf, at);
            const quint16 part = be16(glyf, at + 2);
            if (used.insert(part).second)
                work.push_back(part);
            at += 4 + ((flags & 0x0001) ? 4 : 2);
            if (flags & 0x0008)
                at += 2;
            else if (flags & 0x0040)
                at += 4;
            else if (flags & 0x0080)
                at += 8;
            if (!(flags & 0x0020))
                break;
        }
    }
}

// Keeps the outlines of the glyphs in `used` and empties the rest.
bool subsetGlyphs(QByteArray &glyf, QByteArray &loca, QByteArray &head, int numGlyphs, std::set<quint32> used)
{
    if (head.size() < 54 || numGlyphs <= 0)
        return false;
    const bool longOffsets = be16(head, 50) == 1;
    if (loca.size() < (numGlyphs + 1) * (longOffsets ? 4 : 2))
        return false;
    std::vector<quint32> offsets(size_t(numGlyphs) + 1);
    for (int g = 0; g <= numGlyphs; ++g)
        offsets[size_t(g)] = longOffsets ? be32(loca.constData() + 4 * g) : quint32(be16(loca, 2 * g)) * 2;
    used.insert(0);
    addCompositeParts(glyf, numGlyphs, offsets, used);
    QByteArray newGlyf, newLoca;
    for (int g = 0; g < numGlyphs; ++g) {
        putBe(newLoca, quint32(newGlyf.size()), 4);
        if (used.count(quint32(g))) {
            const quint32 start = offsets[size_t(g)], end = offsets[size_t(g) + 1];
            if (end > start && end <= quint32(glyf.size()))
                newGlyf += glyf.mid(int(start), int(end - start));
            while (newGlyf.size() % 4)
                newGlyf += char(0);
        }
    }
    putBe(newLoca, quint32(newGlyf.size()), 4);
    glyf = newGlyf;
    loca = newLoca;
    setBe16(head, 50, 1);
    return true;
}

// A font file of `tables`: the table directory, then each table padded to 4 bytes.
QByteArray fontFile(const std::map<QByteArray, QByteArray> &tables)
{
    const int n = int(tables.size());
    int pow2 = 1, log2 = 0;
    while (pow2 * 2 <= n) {
        pow2 *= 2;
        ++log2;
    }
    QByteArray out;
    putBe(out, 0x00010000, 4);
    putBe(out, quint32(n), 2);
    putBe(out, quint32(pow2 * 16), 2);
    putBe(out, quint32(log2), 2);
    putBe(out, quint32(n * 16 - pow2 * 16), 2);
    quint32 offset = quint32(12 + 16 * n);
    QByteArray body;
    for (const auto &t : tables) {
        QByteArray data = t.second;
        while (data.size() % 4)
            data += char(0);
        quint32 sum = 0;
        for (int i = 0; i < data.size(); i += 4)
            sum += be32(data.constData() + i);
        out += t.first;
        putBe(out, sum, 4);
        putBe(out, offset, 4);
        putBe(out, quint32(t.second.size()), 4);
        offset += quint32(data.size());
        body += data;
    }
    return out + body;
}

} // namespace

QByteArray subsetTrueTypeFont(const QRawFont &font, const std::set<quint32> &glyphs)
{
    static const char *const tags[] = {"OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea",
                                       "hmtx", "loca", "maxp", "name", "post", "prep"};
    std::map<QByteArray, QByteArray> tables;
    for (const char *tag : tags) {
        const QByteArray t = font.fontTable(tag);
        if (!t.isEmpty())
            tables[QByteArray(tag, 4)] = t;
    }
    const QByteArray maxp = tables["maxp"];
    if (maxp.size() >= 6)
        subsetGlyphs(tables["glyf"], tables["loca"], tables["head"], be16(maxp, 4), glyphs);
    for (auto it = tables.begin(); it != tables.end();) {
        if (it->second.isEmpty())
            it = tables.erase(it);
        else
            ++it;
    }
    return fontFile(tables);
}

} // namespace orvane
