#include "state/dbf/LanguageDriver.h"

#include <array>

namespace tervalo::state::dbf {

namespace {

constexpr std::array<LanguageDriver, 16> kDrivers{{
    {0x03, 1252, 0x0409, "en_US"},
    {0x1F, 852, 0x0405, "cs"},
    {0x22, 852, 0x040E, "hu"},
    {0x23, 852, 0x0415, "pl"},
    {0x26, 866, 0x0419, "ru"},
    {0x37, 850, 0x0409, "en_US"},
    {0x61, 1252, 0x0407, "de"},
    {0x64, 852, 0x0405, "cs"},
    {0x65, 866, 0x0419, "ru"},
    {0x87, 852, 0x041B, "sk"},
    {0x9B, 1250, 0x0405, "cs"},
    {0xC8, 1250, 0x0405, "cs"},
    {0xC9, 1251, 0x0419, "ru"},
    {0xCA, 1254, 0x041F, "tr"},
    {0xCB, 1253, 0x0408, "el"},
    {0xCC, 1257, 0x0427, "lt"},
}};

bool inFirstGroup(quint8 id) {
    return id == 0 || (id >= 5 && id <= 93);
}

// Highest matching identifier of the first group, else of the second; -1 when nothing matches.
int bestOf(bool (*matches)(const LanguageDriver&, int, unsigned), int codePage, unsigned localeId) {
    int first = -1;
    int second = -1;
    for (const auto& driver : kDrivers) {
        if (!matches(driver, codePage, localeId)) {
            continue;
        }
        int& slot = inFirstGroup(driver.id) ? first : second;
        slot = std::max(slot, int(driver.id));
    }
    return first >= 0 ? first : second;
}

}  // namespace

quint8 chooseLanguageDriver(int ansiCodePage, unsigned localeId) {
    int id = bestOf(
        [](const LanguageDriver& d, int cp, unsigned lcid) { return d.codePage == cp && d.localeId == lcid; },
        ansiCodePage, localeId);
    if (id < 0) {
        id = bestOf([](const LanguageDriver& d, int, unsigned lcid) { return d.localeId == lcid; },
                    ansiCodePage, localeId);
    }
    return id < 0 ? 0 : quint8(id);
}

const LanguageDriver* findLanguageDriver(quint8 id) {
    for (const auto& driver : kDrivers) {
        if (driver.id == id) {
            return &driver;
        }
    }
    return nullptr;
}

}  // namespace tervalo::state::dbf
