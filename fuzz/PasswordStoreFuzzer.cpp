// rdata1.dti, the SMTP password file, as start-up reads it.
#include "FuzzSupport.h"

#include "settings/PasswordStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervalo;
    fuzz::writeInput(app::PasswordStore::fileName(), fuzz::bytesOf(data, size));
    app::AppSettings settings;
    app::LoadPassword(settings, fuzz::workDir(), fuzz::czechLocale().codec());
    return 0;
}
