#pragma once

#include "Document.h"

#include <atomic>
#include <functional>
#include <memory>

namespace orvane {

/// Turns a layout and its rows into a Document. Knows sizes, not painters:
/// no widget, printer or database needed.
///
/// Rules: the report header once, at the top of page 1 (above the page
/// header); page headers and footers on every page, the footer at the foot of
/// the body area so nothing overwrites it; group headers when the group value
/// changes, repeated with Placement::Continued at the top of a page where a
/// group goes on; a band is never split (one taller than the page stands alone
/// on its page) and is placed at its grown height when its text wraps
/// (Placement::grow); a group header is kept with its first detail band; a
/// group footer that does not fit takes the last detail band of its group to
/// the next page, the report footer the last group footer (or detail band);
/// group footers carry the group's totals, the report footer the report's.
///
/// Text that wraps is measured with the fonts' design metrics, so a layout
/// with growing text needs a QGuiApplication, as painting does.
class Paginator
{
public:
    explicit Paginator(std::shared_ptr<const ReportContent> content);

    /// Called after each finished page with the document so far (complete ==
    /// false) and the number of pages finished.
    using PageDone = std::function<void(const Document &partial, int pages)>;

    /// Lays out every page. When `cancel` turns true, stops and returns the
    /// pages so far with cancelled == true.
    Document paginate(const std::atomic_bool *cancel = nullptr, const PageDone &pageDone = {}) const;

private:
    std::shared_ptr<const ReportContent> m_content;
};

} // namespace orvane
