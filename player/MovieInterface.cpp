// The movie's side of the bridge.
#include "player/MovieInterface.h"

#include "player/ExternalInterface.h"

namespace tessaly {

void MovieInterface::addCallback(const QString& name, const QJSValue& fn) {
    if (fn.isCallable())
        m_callbacks.insert(name, fn);
}

void MovieInterface::call(const QString& name, const QJSValue& a1, const QJSValue& a2, const QJSValue& a3) {
    QStringList arguments;
    for (const QJSValue* a : {&a1, &a2, &a3}) {
        if (a->isUndefined())
            break;
        arguments << a->toString();
    }
    emit request(InvokeText(name, arguments));
}

std::optional<QJSValue> MovieInterface::invoke(const QString& name, const QStringList& arguments) {
    const auto it = m_callbacks.constFind(name);
    if (it == m_callbacks.constEnd())
        return std::nullopt;
    QJSValueList values;
    for (const QString& argument : arguments)
        values << QJSValue(argument);
    // A copy: the function may register callbacks again while it runs.
    QJSValue fn = *it;
    QJSValue result = fn.call(values);
    if (result.isError())
        return std::nullopt;
    return result;
}

} // namespace tessaly
