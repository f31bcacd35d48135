#include "Paginator.h"

#include "Table.h"

#include <cmath>

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
    double footerHeight = 0;
    for (size_t i = 0; i < L.sections.size(); ++i) {
        const Section &s = L.sections[i];
        if (s.suppress)
            continue;
        switch (s.kind) {
        case SectionKind::ReportHeader: reportHeaders.push_back(int(i)); break;
        case SectionKind::PageHeader: pageHeaders.push_back(int(i)); break;
        case SectionKind::Detail: details.push_back(int(i)); break;
        case SectionKind::PageFooter: pageFooters.push_back(int(i)); footerHeight += s.height; break;
        case SectionKind::ReportFooter: reportFooters.push_back(int(i)); break;
        default: break;
        }
    }
    const double limit = L.bodyRectMm().height() - footerHeight;
    double detailHeight = 0;
    for (int s : details)
        detailHeight += L.sections[size_t(s)].height;

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
    int currentRow = -1;   // the row whose band is being placed; continued headers show it

    auto put = [&](int section, int row, quint8 flags) {
        Placement p;
        p.row = row;
        p.y = float(y);
        p.section = quint16(section);
        p.flags = flags;
        const std::vector<Slot> &sl = sectionSlots[size_t(section)];
        if (!sl.empty()) {
            p.totals = qint32(doc.totals.size());
            for (const Slot &s : sl)
                doc.totals.push_back(acc[size_t(s.level)][size_t(s.key)].value());
        }
        doc.placements.push_back(p);
        y += L.sections[size_t(section)].height;
    };

    auto finishPage = [&] {
        y = limit;
        for (int s : pageFooters)
            put(s, -1, 0);
        PageEntry &page = doc.pages.back();
        page.count = qint32(doc.placements.size()) - page.first;
        if (pageDone)
            pageDone(doc, doc.pageCount());
    };

    auto startPage = [&] {
        if (!doc.pages.empty())
            finishPage();
        PageEntry page;
        page.first = qint32(doc.placements.size());
        doc.pages.push_back(page);
        y = 0;
        if (doc.pages.size() == 1) {
            for (int s : reportHeaders)
                put(s, -1, 0);
        }
        for (int s : pageHeaders)
            put(s, -1, 0);
        // Groups that go on from the previous page repeat their headers, marked.
        for (int g = 0; g < openGroups; ++g) {
            const int s = L.groups[size_t(g)].headerSection;
            if (s >= 0 && !L.sections[size_t(s)].suppress)
                put(s, currentRow, Placement::Continued);
        }
        bodyEmpty = true;
        pendingBreak = false;
    };

    auto place = [&](int section, int row) {
        const Section &s = L.sections[size_t(section)];
        if (s.suppress)
            return;
        if (row >= 0)
            currentRow = row;
        if ((pendingBreak || s.newPageBefore) && !bodyEmpty)
            startPage();
        else if (y + s.height > limit + kEpsilon && !bodyEmpty)
            startPage();
        put(section, row, 0);
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

    startPage();

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
                if (col >= 0 && table->value(prev, col) != table->value(row, col)) {
                    changed = g;
                    break;
                }
            }
        }
        if (changed < groupCount) {
            closeGroupsFrom(changed, i - 1);
            // Keep the new headers on the page of their first detail row.
            double need = detailHeight;
            for (int g = changed; g < groupCount; ++g) {
                const int s = L.groups[size_t(g)].headerSection;
                if (s >= 0 && !L.sections[size_t(s)].suppress)
                    need += L.sections[size_t(s)].height;
            }
            currentRow = i;
            if (!bodyEmpty && (pendingBreak || y + need > limit + kEpsilon))
                startPage();
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
