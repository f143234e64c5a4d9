#include "transport/AddressText.h"

namespace tervalo::transport {

QString trimControl(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1].unicode() <= u' ') {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

QString extractAddress(QStringView entry) {
    const qsizetype open = entry.indexOf(u'<');
    if (open < 0) {
        return trimControl(entry);
    }
    const qsizetype close = entry.indexOf(u'>', open + 1);
    return trimControl(close < 0 ? entry.mid(open + 1) : entry.mid(open + 1, close - open - 1));
}

}  // namespace tervalo::transport
