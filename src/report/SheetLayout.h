#pragma once

#include "report/Band.h"
#include "report/Formula.h"

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tervalo::report {

// One run of a band's rows: the output row of each of its own template rows (rows of sub-bands
// excluded) and the runs of its sub-bands.
struct BandInstance {
    const Band* band = nullptr;
    const BandInstance* parent = nullptr;
    std::vector<std::pair<int, int>> rows;             // template row -> output row, ascending
    std::vector<std::vector<BandInstance*>> children;  // per sub-band of `band`, in output order
};

// Where the template rows of one sheet ended up. A reference made from inside a band run sees that
// run's rows; seen from outside a band, a range over the band covers all its runs and a single cell
// the first run.
class SheetLayout {
public:
    SheetLayout(Band root, int templateRows);

    BandInstance* root() { return m_root; }
    const Band& rootBand() const { return *m_rootBand; }
    BandInstance* newInstance(const Band* band, BandInstance* parent);
    void finish(int outputRows) { m_outputRows = outputRows; }

    // `context` is the innermost band run holding the referring cell, or nullptr (names, other sheets).
    std::optional<RowSpan> resolve(RowSpan rows, bool single, const BandInstance* context) const;
    // First and last output rows of template rows [first, last] inside one band run.
    std::optional<RowSpan> resolveIn(const BandInstance* instance, int first, int last) const;

private:
    std::optional<int> firstIn(const BandInstance* inst, int a, int b, const BandInstance* context) const;
    std::optional<int> lastIn(const BandInstance* inst, int a, int b, const BandInstance* context) const;

    std::unique_ptr<Band> m_rootBand;
    std::deque<BandInstance> m_instances;
    BandInstance* m_root = nullptr;
    int m_templateRows = 0;
    int m_outputRows = 0;
};

}  // namespace tervalo::report
