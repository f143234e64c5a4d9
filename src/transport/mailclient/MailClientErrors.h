#pragma once

namespace tervalo::transport {

// Errors of choosing a mail client, raised as EJclMapiError without a result code; each tells the
// user, in Czech, what to install or choose instead.

// No desktop mail client can show a message in its compose window.
[[noreturn]] void RaiseNoDesktopMailClient();

// No system mail submission program (sendmail) takes a message without a window.
[[noreturn]] void RaiseNoMailSubmission();

// The client chosen by its position is not in the list of installed clients.
[[noreturn]] void RaiseClientNotListed();

}  // namespace tervalo::transport
