// A fetched page's bytes as text, in the page's own character set. Browser module; any thread.
#pragma once

#include <QByteArray>
#include <QString>

namespace tessaly {

// Decodes body by the charset of contentType (the server's header), else by the page's byte order
// mark or <meta> charset, else as UTF-8; an encoding nobody knows counts as none given.
QString DecodePage(const QByteArray& body, const QByteArray& contentType);

} // namespace tessaly
