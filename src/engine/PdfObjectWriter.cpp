#include "PdfObjectWriter_p.h"

#include "ExportFile.h"

#include <algorithm>
#include <cmath>

namespace orvane {

void appendPdfNumber(QByteArray &out, double v)
{
    qint64 i = qint64(std::llround(v * 100));
    if (i < 0) {
        out += '-';
        i = -i;
    }
    char buf[24];
    int pos = 24;
    const qint64 whole = i / 100;
    const int frac = int(i % 100);
    if (frac != 0) {
        if (frac % 10 != 0)
            buf[--pos] = char('0' + frac % 10);
        buf[--pos] = char('0' + frac / 10);
        buf[--pos] = '.';
    }
    qint64 w = whole;
    do {
        buf[--pos] = char('0' + w % 10);
        w /= 10;
    } while (w > 0);
    out.append(buf + pos, 24 - pos);
    out += ' ';
}

QByteArray hex4(quint32 v)
{
    static const char digits[] = "0123456789ABCDEF";
    const char b[4] = {digits[(v >> 12) & 15], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
    return QByteArray(b, 4);
}

QByteArray pdfTextString(const QString &text)
{
    // Plain ASCII as a literal string: a fraction of the bytes, which counts
    // in the tens of thousands of bookmarks of a year's register.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; })) {
        QByteArray literal = "(";
        for (QChar c : text) {
            if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('\\'))
                literal += '\\';
            literal += char(c.unicode());
        }
        return literal + ')';
    }
    QByteArray out = "<FEFF";
    for (QChar c : text)
        out += hex4(c.unicode());
    return out + '>';
}

QByteArray pdfDeflate(const QByteArray &data)
{
    // qCompress prefixes the length; the rest is the zlib stream PDF wants.
    return qCompress(data, 3).mid(4);
}

PdfObjectWriter::PdfObjectWriter(ExportFile &out) : m_out(out)
{
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

int PdfObjectWriter::reserve()
{
    m_offsets.push_back(0);
    return int(m_offsets.size());
}

void PdfObjectWriter::begin(int id)
{
    m_offsets[size_t(id - 1)] = m_out.pos();
    write(QByteArray::number(id) + " 0 obj\n");
}

void PdfObjectWriter::object(int id, const QByteArray &body)
{
    begin(id);
    write(body + "\nendobj\n");
}

void PdfObjectWriter::stream(int id, const QByteArray &data, bool packed, const QByteArray &extra)
{
    begin(id);
    write("<< /Length " + QByteArray::number(data.size()) + (packed ? " /Filter /FlateDecode" : "") + extra
          + " >>\nstream\n");
    write(data);
    write("\nendstream\nendobj\n");
}

void PdfObjectWriter::write(const QByteArray &data)
{
    m_out.write(data);
}

int PdfObjectWriter::outline(const std::vector<PdfBookmark> &bookmarks)
{
    if (bookmarks.empty())
        return 0;
    const int n = int(bookmarks.size());
    // Index n stands for the outline itself, the parent of the outermost entries.
    std::vector<int> parent(size_t(n), n), first(size_t(n) + 1, -1), last(size_t(n) + 1, -1);
    std::vector<int> prev(size_t(n), -1), next(size_t(n), -1), children(size_t(n) + 1, 0);
    std::vector<int> open;   // the entries that the next one may nest under
    for (int i = 0; i < n; ++i) {
        while (!open.empty() && bookmarks[size_t(open.back())].level >= bookmarks[size_t(i)].level)
            open.pop_back();
        const int p = open.empty() ? n : open.back();
        parent[size_t(i)] = p;
        if (last[size_t(p)] >= 0) {
            prev[size_t(i)] = last[size_t(p)];
            next[size_t(last[size_t(p)])] = i;
        } else {
            first[size_t(p)] = i;
        }
        last[size_t(p)] = i;
        ++children[size_t(p)];
        open.push_back(i);
    }
    const int root = reserve();
    const int base = reserve();
    for (int i = 1; i < n; ++i)
        reserve();
    const auto id = [&](int i) { return i == n ? root : base + i; };

    object(root, "<< /Type /Outlines /First " + ref(id(first[size_t(n)])) + " /Last " + ref(id(last[size_t(n)]))
                     + " /Count " + QByteArray::number(children[size_t(n)]) + " >>");
    for (int i = 0; i < n; ++i) {
        const PdfBookmark &b = bookmarks[size_t(i)];
        QByteArray dict = "<< /Title " + pdfTextString(b.title) + " /Parent " + ref(id(parent[size_t(i)]));
        if (prev[size_t(i)] >= 0)
            dict += " /Prev " + ref(id(prev[size_t(i)]));
        if (next[size_t(i)] >= 0)
            dict += " /Next " + ref(id(next[size_t(i)]));
        if (first[size_t(i)] >= 0) {
            // Closed: a long report opens on the outermost entries.
            dict += " /First " + ref(id(first[size_t(i)])) + " /Last " + ref(id(last[size_t(i)])) + " /Count -"
                    + QByteArray::number(children[size_t(i)]);
        }
        dict += " /Dest [" + ref(b.pageObject) + " /XYZ null ";
        appendPdfNumber(dict, b.top);
        dict += "null] >>";
        object(id(i), dict);
    }
    return root;
}

void PdfObjectWriter::finish(int catalog, int info)
{
    const qint64 xref = m_out.pos();
    QByteArray table = "xref\n0 " + QByteArray::number(int(m_offsets.size()) + 1) + "\n0000000000 65535 f \n";
    for (qint64 off : m_offsets)
        table += QByteArray::number(off).rightJustified(10, '0') + " 00000 n \n";
    table += "trailer\n<< /Size " + QByteArray::number(int(m_offsets.size()) + 1) + " /Root " + ref(catalog)
             + " /Info " + ref(info) + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    write(table);
}

} // namespace orvane
