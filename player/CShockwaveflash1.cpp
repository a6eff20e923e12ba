// The player control over a QQuickWidget.
#include "player/CShockwaveflash1.h"

#include "player/ExternalInterface.h"
#include "player/FreedMemory.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QTimer>
#include <QUrl>

namespace tessaly {
namespace {

QString ValueText(const QJSValue& value) {
    if (value.isUndefined())
        return QStringLiteral("<undefined/>");
    if (value.isNull())
        return QStringLiteral("<null/>");
    if (value.isBool())
        return value.toBool() ? QStringLiteral("<true/>") : QStringLiteral("<false/>");
    if (value.isNumber())
        return QLatin1String("<number>") + value.toString() + QLatin1String("</number>");
    return QLatin1String("<string>") + EscapeXml(value.toString()) + QLatin1String("</string>");
}

// Long enough for the pipeline's threads and the objects it leaves for deletion to be gone.
constexpr int kReturnMemoryDelayMs = 1000;

int ReadyState(QQuickWidget::Status status) {
    switch (status) {
    case QQuickWidget::Loading:
        return 0;
    case QQuickWidget::Ready:
        return 4;
    default:
        return 1;
    }
}

} // namespace

CShockwaveflash1::CShockwaveflash1(QWidget* parent) : QQuickWidget(parent) {
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    setClearColor(Qt::black);
    rootContext()->setContextProperty(QStringLiteral("ExternalInterface"), &m_interface);
    connect(&m_interface, &MovieInterface::request, this, &CShockwaveflash1::FlashCall);
    connect(this, &QQuickWidget::statusChanged, this,
            [this](QQuickWidget::Status status) { emit OnReadyStateChange(ReadyState(status)); });
}

CShockwaveflash1::~CShockwaveflash1() {
    // The movie and its registered functions go before the interface they point at; the page
    // that listens is being torn down too, so it hears nothing more.
    blockSignals(true);
    setSource(QUrl());
    m_interface.clear();
    rootContext()->setContextProperty(QStringLiteral("ExternalInterface"), nullptr);
}

void CShockwaveflash1::put_Movie(const QString& path) {
    m_movie = path;
    m_interface.clear();
    setSource(QUrl::fromLocalFile(path));
}

void CShockwaveflash1::hideEvent(QHideEvent* event) {
    // The movie sees its window hidden here and lets go of its file (plsys.dll); the view drops
    // its frames and textures.
    QQuickWidget::hideEvent(event);
    QTimer::singleShot(kReturnMemoryDelayMs, this, [this] {
        if (!isVisible())
            ReturnFreedMemory();
    });
}

QString CShockwaveflash1::CallFunction(const QString& request) {
    const std::optional<InvokeRequest> invoke = ParseInvoke(request);
    if (!invoke)
        return {};
    const std::optional<QJSValue> result = m_interface.invoke(invoke->name, invoke->arguments);
    return result ? ValueText(*result) : QString();
}

} // namespace tessaly
