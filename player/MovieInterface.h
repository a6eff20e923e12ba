// The object a movie sees as "ExternalInterface", a singleton of the Tessaly.Movie module: it
// registers the functions the page may call (addCallback) and calls the page (call). One per movie
// engine, made and owned by the engine; CShockwaveflash1 takes its own from its engine. UI thread.
#pragma once

#include <QHash>
#include <QJSValue>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace tessaly {

class MovieInterface : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(ExternalInterface)
    QML_SINGLETON
public:
    using QObject::QObject;

    // Makes fn callable by the page under name; a later registration of the name replaces it.
    Q_INVOKABLE void addCallback(const QString& name, const QJSValue& fn);
    // Sends the request "name" with up to three string arguments to the page and returns once
    // the page has handled it. The page never answers with a value.
    Q_INVOKABLE void call(const QString& name, const QJSValue& a1 = {}, const QJSValue& a2 = {},
                          const QJSValue& a3 = {});

    // Calls the registered function with the arguments; nothing when there is no such function
    // or it throws.
    std::optional<QJSValue> invoke(const QString& name, const QStringList& arguments);
    // Drops every registered function (before the movie's engine goes away).
    void clear() { m_callbacks.clear(); }

signals:
    void request(const QString& text);

private:
    QHash<QString, QJSValue> m_callbacks;
};

} // namespace tessaly
