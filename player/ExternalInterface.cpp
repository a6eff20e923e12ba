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
        // A reader turns a literal carriage return into a line feed, and all three into spaces
        // inside an attribute; as references they arrive as they were.
        case '\t':
        case '\n':
        case '\r':
            out += QLatin1String("&#") + QString::number(c.unicode()) + QLatin1Char(';');
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool XmlCanCarry(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        const bool allowed =
            c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
        if (!allowed)
            return false;
    }
    return true;
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
