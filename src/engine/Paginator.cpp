#include "Paginator.h"

#include "FontMetricsTable.h"
#include "Table.h"

#include <QMutex>

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvane {

namespace {

// Compensated summation in long double: sums of many money amounts stay exact
// to the cent long after a plain double sum has drifted.
struct Accumulator
{
    long double sum = 0;
    long double carry = 0;

    void add(long double v)
    {
        const long double y = v - carry;
        const long double t = sum + y;
        carry = (t - sum) - y;
        sum = t;
    }
    double value() const { return double(sum); }
};

struct Slot
{
    int key = 0;     // index into the accumulators of a level
    int level = 0;   // 0 = report, g + 1 = group g
};

constexpr double kEpsilon = 1e-6;

} // namespace

namespace {

// Advances of a face whose text wraps, kept for the life of the process and
// shared by every pagination (they run on several threads, so only under
// advanceMutex()): a pagination loads the font only to measure characters
// that none before it has met.
struct FaceAdvances
{
    FontSpec face;
    double lineEm = 0;                               // ascent + descent, 1/1000 em
    std::vector<std::unique_ptr<float[]>> blocks;    // by UTF-16 code unit / 256; NaN: not measured yet
};

QMutex &advanceMutex()
{
    static QMutex mutex;
    return mutex;
}

// A pagination's view of one face: the shared advances, and the font itself
// once a character is missing from them. Call with advanceMutex() held.
struct Face
{
    FaceAdvances *shared = nullptr;
    std::unique_ptr<FontMetricsTable> metrics;

    FontMetricsTable &font()
    {
        if (!metrics)
            metrics = std::make_unique<FontMetricsTable>(shared->face);
        return *metrics;
    }

    static FaceAdvances *advancesOf(const FontSpec &wanted)
    {
        static std::vector<std::unique_ptr<FaceAdvances>> faces;
        for (const auto &f : faces) {
            if (f->face.family == wanted.family && f->face.size == wanted.size && f->face.bold == wanted.bold
                && f->face.italic == wanted.italic)
                return f.get();
        }
        faces.push_back(std::make_unique<FaceAdvances>());
        faces.back()->face = wanted;
        faces.back()->blocks.resize(256);
        return faces.back().get();
    }

    double advance(char16_t c)
    {
        std::unique_ptr<float[]> &block = shared->blocks[c >> 8];
        if (!block) {
            block.reset(new float[256]);
            std::fill(block.get(), block.get() + 256, std::numeric_limits<float>::quiet_NaN());
        }
        float &a = block[c & 0xFF];
        if (std::isnan(a))
            a = font().glyph(c).advance;
        return a;
    }
};

// Text objects that wrap, and what they need to measure their lines.
struct Grower
{
    const LayoutObject *object = nullptr;
    Face *face = nullptr;
    double width = 0;            // 1/1000 em
    double lineMm = 0;
    int maxLines = 1;            // what the band may grow to
    std::vector<quint8> steps;   // growth by Table::textId, in kGrowStepMm, plus 1; 0 = not measured yet

    // How far `text` makes the band grow, in kGrowStepMm.
    quint8 stepsFor(const QString &text)
    {
        QMutexLocker lock(&advanceMutex());
        const int lines = FontMetricsTable::wrapText(text, width, maxLines, [this](char16_t c) { return face->advance(c); });
        return quint8(std::min(254.0, std::ceil((lines - 1) * lineMm / kGrowStepMm - 1e-6)));
    }
};

// The sections by the part of the page they take, and the room between the
// headers and the footers.
struct SectionPlan
{
    std::vector<int> reportHeaders, pageHeaders, details, pageFooters, reportFooters;
    double footerHeight = 0;
    double headerHeight = 0;   // page headers plus every group header, repeated as continued
    double limit = 0;          // the y at which the page footers stand

    explicit SectionPlan(const Layout &L)
    {
        for (size_t i = 0; i < L.sections.size(); ++i) {
            const Section &s = L.sections[i];
            if (s.suppress)
                continue;
            switch (s.kind) {
            case SectionKind::ReportHeader: reportHeaders.push_back(int(i)); break;
            case SectionKind::PageHeader: pageHeaders.push_back(int(i)); headerHeight += s.height; break;
            case SectionKind::GroupHeader: headerHeight += s.height; break;
            case SectionKind::Detail: details.push_back(int(i)); break;
            case SectionKind::PageFooter: pageFooters.push_back(int(i)); footerHeight += s.height; break;
            case SectionKind::ReportFooter: reportFooters.push_back(int(i)); break;
            default: break;
            }
        }
        limit = L.bodyRectMm().height() - footerHeight;
    }
};

// How far each band grows for its wrapping text. Measured once per distinct
// text, from the fonts' design metrics as the renderer measures it. A band
// grows at most as far as fits under the page's headers, and as far as
// Placement::grow can say.
class BandGrowth
{
public:
    BandGrowth(const ReportContent &content, const SectionPlan &plan)
        : m_content(content)
        , m_growers(content.layout.sections.size())
        , m_last(content.layout.sections.size(), {-2, 0})
    {
        const Layout &L = content.layout;
        for (size_t i = 0; i < L.sections.size(); ++i) {
            const Section &s = L.sections[i];
            const double room = std::min(254 * kGrowStepMm, plan.limit - plan.headerHeight - s.height);
            for (const LayoutObject &o : s.objects) {
                if (o.canGrow && !s.suppress)
                    m_growers[i].push_back(grower(o, room));
            }
        }
    }

    // Growth of `section` for report row `row` (-1: a band without a row), in
    // kGrowStepMm. Bands are asked more than once per row (to keep a header
    // with its first line, then to place them): the last answer per section
    // is kept.
    quint8 of(int section, int row)
    {
        std::vector<Grower> &list = m_growers[size_t(section)];
        if (list.empty())
            return 0;
        std::pair<int, quint8> &last = m_last[size_t(section)];
        if (last.first == row)
            return last.second;
        quint8 steps = 0;
        for (Grower &g : list)
            steps = std::max(steps, stepsOf(g, row));
        last = {row, steps};
        return steps;
    }

private:
    Grower grower(const LayoutObject &o, double room)
    {
        Grower g;
        g.object = &o;
        QMutexLocker lock(&advanceMutex());
        FaceAdvances *shared = Face::advancesOf(o.font);
        for (const auto &f : m_faces) {
            if (f->shared == shared)
                g.face = f.get();
        }
        if (!g.face) {
            m_faces.push_back(std::make_unique<Face>());
            g.face = m_faces.back().get();
            g.face->shared = shared;
            if (shared->lineEm <= 0)
                shared->lineEm = g.face->font().ascent + g.face->font().descent;
        }
        g.width = FontMetricsTable::emUnits(o.rect.width(), o.font.size);
        g.lineMm = shared->lineEm * o.font.size / 1000.0 * 25.4 / 72.0;
        g.maxLines = room > 0 && g.lineMm > 0 ? std::min(255, 1 + int(room / g.lineMm)) : 1;
        return g;
    }

    quint8 stepsOf(Grower &g, int row)
    {
        const LayoutObject &o = *g.object;
        const Table *table = m_content.table.get();
        if (o.kind == ObjectKind::Text)
            return g.stepsFor(o.text);
        if (row < 0 || o.column < 0 || !table)
            return 0;
        const int tableRow = m_content.order[size_t(row)];
        const int id = table->textId(tableRow, o.column);
        if (id < 0)
            return table->isNull(tableRow, o.column) ? 0 : g.stepsFor(table->text(tableRow, o.column));
        if (size_t(id) >= g.steps.size())
            g.steps.resize(size_t(id) + 1 + g.steps.size() / 2, 0);
        quint8 &known = g.steps[size_t(id)];
        if (known == 0)
            known = quint8(1 + g.stepsFor(table->text(tableRow, o.column)));
        return quint8(known - 1);
    }

    const ReportContent &m_content;
    std::vector<std::unique_ptr<Face>> m_faces;
    std::vector<std::vector<Grower>> m_growers;
    std::vector<std::pair<int, quint8>> m_last;
};

// What the summaries add up: distinct (column, function) pairs, accumulated
// once per row at every level (0 = report, g + 1 = group g); each summary
// object reads its level's value.
class TotalsPlan
{
public:
    TotalsPlan(const Layout &L, const Table *table)
        : m_table(table)
        , m_sectionSlots(L.sections.size())
    {
        for (size_t i = 0; i < L.sections.size(); ++i) {
            const Section &s = L.sections[i];
            for (const LayoutObject &o : s.objects) {
                if (o.kind != ObjectKind::Summary)
                    continue;
                const bool count = o.function == LayoutObject::Function::Count;
                int k = 0;
                while (k < int(m_keys.size()) && !(m_keys[size_t(k)].column == o.column && m_keys[size_t(k)].count == count))
                    ++k;
                if (k == int(m_keys.size()))
                    m_keys.push_back({o.column, count});
                const int level = o.scope == LayoutObject::Scope::Group && s.group >= 0 ? s.group + 1 : 0;
                m_sectionSlots[i].push_back({k, level});
            }
        }
        m_acc.assign(L.groups.size() + 1, std::vector<Accumulator>(m_keys.size()));
    }

    bool hasSummaries(int section) const { return !m_sectionSlots[size_t(section)].empty(); }

    // Appends the current values of `section`'s summaries to `totals`.
    void appendValues(int section, std::vector<double> &totals) const
    {
        for (const Slot &s : m_sectionSlots[size_t(section)])
            totals.push_back(m_acc[size_t(s.level)][size_t(s.key)].value());
    }

    // Group g starts again from zero.
    void resetGroup(int g)
    {
        for (Accumulator &a : m_acc[size_t(g + 1)])
            a = Accumulator();
    }

    void addRow(int tableRow)
    {
        for (size_t k = 0; k < m_keys.size(); ++k) {
            const Key &key = m_keys[k];
            long double v;
            if (key.count)
                v = key.column < 0 || !m_table->isNull(tableRow, key.column) ? 1 : 0;
            else
                v = key.column < 0 ? 0 : m_table->number(tableRow, key.column);
            for (std::vector<Accumulator> &level : m_acc)
                level[k].add(v);
        }
    }

private:
    struct Key
    {
        int column;
        bool count;
    };
    const Table *m_table;
    std::vector<Key> m_keys;
    std::vector<std::vector<Slot>> m_sectionSlots;
    std::vector<std::vector<Accumulator>> m_acc;
};

// Places bands on pages, one after the other, with the page rules: headers
// and footers on every page, continued group headers, page breaks, and the
// footer that takes the last line of its group along when it does not fit.
class PageBuilder
{
public:
    PageBuilder(Document &doc, const SectionPlan &plan, BandGrowth &growth, const TotalsPlan &totals,
                const Paginator::PageDone &pageDone)
        : m_doc(doc)
        , L(doc.layout())
        , m_plan(plan)
        , m_growth(growth)
        , m_totals(totals)
        , m_pageDone(pageDone)
    {
    }

    int openGroups = 0;
    int currentRow = -1;   // the row whose band is being placed; continued headers show it

    double heightOf(const Placement &p) const { return L.sections[p.section].height + p.grow * kGrowStepMm; }

    Placement make(int section, int row, quint8 flags)
    {
        Placement p;
        p.row = row;
        p.section = quint16(section);
        p.flags = flags;
        p.grow = m_growth.of(section, row);
        return p;
    }

    // Whether `height` more fits on the page (an empty page takes anything).
    bool fits(double height) const { return m_bodyEmpty || (!m_pendingBreak && m_y + height <= m_plan.limit + kEpsilon); }

    void finishPage()
    {
        m_y = m_plan.limit;
        for (int s : m_plan.pageFooters)
            put(make(s, -1, 0));
        PageEntry &page = m_doc.pages.back();
        page.count = qint32(m_doc.placements.size()) - page.first;
        if (m_pageDone)
            m_pageDone(m_doc, m_doc.pageCount());
    }

    // `repeat`: how many groups, outermost first, go on from the last page.
    void startPage(int repeat)
    {
        if (!m_doc.pages.empty())
            finishPage();
        PageEntry page;
        page.first = qint32(m_doc.placements.size());
        m_doc.pages.push_back(page);
        m_y = 0;
        if (m_doc.pages.size() == 1) {
            for (int s : m_plan.reportHeaders)
                put(make(s, -1, 0));
        }
        for (int s : m_plan.pageHeaders)
            put(make(s, -1, 0));
        // Groups that go on from the previous page repeat their headers, marked.
        for (int g = 0; g < repeat; ++g) {
            const int s = L.groups[size_t(g)].headerSection;
            if (s >= 0 && !L.sections[size_t(s)].suppress)
                put(make(s, currentRow, Placement::Continued));
        }
        m_bodyStart = m_doc.placements.size();
        m_bodyEmpty = true;
        m_pendingBreak = false;
    }

    void place(int section, int row)
    {
        const Section &s = L.sections[size_t(section)];
        if (s.suppress)
            return;
        if (row >= 0)
            currentRow = row;
        const Placement p = make(section, row, 0);
        const bool footer = s.kind == SectionKind::GroupFooter || s.kind == SectionKind::ReportFooter;
        if ((m_pendingBreak || s.newPageBefore) && !m_bodyEmpty) {
            startPage(openGroups);
        } else if (m_y + heightOf(p) > m_plan.limit + kEpsilon && !m_bodyEmpty) {
            if (!footer || !carryTail())
                startPage(openGroups);
        }
        put(p);
        m_bodyEmpty = false;
        if (s.newPageAfter)
            m_pendingBreak = true;
    }

    void closeGroupsFrom(int level, int lastRow)
    {
        for (int g = openGroups - 1; g >= level; --g) {
            const int s = L.groups[size_t(g)].footerSection;
            if (s >= 0)
                place(s, lastRow);
            openGroups = g;
        }
    }

private:
    void put(const Placement &placement)
    {
        Placement p = placement;
        p.y = float(m_y);
        if (m_totals.hasSummaries(p.section)) {
            p.totals = qint32(m_doc.totals.size());
            m_totals.appendValues(p.section, m_doc.totals);
        }
        m_doc.placements.push_back(p);
        m_y += heightOf(p);
    }

    SectionKind kindAt(size_t i) const { return L.sections[m_doc.placements[i].section].kind; }

    // A footer that does not fit takes the last line above it (and a group
    // header right above that line) to the next page, so that it never
    // stands there without a line of its own; false when the page would keep
    // nothing of its own.
    bool carryTail()
    {
        const size_t k = tailStart();
        if (k == m_bodyStart)
            return false;
        std::vector<Placement> moved(m_doc.placements.begin() + qptrdiff(k), m_doc.placements.end());
        m_doc.placements.resize(k);
        size_t firstTotal = m_doc.totals.size();
        for (const Placement &p : moved) {
            if (p.totals >= 0)
                firstTotal = std::min(firstTotal, size_t(p.totals));
        }
        const std::vector<double> movedTotals(m_doc.totals.begin() + qptrdiff(firstTotal), m_doc.totals.end());
        m_doc.totals.resize(firstTotal);

        // Above a line every group goes on; above a fresh header only those outside it.
        const Section &firstSection = L.sections[moved.front().section];
        currentRow = moved.front().row;
        startPage(firstSection.kind == SectionKind::GroupHeader ? firstSection.group : int(L.groups.size()));
        const qint32 shift = qint32(m_doc.totals.size()) - qint32(firstTotal);
        for (Placement p : moved) {
            p.y = float(m_y);
            if (p.totals >= 0)
                p.totals += shift;
            m_doc.placements.push_back(p);
            m_y += heightOf(p);
        }
        m_doc.totals.insert(m_doc.totals.end(), movedTotals.begin(), movedTotals.end());
        m_bodyEmpty = false;
        return true;
    }

    // Where the tail to carry begins: the footers placed so far, the last
    // line above them and a fresh group header right above that line;
    // m_bodyStart when there is nothing to carry.
    size_t tailStart() const
    {
        size_t k = m_doc.placements.size();
        while (k > m_bodyStart && (kindAt(k - 1) == SectionKind::GroupFooter || kindAt(k - 1) == SectionKind::ReportFooter))
            --k;
        if (k == m_bodyStart || kindAt(k - 1) != SectionKind::Detail)
            return m_bodyStart;
        const qint32 lineRow = m_doc.placements[k - 1].row;
        while (k > m_bodyStart && kindAt(k - 1) == SectionKind::Detail && m_doc.placements[k - 1].row == lineRow)
            --k;
        while (k > m_bodyStart && kindAt(k - 1) == SectionKind::GroupHeader
               && !(m_doc.placements[k - 1].flags & Placement::Continued))
            --k;
        return k;
    }

    Document &m_doc;
    const Layout &L;
    const SectionPlan &m_plan;
    BandGrowth &m_growth;
    const TotalsPlan &m_totals;
    const Paginator::PageDone &m_pageDone;
    double m_y = 0;
    bool m_bodyEmpty = true;
    bool m_pendingBreak = false;
    size_t m_bodyStart = 0;   // first placement of the page after its headers
};

} // namespace

Paginator::Paginator(std::shared_ptr<const ReportContent> content) : m_content(std::move(content)) {}


Document Paginator::paginate(const std::atomic_bool *cancel, const PageDone &pageDone) const
{
    const ReportContent &c = *m_content;
    const Layout &L = c.layout;
    const Table *table = c.table.get();
    const int rowCount = table ? int(c.order.size()) : 0;
    const int groupCount = int(L.groups.size());

    Document doc;
    doc.content = m_content;
    const SectionPlan plan(L);
    BandGrowth growth(c, plan);
    TotalsPlan totals(L, table);
    PageBuilder pages(doc, plan, growth, totals, pageDone);

    pages.startPage(0);
    for (int i = 0; i < rowCount; ++i) {
        if (cancel && (i & 63) == 0 && cancel->load(std::memory_order_relaxed)) {
            doc.cancelled = true;
            pages.finishPage();
            return doc;
        }
        const int row = c.order[size_t(i)];

        // The outermost group whose value changed closes itself and every inner group.
        int changed = i == 0 ? 0 : groupCount;
        for (int g = 0; i > 0 && g < groupCount && changed == groupCount; ++g) {
            const int col = L.groups[size_t(g)].column;
            if (col >= 0 && !table->sameValue(c.order[size_t(i - 1)], row, col))
                changed = g;
        }
        if (changed < groupCount) {
            pages.closeGroupsFrom(changed, i - 1);
            // Keep the new headers on the page of their first detail row.
            double need = 0;
            for (int s : plan.details)
                need += pages.heightOf(pages.make(s, i, 0));
            for (int g = changed; g < groupCount; ++g) {
                const int s = L.groups[size_t(g)].headerSection;
                if (s >= 0 && !L.sections[size_t(s)].suppress)
                    need += pages.heightOf(pages.make(s, i, 0));
            }
            pages.currentRow = i;
            if (!pages.fits(need))
                pages.startPage(pages.openGroups);
            for (int g = changed; g < groupCount; ++g) {
                totals.resetGroup(g);
                // Opened after its header is placed: a page break before the
                // header must not repeat it as continued.
                const int s = L.groups[size_t(g)].headerSection;
                if (s >= 0)
                    pages.place(s, i);
                pages.openGroups = g + 1;
            }
        }
        totals.addRow(row);
        for (int s : plan.details)
            pages.place(s, i);
    }

    pages.closeGroupsFrom(0, rowCount - 1);
    for (int s : plan.reportFooters)
        pages.place(s, -1);
    pages.finishPage();

    doc.placements.shrink_to_fit();
    doc.totals.shrink_to_fit();
    doc.pages.shrink_to_fit();
    doc.complete = true;
    return doc;
}

} // namespace orvane
