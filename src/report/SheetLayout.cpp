#include "report/SheetLayout.h"

#include "report/Workbook.h"

#include <algorithm>

namespace tervalo::report {

namespace {

// The run of `band` that holds `context`, if any.
const BandInstance* runOf(const BandInstance* context, const Band* band) {
    for (const BandInstance* i = context; i != nullptr; i = i->parent) {
        if (i->band == band) {
            return i;
        }
    }
    return nullptr;
}

bool overlaps(const Band& band, int a, int b) {
    return band.first <= b && a <= band.last;
}

}  // namespace

SheetLayout::SheetLayout(Band root, int templateRows)
    : m_rootBand(std::make_unique<Band>(std::move(root))), m_templateRows(templateRows) {
    m_root = newInstance(m_rootBand.get(), nullptr);
}

BandInstance* SheetLayout::newInstance(const Band* band, BandInstance* parent) {
    BandInstance& inst = m_instances.emplace_back();
    inst.band = band;
    inst.parent = parent;
    inst.children.resize(band->children.size());
    return &inst;
}

std::optional<int> SheetLayout::firstIn(const BandInstance* inst, int a, int b,
                                        const BandInstance* context) const {
    std::optional<int> best;
    const auto row = std::lower_bound(inst->rows.begin(), inst->rows.end(), std::make_pair(a, -1));
    if (row != inst->rows.end() && row->first <= b) {
        best = row->second;
    }
    const auto& subBands = inst->band->children;
    for (size_t c = 0; c < subBands.size(); ++c) {
        if (!overlaps(subBands[c], a, b)) {
            continue;
        }
        std::optional<int> found;
        const BandInstance* own = runOf(context, &subBands[c]);
        if (own != nullptr && own->parent == inst) {
            found = firstIn(own, a, b, context);
        } else {
            for (const BandInstance* copy : inst->children[c]) {
                if ((found = firstIn(copy, a, b, context))) {
                    break;
                }
            }
        }
        if (found && (!best || *found < *best)) {
            best = found;
        }
    }
    return best;
}

std::optional<int> SheetLayout::lastIn(const BandInstance* inst, int a, int b,
                                       const BandInstance* context) const {
    std::optional<int> best;
    const auto row = std::upper_bound(inst->rows.begin(), inst->rows.end(), std::make_pair(b, MaxRows));
    if (row != inst->rows.begin() && std::prev(row)->first >= a) {
        best = std::prev(row)->second;
    }
    const auto& subBands = inst->band->children;
    for (size_t c = 0; c < subBands.size(); ++c) {
        if (!overlaps(subBands[c], a, b)) {
            continue;
        }
        std::optional<int> found;
        const BandInstance* own = runOf(context, &subBands[c]);
        if (own != nullptr && own->parent == inst) {
            found = lastIn(own, a, b, context);
        } else {
            const auto& copies = inst->children[c];
            for (auto it = copies.rbegin(); it != copies.rend(); ++it) {
                if ((found = lastIn(*it, a, b, context))) {
                    break;
                }
            }
        }
        if (found && (!best || *found > *best)) {
            best = found;
        }
    }
    return best;
}

std::optional<RowSpan> SheetLayout::resolve(RowSpan rows, bool single, const BandInstance* context) const {
    // Rows below the template's last used row move with the growth of the sheet as a whole.
    const int shift = m_outputRows - m_templateRows;
    const auto tail = [&](int r) { return std::min(r + shift, MaxRows - 1); };
    if (rows.first >= m_templateRows) {
        if (rows.first + shift >= MaxRows) {
            return std::nullopt;
        }
        return RowSpan{tail(rows.first), tail(rows.last)};
    }
    const int lastInside = std::min(rows.last, m_templateRows - 1);
    std::optional<int> first = firstIn(m_root, rows.first, lastInside, context);
    if (single) {
        return first ? std::optional<RowSpan>(RowSpan{*first, *first}) : std::nullopt;
    }
    std::optional<int> last =
        rows.last >= m_templateRows ? tail(rows.last) : lastIn(m_root, rows.first, lastInside, context);
    if (!first && rows.last >= m_templateRows) {
        first = tail(m_templateRows);
    }
    if (!first || !last) {
        return std::nullopt;
    }
    return RowSpan{*first, *last};
}

std::optional<RowSpan> SheetLayout::resolveIn(const BandInstance* instance, int first, int last) const {
    const std::optional<int> a = firstIn(instance, first, last, instance);
    const std::optional<int> b = lastIn(instance, first, last, instance);
    if (!a || !b) {
        return std::nullopt;
    }
    return RowSpan{*a, *b};
}

}  // namespace tervalo::report
