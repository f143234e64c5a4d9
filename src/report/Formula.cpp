#include "report/Formula.h"

#include "report/ByteIo.h"

namespace tervalo::report {

namespace {

// Base token ids with the class bits (0x20 reference, 0x40 value, 0x60 array) taken away.
constexpr uint8_t PtgExp = 0x01;
constexpr uint8_t PtgTbl = 0x02;
constexpr uint8_t PtgStr = 0x17;
constexpr uint8_t PtgAttr = 0x19;
constexpr uint8_t PtgRef = 0x24;
constexpr uint8_t PtgArea = 0x25;
constexpr uint8_t PtgRefN = 0x2C;
constexpr uint8_t PtgAreaN = 0x2D;
constexpr uint8_t PtgRef3d = 0x3A;
constexpr uint8_t PtgArea3d = 0x3B;
constexpr uint8_t AttrChoose = 0x04;

uint8_t baseOf(uint8_t ptg) {
    return ptg < 0x20 ? ptg : uint8_t((ptg & 0x1F) | 0x20);
}
uint8_t withBase(uint8_t ptg, uint8_t base) {
    return uint8_t((base & 0x1F) | (ptg & 0x60));
}

// Bytes that follow the token id.
int operandSize(const char* p, int remaining) {
    const uint8_t ptg = uint8_t(p[0]);
    const auto need = [&](int n) {
        if (n >= remaining) {
            throw XlsFormatError(QStringLiteral("vzorec je zkrácený"), 0);
        }
    };
    switch (baseOf(ptg)) {
        case PtgExp:
        case PtgTbl:
            return 4;
        case PtgStr: {
            need(2);
            const int cch = uint8_t(p[1]);
            return 2 + cch * ((uint8_t(p[2]) & 0x01) ? 2 : 1);
        }
        case PtgAttr: {
            need(3);
            if (uint8_t(p[1]) & AttrChoose) {
                return 3 + (getU16(p + 2) + 1) * 2;
            }
            return 3;
        }
        case 0x1C:
        case 0x1D:
            return 1;
        case 0x1E:
            return 2;
        case 0x1F:
            return 8;
        case 0x20:
            return 7;
        case 0x21:
        case 0x29:
            return 2;
        case 0x22:
            return 3;
        case 0x23:
        case 0x24:
        case 0x2A:
        case 0x2C:
            return 4;
        case 0x25:
        case 0x2B:
        case 0x2D:
            return 8;
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x39:
        case 0x3A:
        case 0x3C:
            return 6;
        case 0x3B:
        case 0x3D:
            return 10;
        default:
            if (ptg >= 0x03 && ptg <= 0x16) {
                return 0;
            }
            throw XlsFormatError(
                QStringLiteral("neznámý prvek vzorce 0x%1").arg(ptg, 2, 16, QLatin1Char('0')), 0);
    }
}

template <typename Visit>
void forEachToken(char* rgce, int cce, Visit visit) {
    for (int pos = 0; pos < cce;) {
        const int size = operandSize(rgce + pos, cce - pos);
        if (pos + 1 + size > cce) {
            throw XlsFormatError(QStringLiteral("vzorec je zkrácený"), 0);
        }
        visit(rgce + pos);
        pos += 1 + size;
    }
}

bool isWholeColumn(int first, int last) {
    return first == 0 && last == 0xFFFF;
}

}  // namespace

void remapReferenceRows(char* rgce, int cce, const RowRemap& remap) {
    forEachToken(rgce, cce, [&](char* p) {
        const uint8_t ptg = uint8_t(p[0]);
        const uint8_t base = baseOf(ptg);
        std::optional<uint16_t> ixti;
        char* rows = p + 1;
        bool single = false;
        uint8_t errorBase = 0;
        switch (base) {
            case PtgRef:
                single = true;
                errorBase = 0x2A;
                break;
            case PtgArea:
                errorBase = 0x2B;
                break;
            case PtgRef3d:
                ixti = getU16(p + 1);
                rows = p + 3;
                single = true;
                errorBase = 0x3C;
                break;
            case PtgArea3d:
                ixti = getU16(p + 1);
                rows = p + 3;
                errorBase = 0x3D;
                break;
            default:
                return;
        }
        const int first = getU16(rows);
        const int last = single ? first : getU16(rows + 2);
        if (!single && isWholeColumn(first, last)) {
            return;
        }
        const std::optional<RowSpan> moved = remap(ixti, RowSpan{first, last}, single);
        if (!moved) {
            p[0] = char(withBase(ptg, errorBase));
            return;
        }
        setU16(rows, uint16_t(moved->first));
        if (!single) {
            setU16(rows + 2, uint16_t(moved->last));
        }
    });
}

QByteArray sharedToPlain(const QByteArray& sharedRgce, int row, int col) {
    QByteArray plain = sharedRgce;
    const auto absolute = [&](char* rw, char* cl) {
        const uint16_t colWord = getU16(cl);
        if (colWord & 0x8000) {
            setU16(rw, uint16_t(row + int16_t(getU16(rw))));
        }
        if (colWord & 0x4000) {
            const int c = (col + int8_t(colWord & 0xFF)) & 0xFF;
            setU16(cl, uint16_t((colWord & 0xC000) | c));
        }
    };
    forEachToken(plain.data(), int(plain.size()), [&](char* p) {
        const uint8_t ptg = uint8_t(p[0]);
        if (baseOf(ptg) == PtgRefN) {
            absolute(p + 1, p + 3);
            p[0] = char(withBase(ptg, PtgRef));
        } else if (baseOf(ptg) == PtgAreaN) {
            absolute(p + 1, p + 5);
            absolute(p + 3, p + 7);
            p[0] = char(withBase(ptg, PtgArea));
        }
    });
    return plain;
}

bool referencesSharedOrArray(const QByteArray& rgce) {
    QByteArray copy = rgce;
    bool found = false;
    forEachToken(copy.data(), int(copy.size()), [&](char* p) {
        const uint8_t base = baseOf(uint8_t(p[0]));
        found = found || base == PtgExp || base == PtgTbl;
    });
    return found;
}

}  // namespace tervalo::report
