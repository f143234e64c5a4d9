#include "platform/Guarded.h"

#include "platform/Error.h"

#include <cxxabi.h>

#include <exception>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace tervalo::platform {

namespace {

QString typeName(const std::type_info& type) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    return QString::fromUtf8(status == 0 && demangled ? demangled.get() : type.name());
}

}  // namespace

bool Guarded(UserInterface& ui, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const Error& e) {
        ui.error(e.text());
        return false;
    }
}

bool GuardedToTheLast(const std::function<void(const QString& text)>& show,
                      const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const Error& e) {
        show(e.text());
    } catch (const std::exception& e) {
        const QString text = QStringLiteral("Neočekávaná chyba programu (%1): %2")
                                 .arg(typeName(typeid(e)), QString::fromUtf8(e.what()));
        std::fprintf(stderr, "tervalo: %s\n", text.toLocal8Bit().constData());
        show(text);
    }
    return false;
}

}  // namespace tervalo::platform
