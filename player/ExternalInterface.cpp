// Building and reading the bridge's request texts.
#include "player/ExternalInterface.h"

#include <QXmlStreamReader>

namespace tessaly {

QString EscapeXml(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString InvokeText(const QString& name, const QStringList& arguments) {
    QString text = QLatin1String("<invoke name=\"") + EscapeXml(name) +
                   QLatin1String("\" returntype=\"xml\"><arguments>");
    for (const QString& argument : arguments)
        text += QLatin1String("<string>") + EscapeXml(argument) + QLatin1String("</string>");
    return text + QLatin1String("</arguments></invoke>");
}

std::optional<InvokeRequest> ParseInvoke(const QString& request) {
    QXmlStreamReader xml(request);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("invoke"))
        return std::nullopt;
    InvokeRequest result;
    result.name = xml.attributes().value(QLatin1String("name")).toString();
    if (result.name.isEmpty())
        return std::nullopt;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("arguments"))
            return std::nullopt;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("string"))
                return std::nullopt;
            result.arguments << xml.readElementText();
        }
    }
    // Reading to the end also catches text after the closing tag.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return std::nullopt;
    return result;
}

} // namespace tessaly
