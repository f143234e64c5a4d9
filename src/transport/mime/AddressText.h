#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace tervalo::transport {

// Without leading and trailing characters up to the space, control characters included.
QString trimControl(QStringView text);

// The address of an address entry: the text between the first "<" and the following ">" (all
// after "<" when ">" is missing), or the whole entry when it has no "<"; trimmed.
QString extractAddress(QStringView entry);

// C0 control characters and DEL. In an address they could end an SMTP command or a header line early
// and so add recipients or header fields: no address may hold one.
bool isControlCharacter(QChar ch);

// What is wrong with an address that holds a control character, as the end of a Czech sentence
// ("obsahuje nepovolený řídicí znak (kód 13)"), or nothing when it holds none. Every place where an
// address enters or leaves the program refuses it with this.
std::optional<QString> controlCharacterProblem(QStringView address);

// The warning for an address typed into the field captioned `caption` that holds a control
// character, or nothing.
std::optional<QString> addressFieldWarning(const QString& caption, QStringView address);

// The text with every control character replaced by a space, so that it stays on one line.
QString controlCharactersAsSpaces(QStringView text);

}  // namespace tervalo::transport

namespace tervalo::transport {

// The addresses of an address field: the entries between "," and ";", trimmed, empty ones left out.
QStringList addressList(QStringView field);

// A mailbox the program sends to: a dot-atom local part (ASCII), "@", and a domain of at least two
// labels separated by dots, letters of any script allowed in the domain; no blanks anywhere.
bool isValidMailbox(QStringView address);

// The Czech warning for a field that is not a list of valid mailboxes ("," or ";" between them),
// naming the first entry at fault, or nothing when every entry is valid. A field without any
// address is refused too.
std::optional<QString> invalidAddressWarning(QStringView field);

}  // namespace tervalo::transport
