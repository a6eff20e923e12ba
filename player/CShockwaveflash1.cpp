// The player control: the movie's own window inside a plain widget.
#include "player/CShockwaveflash1.h"

#include "player/ExternalInterface.h"
#include "player/FreedMemory.h"
#include "player/MovieAccessible.h"
#include "player/MovieInterface.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSGRendererInterface>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

// Made by Qt's QML tooling from the Tessaly.Movie module's classes.
void qml_register_types_Tessaly_Movie();

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

int ReadyState(QQuickView::Status status) {
    switch (status) {
    case QQuickView::Loading:
        return 0;
    case QQuickView::Ready:
        return CShockwaveflash1::kReadyStateComplete;
    default:
        return 1;
    }
}

// Posted to the control to read its movie; low priority, behind the drawing of a page just shown.
const QEvent::Type kLoadMovieEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Qt Quick draws the movie in software: with OpenGL, a software OpenGL (some 40 MiB) would stay
// in the process for as long as it runs, for a small window showing one video. The choice holds
// for every Qt Quick window of the process and must come before the first one is made; the movie
// draws its video with a picture item of its own, which needs no OpenGL either. The movie's own
// module is registered here too: its bridge is looked up before the first movie imports it.
void PrepareMovieDrawing() {
    static const bool prepared = [] {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        qml_register_types_Tessaly_Movie();
        return true;
    }();
    Q_UNUSED(prepared);
}

// The movie engine's own bridge, which the movie sees as ExternalInterface.
MovieInterface* BridgeOf(QQmlEngine& engine) {
    static const int type = qmlTypeId("Tessaly.Movie", 1, 0, "ExternalInterface");
    return engine.singletonInstance<MovieInterface*>(type);
}

} // namespace

CShockwaveflash1::CShockwaveflash1(QWidget* parent) : QWidget(parent) {
    InstallMovieAccessibility();
}

CShockwaveflash1::~CShockwaveflash1() {
    // The movie and its registered functions go before the engine they belong to; the page that
    // listens is being torn down too, so it hears nothing more.
    blockSignals(true);
    if (m_view) {
        m_view->setSource(QUrl());
        m_interface->clear();
    }
}

void CShockwaveflash1::put_Movie(const QString& path) {
    m_movie = path;
    if (m_interface)
        m_interface->clear();
    m_loadPending = true;
    emit OnReadyStateChange(0);
    AskToLoad();
}

QQuickView::Status CShockwaveflash1::status() const {
    if (m_loadPending)
        return QQuickView::Loading;
    return m_view ? m_view->status() : QQuickView::Null;
}

QQuickItem* CShockwaveflash1::rootObject() const {
    return m_view ? m_view->rootObject() : nullptr;
}

void CShockwaveflash1::AskToLoad() {
    QCoreApplication::postEvent(this, new QEvent(kLoadMovieEvent), Qt::LowEventPriority);
}

bool CShockwaveflash1::event(QEvent* event) {
    if (event->type() != kLoadMovieEvent)
        return QWidget::event(event);
    // Reading the movie takes a while (its engine, the media pipeline): a control on screen is
    // drawn first, and its first drawing asks again.
    if (m_loadPending && (m_painted || !isVisible()))
        LoadMovie();
    return true;
}

void CShockwaveflash1::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Qt::black);
    if (!m_painted) {
        m_painted = true;
        if (m_loadPending)
            AskToLoad();
    }
}

void CShockwaveflash1::LoadMovie() {
    m_loadPending = false;
    if (!m_view) {
        PrepareMovieDrawing();
        KeepFramesOutOfTheHeap();
        m_view = new QQuickView;
        m_view->setResizeMode(QQuickView::SizeRootObjectToView);
        m_view->setColor(Qt::black);
        m_interface = BridgeOf(*m_view->engine());
        connect(m_interface, &MovieInterface::request, this, &CShockwaveflash1::FlashCall);
        connect(m_view, &QQuickView::statusChanged, this, [this](QQuickView::Status status) {
            // A screen reader learns that the control's one child, the movie, is there.
            if (status == QQuickView::Ready && m_view->rootObject()) {
                QAccessibleEvent created(m_view->rootObject(), QAccessible::ObjectCreated);
                QAccessible::updateAccessibility(&created);
                // A control that had the keyboard before its movie came hands it on now.
                if (hasFocus())
                    m_container->setFocus(Qt::OtherFocusReason);
            }
            emit OnReadyStateChange(ReadyState(status));
        });
        m_container = QWidget::createWindowContainer(m_view, this);
        // The control takes the focus from Tab and hands it on; the container is no stop of its own.
        m_container->setFocusPolicy(Qt::NoFocus);
        m_view->installEventFilter(this);
        // The movie's window covers the whole control, whatever size it is given.
        auto* cover = new QVBoxLayout(this);
        cover->setContentsMargins(0, 0, 0, 0);
        cover->addWidget(m_container);
        m_container->show();
    }
    m_view->setSource(QUrl::fromLocalFile(m_movie));
}

void CShockwaveflash1::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    QQuickItem* root = rootObject();
    if (!root || !m_container)
        return;
    m_container->setFocus(event->reason());
    if (event->reason() == Qt::TabFocusReason)
        root->nextItemInFocusChain(true)->forceActiveFocus(Qt::TabFocusReason);
    else if (event->reason() == Qt::BacktabFocusReason)
        root->nextItemInFocusChain(false)->forceActiveFocus(Qt::BacktabFocusReason);
}

bool CShockwaveflash1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_view || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool backtab = key->key() == Qt::Key_Backtab ||
                         (key->key() == Qt::Key_Tab && key->modifiers().testFlag(Qt::ShiftModifier));
    const bool tab = !backtab && key->key() == Qt::Key_Tab;
    QQuickItem* root = rootObject();
    if ((!tab && !backtab) || !root)
        return false;
    // Past the movie's last control (or before its first) the Tab order goes on among the widgets.
    QQuickItem* focused = m_view->activeFocusItem();
    QQuickItem* edge = root->nextItemInFocusChain(!tab);
    if (focused && focused != root && focused != edge)
        return false;
    if (!focused || focused == root) {
        (tab ? root->nextItemInFocusChain(true) : edge)
            ->forceActiveFocus(tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return true;
    }
    LeaveMovie(tab);
    return true;
}

void CShockwaveflash1::LeaveMovie(bool forward) {
    QWidget* next = this;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != this && (isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus) ||
                              !next->isVisible() || !next->isEnabled()));
    // The movie's window has the keyboard; the control's own window takes it back.
    window()->activateWindow();
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void CShockwaveflash1::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    CallMovieFunction("park");
    QTimer::singleShot(kReturnMemoryDelayMs, this, [this] {
        if (!isVisible())
            ReturnFreedMemory();
    });
}

void CShockwaveflash1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    CallMovieFunction("unpark");
}

void CShockwaveflash1::CallMovieFunction(const char* name) {
    if (QQuickItem* root = rootObject())
        QMetaObject::invokeMethod(root, name);
}

QString CShockwaveflash1::CallFunction(const QString& request) {
    // A movie asked for and not yet read is read now: no call is lost to the wait.
    if (m_loadPending)
        LoadMovie();
    const std::optional<InvokeRequest> invoke = ParseInvoke(request);
    if (!invoke || !m_interface)
        return {};
    const std::optional<QJSValue> result = m_interface->invoke(invoke->name, invoke->arguments);
    return result ? ValueText(*result) : QString();
}

} // namespace tessaly
