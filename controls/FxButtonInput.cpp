// CFxButton input: press, release, drag, hover and leave, keys, focus and enabling.
// Each handler does the button's own part and then lets QPushButton do its usual handling (which
// pushes, releases and emits clicked()), except where the button stops it.
#include "controls/FxButton.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tessaly {

bool CFxButton::IsOverControl(const QPoint& pos) const {
    // Outside the outline the window below gets the mouse, as with a shaped window.
    return rect().contains(pos) && (mask().isEmpty() || mask().contains(pos));
}

bool CFxButton::hitButton(const QPoint& pos) const {
    return m_attached ? IsOverControl(pos) : QPushButton::hitButton(pos);
}

void CFxButton::mousePressEvent(QMouseEvent* event) {
    m_lastMousePos = event->position().toPoint();
    if (!m_attached || event->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(event);
        return;
    }
    m_pressElsewhere = false;
    if (m_tracking) {
        // A press ends leave tracking; the next plain move arms it again.
        m_hoverTimer.stop();
        m_tracking = false;
    }
    m_hasCapture = true;
    QPushButton::mousePressEvent(event);
    m_mouseDown = true;
}

void CFxButton::mouseReleaseEvent(QMouseEvent* event) {
    m_lastMousePos = event->position().toPoint();
    if (!m_attached || event->button() != Qt::LeftButton) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    if (m_pressElsewhere) {
        Repaint();
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    if (m_kind != ButtonKind::PushKind && IsOverControl(m_lastMousePos))
        SetCheck(m_kind == ButtonKind::CheckKind ? !m_checked : 1);
    m_mouseDown = false;
    m_hasCapture = false;
    QPushButton::mouseReleaseEvent(event);
}

void CFxButton::mouseMoveEvent(QMouseEvent* event) {
    m_lastMousePos = event->position().toPoint();
    if (!m_attached) {
        QPushButton::mouseMoveEvent(event);
        return;
    }
    if (HandleMouseMove(m_lastMousePos, event->buttons()))
        QPushButton::mouseMoveEvent(event);
}

bool CFxButton::HandleMouseMove(const QPoint& pos, Qt::MouseButtons buttons) {
    if ((buttons & Qt::LeftButton) && !m_mouseDown) {
        // The press began elsewhere: nothing happens here, and its release is ignored.
        m_pressElsewhere = true;
        return false;
    }
    if (m_hasCapture && m_mouseDown) {
        const bool over = IsOverControl(pos);
        if (isDown() != over)
            setDown(over);
        return false;
    }
    if (!m_tracking)
        ArmTracking();
    return true;
}

void CFxButton::ArmTracking() {
    m_tracking = true;
    m_hoverTimer.start();
}

void CFxButton::OnHoverTimer() {
    if (!m_tracking)
        return;
    // Armed while the pointer is elsewhere, tracking reports a leave at once.
    if (underMouse())
        MouseHover();
    else
        MouseLeave();
}

void CFxButton::MouseHover() {
    if (!m_hover) {
        m_hover = true;
        Repaint();
    }
}

void CFxButton::MouseLeave() {
    m_hoverTimer.stop();
    m_tracking = false;
    m_hover = false;
    Repaint();
}

void CFxButton::enterEvent(QEnterEvent* event) {
    if (m_attached && !m_tracking && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        ArmTracking();
    QPushButton::enterEvent(event);
}

void CFxButton::leaveEvent(QEvent* event) {
    // Also when tracking was not armed (a press ends it): a pointer that jumps straight from here
    // onto another button must not leave this one lit.
    if (m_attached && (m_tracking || m_hover))
        MouseLeave();
    QPushButton::leaveEvent(event);
}

void CFxButton::keyPressEvent(QKeyEvent* event) {
    if (m_attached && event->key() == Qt::Key_Space) {
        if (m_kind == ButtonKind::CheckKind)
            SetCheck(!m_checked);
        else if (m_kind == ButtonKind::RadioKind)
            SetCheck(1);
    }
    QPushButton::keyPressEvent(event);
}

void CFxButton::focusOutEvent(QFocusEvent* event) {
    if (m_attached && m_hasCapture) {
        m_hasCapture = false;
        m_mouseDown = false;
    }
    QPushButton::focusOutEvent(event);
}

void CFxButton::changeEvent(QEvent* event) {
    if (m_attached && event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_hoverTimer.stop();
        m_tracking = false;
        m_hover = false;
        Repaint();
    }
    QPushButton::changeEvent(event);
}

} // namespace tessaly
