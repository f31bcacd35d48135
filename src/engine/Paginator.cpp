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

Paginator::Paginator(std::shared_ptr<const ReportContent> content) : m_content(std::move(content)) {}

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

} // namespace

Document Paginator::paginate(const std::atomic_bool *cancel, const PageDone &pageDone) const
{
    const ReportContent &c = *m_content;
    const Layout &L = c.layout;
    const Table *table = c.table.get();
    const int rowCount = table ? int(c.order.size()) : 0;
    const int groupCount = int(L.groups.size());

    Document doc;
    doc.content = m_content;

    std::vector<int> reportHeaders, pageHeaders, details, pageFooters, reportFooters;
    double footerHeight = 0, headerHeight = 0;
    for (size_t i = 0; i < L.sections.size(); ++i) {
        const Section &s = L.sections[i];
        if (s.suppress)
            continue;
        switch (s.kind) {
        case SectionKind::ReportHeader: reportHeaders.push_back(int(i)); break;
        case SectionKind::PageHeader: pageHeaders.push_back(int(i)); headerHeight += s.height; break;
        case SectionKind::GroupHeader: headerHeight += s.height; break;   // repeated, continued
        case SectionKind::Detail: details.push_back(int(i)); break;
        case SectionKind::PageFooter: pageFooters.push_back(int(i)); footerHeight += s.height; break;
        case SectionKind::ReportFooter: reportFooters.push_back(int(i)); break;
        default: break;
        }
    }
    const double limit = L.bodyRectMm().height() - footerHeight;

    // Wrapping text: measured once per distinct text, from the fonts' design
    // metrics as the renderer measures it. A band grows at most as far as
    // fits under the page's headers, and as far as Placement::grow can say.
    std::vector<std::unique_ptr<Face>> faces;
    std::vector<std::vector<Grower>> growers(L.sections.size());
    for (size_t i = 0; i < L.sections.size(); ++i) {
        const Section &s = L.sections[i];
        const double room = std::min(254 * kGrowStepMm, limit - headerHeight - s.height);
        for (const LayoutObject &o : s.objects) {
            if (!o.canGrow || s.suppress)
                continue;
            Grower g;
            g.object = &o;
            QMutexLocker lock(&advanceMutex());
            FaceAdvances *shared = Face::advancesOf(o.font);
            for (const auto &f : faces) {
                if (f->shared == shared)
                    g.face = f.get();
            }
            if (!g.face) {
                faces.push_back(std::make_unique<Face>());
                g.face = faces.back().get();
                g.face->shared = shared;
                if (shared->lineEm <= 0)
                    shared->lineEm = g.face->font().ascent + g.face->font().descent;
            }
            g.width = FontMetricsTable::emUnits(o.rect.width(), o.font.size);
            g.lineMm = shared->lineEm * o.font.size / 1000.0 * 25.4 / 72.0;
            g.maxLines = room > 0 && g.lineMm > 0 ? std::min(255, 1 + int(room / g.lineMm)) : 1;
            growers[i].push_back(std::move(g));
        }
    }
    // Bands are asked for their growth more than once per row (to keep a
    // header with its first line, then to place them): the last answer per
    // section is kept.
    std::vector<std::pair<int, quint8>> lastGrow(L.sections.size(), {-2, 0});
    auto growOf = [&](int section, int row) -> quint8 {
        std::vector<Grower> &list = growers[size_t(section)];
        if (list.empty())
            return 0;
        std::pair<int, quint8> &last = lastGrow[size_t(section)];
        if (last.first == row)
            return last.second;
        quint8 steps = 0;
        for (Grower &g : list) {
            const LayoutObject &o = *g.object;
            if (o.kind == ObjectKind::Text) {
                steps = std::max(steps, g.stepsFor(o.text));
            } else if (row >= 0 && o.column >= 0 && table) {
                const int tableRow = c.order[size_t(row)];
                const int id = table->textId(tableRow, o.column);
                if (id >= 0) {
                    if (size_t(id) >= g.steps.size())
                        g.steps.resize(size_t(id) + 1 + g.steps.size() / 2, 0);
                    quint8 &known = g.steps[size_t(id)];
                    if (known == 0)
                        known = quint8(1 + g.stepsFor(table->text(tableRow, o.column)));
                    steps = std::max(steps, quint8(known - 1));
                } else if (!table->isNull(tableRow, o.column)) {
                    steps = std::max(steps, g.stepsFor(table->text(tableRow, o.column)));
                }
            }
        }
        last = {row, steps};
        return steps;
    };

    // Summary keys: distinct (column, function) pairs, accumulated once per row
    // at every level; each summary object reads its level's value.
    struct Key { int column; bool count; };
    std::vector<Key> keys;
    std::vector<std::vector<Slot>> sectionSlots(L.sections.size());
    for (size_t i = 0; i < L.sections.size(); ++i) {
        const Section &s = L.sections[i];
        for (const LayoutObject &o : s.objects) {
            if (o.kind != ObjectKind::Summary)
                continue;
            const bool count = o.function == LayoutObject::Function::Count;
            int k = 0;
            while (k < int(keys.size()) && !(keys[size_t(k)].column == o.column && keys[size_t(k)].count == count))
                ++k;
            if (k == int(keys.size()))
                keys.push_back({o.column, count});
            const int level = o.scope == LayoutObject::Scope::Group && s.group >= 0 ? s.group + 1 : 0;
            sectionSlots[i].push_back({k, level});
        }
    }
    std::vector<std::vector<Accumulator>> acc(size_t(groupCount + 1), std::vector<Accumulator>(keys.size()));

    double y = 0;
    bool bodyEmpty = true;
    bool pendingBreak = false;
    int openGroups = 0;
    int currentRow = -1;     // the row whose band is being placed; continued headers show it
    size_t bodyStart = 0;    // first placement of the page after its headers

    auto heightOf = [&](const Placement &p) { return L.sections[p.section].height + p.grow * kGrowStepMm; };
    auto make = [&](int section, int row, quint8 flags) {
        Placement p;
        p.row = row;
        p.section = quint16(section);
        p.flags = flags;
        p.grow = growOf(section, row);
        return p;
    };
    auto put = [&](const Placement &placement) {
        Placement p = placement;
        p.y = float(y);
        const std::vector<Slot> &sl = sectionSlots[p.section];
        if (!sl.empty()) {
            p.totals = qint32(doc.totals.size());
            for (const Slot &s : sl)
                doc.totals.push_back(acc[size_t(s.level)][size_t(s.key)].value());
        }
        doc.placements.push_back(p);
        y += heightOf(p);
    };

    auto finishPage = [&] {
        y = limit;
        for (int s : pageFooters)
            put(make(s, -1, 0));
        PageEntry &page = doc.pages.back();
        page.count = qint32(doc.placements.size()) - page.first;
        if (pageDone)
            pageDone(doc, doc.pageCount());
    };

    // `repeat`: how many groups, outermost first, go on from the last page.
    auto startPage = [&](int repeat) {
        if (!doc.pages.empty())
            finishPage();
        PageEntry page;
        page.first = qint32(doc.placements.size());
        doc.pages.push_back(page);
        y = 0;
        if (doc.pages.size() == 1) {
            for (int s : reportHeaders)
                put(make(s, -1, 0));
        }
        for (int s : pageHeaders)
            put(make(s, -1, 0));
        // Groups that go on from the previous page repeat their headers, marked.
        for (int g = 0; g < repeat; ++g) {
            const int s = L.groups[size_t(g)].headerSection;
            if (s >= 0 && !L.sections[size_t(s)].suppress)
                put(make(s, currentRow, Placement::Continued));
        }
        bodyStart = doc.placements.size();
        bodyEmpty = true;
        pendingBreak = false;
    };

    auto kindAt = [&](size_t i) { return L.sections[doc.placements[i].section].kind; };

    // A footer that does not fit takes the last line above it (and a group
    // header right above that line) to the next page, so that it never
    // stands there without a line of its own; false when the page would keep
    // nothing of its own.
    auto carryTail = [&]() {
        size_t k = doc.placements.size();
        while (k > bodyStart && (kindAt(k - 1) == SectionKind::GroupFooter || kindAt(k - 1) == SectionKind::ReportFooter))
            --k;
        if (k == bodyStart || kindAt(k - 1) != SectionKind::Detail)
            return false;
        const qint32 lineRow = doc.placements[k - 1].row;
        while (k > bodyStart && kindAt(k - 1) == SectionKind::Detail && doc.placements[k - 1].row == lineRow)
            --k;
        while (k > bodyStart && kindAt(k - 1) == SectionKind::GroupHeader
               && !(doc.placements[k - 1].flags & Placement::Continued))
            --k;
        if (k == bodyStart)
            return false;

        std::vector<Placement> moved(doc.placements.begin() + qptrdiff(k), doc.placements.end());
        doc.placements.resize(k);
        size_t firstTotal = doc.totals.size();
        for (const Placement &p : moved) {
            if (p.totals >= 0)
                firstTotal = std::min(firstTotal, size_t(p.totals));
        }
        const std::vector<double> movedTotals(doc.totals.begin() + qptrdiff(firstTotal), doc.totals.end());
        doc.totals.resize(firstTotal);

        // Above a line every group goes on; above a fresh header only those outside it.
        const Placement &first = moved.front();
        const Section &firstSection = L.sections[first.section];
        currentRow = first.row;
        startPage(firstSection.kind == SectionKind::GroupHeader ? firstSection.group : groupCount);
        const qint32 shift = qint32(doc.totals.size()) - qint32(firstTotal);
        for (Placement p : moved) {
            p.y = float(y);
            if (p.totals >= 0)
                p.totals += shift;
            doc.placements.push_back(p);
            y += heightOf(p);
        }
        doc.totals.insert(doc.totals.end(), movedTotals.begin(), movedTotals.end());
        bodyEmpty = false;
        return true;
    };

    auto place = [&](int section, int row) {
        const Section &s = L.sections[size_t(section)];
        if (s.suppress)
            return;
        if (row >= 0)
            currentRow = row;
        const Placement p = make(section, row, 0);
        const bool footer = s.kind == SectionKind::GroupFooter || s.kind == SectionKind::ReportFooter;
        if ((pendingBreak || s.newPageBefore) && !bodyEmpty) {
            startPage(openGroups);
        } else if (y + heightOf(p) > limit + kEpsilon && !bodyEmpty) {
            if (!footer || !carryTail())
                startPage(openGroups);
        }
        put(p);
        bodyEmpty = false;
        if (s.newPageAfter)
            pendingBreak = true;
    };

    auto closeGroupsFrom = [&](int level, int lastRow) {
        for (int g = openGroups - 1; g >= level; --g) {
            const int s = L.groups[size_t(g)].footerSection;
            if (s >= 0)
                place(s, lastRow);
            openGroups = g;
        }
    };

    startPage(0);

    for (int i = 0; i < rowCount; ++i) {
        if (cancel && (i & 63) == 0 && cancel->load(std::memory_order_relaxed)) {
            doc.cancelled = true;
            finishPage();
            return doc;
        }
        const int row = c.order[size_t(i)];

        // The outermost group whose value changed closes itself and every inner group.
        int changed = groupCount;
        if (i == 0) {
            changed = 0;
        } else {
            const int prev = c.order[size_t(i - 1)];
            for (int g = 0; g < groupCount; ++g) {
                const int col = L.groups[size_t(g)].column;
                if (col >= 0 && !table->sameValue(prev, row, col)) {
                    changed = g;
                    break;
                }
            }
        }
        if (changed < groupCount) {
            closeGroupsFrom(changed, i - 1);
            // Keep the new headers on the page of their first detail row.
            double need = 0;
            for (int s : details)
                need += heightOf(make(s, i, 0));
            for (int g = changed; g < groupCount; ++g) {
                const int s = L.groups[size_t(g)].headerSection;
                if (s >= 0 && !L.sections[size_t(s)].suppress)
                    need += heightOf(make(s, i, 0));
            }
            currentRow = i;
            if (!bodyEmpty && (pendingBreak || y + need > limit + kEpsilon))
                startPage(openGroups);
            for (int g = changed; g < groupCount; ++g) {
                for (Accumulator &a : acc[size_t(g + 1)])
                    a = Accumulator();
                // Opened after its header is placed: a page break before the
                // header must not repeat it as continued.
                const int s = L.groups[size_t(g)].headerSection;
                if (s >= 0)
                    place(s, i);
                openGroups = g + 1;
            }
        }

        for (size_t k = 0; k < keys.size(); ++k) {
            const Key &key = keys[k];
            long double v;
            if (key.count)
                v = key.column < 0 || !table->isNull(row, key.column) ? 1 : 0;
            else
                v = key.column < 0 ? 0 : table->number(row, key.column);
            for (int lv = 0; lv <= groupCount; ++lv)
                acc[size_t(lv)][k].add(v);
        }

        for (int s : details)
            place(s, i);
    }

    closeGroupsFrom(0, rowCount - 1);
    for (int s : reportFooters)
        place(s, -1);
    finishPage();

    doc.placements.shrink_to_fit();
    doc.totals.shrink_to_fit();
    doc.pages.shrink_to_fit();
    doc.complete = true;
    return doc;
}

} // namespace orvane
