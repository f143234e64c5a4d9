#include "report/Band.h"

#include "report/ByteIo.h"
#include "report/ReportError.h"

#include <algorithm>

namespace tervalo::report {

namespace {

constexpr uint8_t PtgRef3d = 0x3A;
constexpr uint8_t PtgArea3d = 0x3B;
constexpr uint16_t RelativeFlags = 0xC000;

struct BandName {
    Band band;
    int sheet = -1;
};

QString withoutSheetPrefix(const QString& name) {
    return name.mid(name.lastIndexOf(QLatin1Char('!')) + 1);
}

BandName readBandName(const Workbook& book, const DefinedName& name, const QString& text) {
    const QByteArray& data = book.globals[size_t(name.recordIndex)].data;
    const char* rgce = data.constData() + name.rgceOffset;
    const uint8_t ptg = name.cce > 0 ? uint8_t((rgce[0] & 0x1F) | 0x20) : 0;
    const auto refuse = [&] {
        return ReportError(QStringLiteral("Pás %1 musí být pojmenovaná oblast celých řádků jednoho listu "
                                          "zadaná absolutními odkazy (např. $A$3:$IV$4).")
                               .arg(name.name));
    };
    BandName result;
    uint16_t colFirst = 0, colLast = 0;
    if (ptg == PtgArea3d && name.cce == 11) {
        result.band.first = getU16(rgce + 3);
        result.band.last = getU16(rgce + 5);
        colFirst = getU16(rgce + 7);
        colLast = getU16(rgce + 9);
    } else if (ptg == PtgRef3d && name.cce == 7) {
        result.band.first = result.band.last = getU16(rgce + 3);
        colFirst = colLast = getU16(rgce + 5);
    } else {
        throw refuse();
    }
    if ((colFirst | colLast) & RelativeFlags) {
        throw refuse();
    }
    const auto sheet = book.sheetOfXti(getU16(rgce + 1));
    if (!sheet) {
        throw refuse();
    }
    result.sheet = *sheet;
    result.band.name = name.name;
    const QString rest = text.mid(2);
    for (const QString& part : rest.split(QStringLiteral("__"))) {
        if (!part.isEmpty()) {
            result.band.datasets.append(part);
        }
    }
    return result;
}

bool tallerFirst(const Band& a, const Band& b) {
    if (a.first != b.first) {
        return a.first < b.first;
    }
    return a.last > b.last;
}

// Takes the bands inside `parent` top to bottom without overlap; each takes the bands inside it.
void collectChildren(Band& parent, std::vector<Band> inside) {
    int lastEnd = parent.first - 1;
    for (size_t k = 0; k < inside.size(); ++k) {
        const Band& candidate = inside[k];
        if (candidate.first <= lastEnd) {
            continue;
        }
        Band child = candidate;
        lastEnd = child.last;
        std::vector<Band> grandChildren;
        for (size_t j = k + 1; j < inside.size(); ++j) {
            if (child.contains(inside[j].first, inside[j].last)) {
                grandChildren.push_back(inside[j]);
            }
        }
        collectChildren(child, std::move(grandChildren));
        parent.children.push_back(std::move(child));
    }
}

}  // namespace

std::optional<Band> findMainBand(const Workbook& book, int sheet) {
    std::vector<Band> bands;
    for (const DefinedName& name : book.names) {
        const QString text = withoutSheetPrefix(name.name);
        if (name.builtin || !text.startsWith(QStringLiteral("__"))) {
            continue;
        }
        BandName found = readBandName(book, name, text);
        if (found.sheet == sheet) {
            bands.push_back(std::move(found.band));
        }
    }
    if (bands.empty()) {
        return std::nullopt;
    }
    std::stable_sort(bands.begin(), bands.end(), tallerFirst);
    Band main = bands.front();
    std::vector<Band> inside;
    for (size_t k = 1; k < bands.size(); ++k) {
        if (main.contains(bands[k].first, bands[k].last)) {
            inside.push_back(bands[k]);
        }
    }
    collectChildren(main, std::move(inside));
    return main;
}

}  // namespace tervalo::report
