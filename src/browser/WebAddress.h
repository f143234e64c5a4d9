#pragma once

#include <QString>

#include <optional>

namespace tervalo::browser {

// The web page a debtor's web address from the export names, as the desktop's opener is to get it:
// "http://" put in front when the text has no scheme of its own ("www.firma.cz", "firma.cz:8080"),
// and only an http or https address with a host accepted. None for anything else (a local file,
// a share, another program's scheme), which must not reach the opener.
std::optional<QString> WebPageAddress(const QString& text);

}  // namespace tervalo::browser
