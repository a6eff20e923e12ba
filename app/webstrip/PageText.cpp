// Character set of a fetched page: header first, then the page itself, then UTF-8.
#include "app/webstrip/PageText.h"

#include <QByteArrayList>
#include <QStringDecoder>

namespace tessaly {
namespace {

// The charset parameter of a Content-Type value, e.g. "text/html; charset=GBK"; empty if none.
QByteArray CharsetOf(const QByteArray& contentType) {
    for (const QByteArray& part : contentType.split(';')) {
        const QByteArray parameter = part.trimmed();
        if (!parameter.toLower().startsWith("charset="))
            continue;
        QByteArray name = parameter.mid(8).trimmed();
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
            name = name.mid(1, name.size() - 2);
        return name;
    }
    return {};
}

} // namespace

QString DecodePage(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray charset = CharsetOf(contentType);
    QStringDecoder decoder = charset.isEmpty() ? QStringDecoder() : QStringDecoder(charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder::decoderForHtml(body);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(body);
}

} // namespace tessaly
