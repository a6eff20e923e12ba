// The request texts of the page-movie bridge:
// <invoke name="F" returntype="xml"><arguments><string>A</string>...</arguments></invoke>.
// Arguments are XML-escaped when a text is built and unescaped when it is read.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly {

struct InvokeRequest {
    QString name;
    QStringList arguments;
};

// Escapes the characters XML reserves in text ("&", "<", ">", '"') and writes tab, line feed and
// carriage return as character references, so every character XML can carry arrives unchanged.
QString EscapeXml(const QString& text);

// False when text holds a character XML cannot carry even as a reference (most control
// characters, U+FFFE, U+FFFF, a lone surrogate): no request can hand such a text to the movie.
bool XmlCanCarry(const QString& text);

// The request text that calls function name with the given string arguments.
QString InvokeText(const QString& name, const QStringList& arguments);

// Reads a request text. Only string arguments are understood: anything else, or text that is
// not well-formed, gives nothing.
std::optional<InvokeRequest> ParseInvoke(const QString& request);

} // namespace tessaly
