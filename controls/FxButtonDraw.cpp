// CFxButton drawing: one state built in an off-screen image, then outline and a single copy.
#include "controls/BitmapResources.h"
#include "controls/CaptionFont.h"
#include "controls/FocusRect.h"
#include "controls/FxButton.h"
#include "controls/TextFlags.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace tessaly {
namespace {

// The platform's single-precision 0.7, applied in double precision: 200 gives 139.
constexpr double kDarken = static_cast<double>(0.7f);

QPoint BevelShift(BevelStyle bevel) {
    switch (bevel) {
    case BevelStyle::Raised:
        return {-1, -1};
    case BevelStyle::Sunken:
        return {1, 1};
    case BevelStyle::Flat:
        break;
    }
    return {0, 0};
}

QColor Darkened(const QColor& colour) {
    auto channel = [](int value) { return static_cast<int>(value * kDarken); };
    return QColor(channel(colour.red()), channel(colour.green()), channel(colour.blue()));
}

} // namespace

void CFxButton::DrawItem(QPainter& target, const DrawRequest& request) {
    DrawRequest shown = request;
    if (m_hasCapture && m_mouseDown) {
        // The pushed look follows the pointer while the button holds the mouse.
        const bool over = IsOverControl(m_lastMousePos);
        m_hover = over;
        if (isDown() != over)
            setDown(over);
        shown.selected = over;
    }

    ButtonState state = ButtonState::Normal;
    if (shown.disabled)
        state = ButtonState::Disabled;
    else if (shown.selected || m_checked)
        state = ButtonState::Pressed;
    else if (m_hover)
        state = ButtonState::Hover;
    m_focused = shown.focus;
    m_currentState = state;
    const int idx = StateIndex(state);

    if (m_clientRect.width() <= 0 || m_clientRect.height() <= 0) {
        SetWindowOutline(state);
        return;
    }

    // Built in device pixels, so that pictures and caption are as sharp as the screen allows.
    const qreal ratio = target.device() ? target.device()->devicePixelRatioF() : 1;
    PrepareDenseSurfaces(ratio);
    QImage offscreen(m_clientRect.size() * ratio, QImage::Format_RGB32);
    offscreen.setDevicePixelRatio(ratio);
    offscreen.fill(Qt::black);
    {
        QPainter dc(&offscreen);
        dc.translate(-m_clientRect.topLeft());
        if (m_fillBackground[idx])
            DrawBackground(dc, m_clientRect, state);
        if (m_drawImage && (m_hasBitmap[idx] || state == ButtonState::Normal))
            DrawImage(dc, state);
        if (m_drawText)
            DrawLabel(dc, m_clientRect, state);
        if (m_drawFrame)
            DrawFrame(dc, m_clientRect, state);
    }

    SetWindowOutline(state);
    target.save();
    if (!m_copyUnclipped && m_shapeRegion[idx])
        target.setClipRegion(*m_shapeRegion[idx], Qt::IntersectClip);
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawImage(m_clientRect.topLeft(), offscreen);
    target.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_focused && m_drawFocus)
        DrawFocus(target, state);
    target.restore();
}

void CFxButton::PrepareDenseSurfaces(qreal ratio) {
    if (ratio == m_denseRatio)
        return;
    m_denseRatio = ratio;
    for (int i = 0; i < kStateCount; ++i)
        m_denseSurface[i] = m_hasBitmap[i] ? LoadDenseBitmapResource(m_bitmapIds[i], ratio) : QImage();
}

void CFxButton::SetWindowOutline(ButtonState state) {
    const int idx = StateIndex(state);
    if (m_shapeOn[idx] && m_shapeRegion[idx] && !m_imageSurface[idx].isNull()) {
        m_windowRegion = *m_shapeRegion[idx];
        // Qt takes an empty mask for "no mask"; a mask beside the button keeps an empty outline empty.
        setMask(m_windowRegion.isEmpty() ? QRegion(-1, -1, 1, 1) : m_windowRegion);
    } else {
        m_windowRegion = QRegion();
        clearMask();
    }
}

void CFxButton::DrawBackground(QPainter& dc, const QRect& rect, ButtonState state) {
    dc.fillRect(rect, m_background[StateIndex(state)]);
}

void CFxButton::DrawFrame(QPainter&, const QRect&, ButtonState) {
}

void CFxButton::DrawImage(QPainter& dc, ButtonState state) {
    const int idx = StateIndex(state);
    QRect r = m_imageRect[idx];
    QRegion clip = m_hasImageRegion[idx] && m_imageRegion[idx] ? *m_imageRegion[idx] : QRegion(m_clientRect);
    if (m_imageShift[idx]) {
        const QPoint shift = BevelShift(m_bevel[idx]);
        r.translate(shift);
        clip.translate(shift);
    }
    const int source =
        state == ButtonState::Normal && m_alternateNormal ? StateIndex(ButtonState::Disabled) : idx;
    // The picture made for the screen's density where there is one; its pixels per picture pixel
    // scale the source rectangle.
    const bool dense = !m_denseSurface[source].isNull();
    const QImage& surface = dense ? m_denseSurface[source] : m_imageSurface[source];
    if (surface.isNull() || r.isEmpty() || m_imageSize[idx].isEmpty())
        return;
    const qreal sourceScale = dense ? surface.devicePixelRatio() : 1;
    dc.save();
    if (m_imageKeyOn[idx])
        dc.setClipRegion(clip);
    dc.setRenderHint(QPainter::SmoothPixmapTransform, true);
    dc.drawImage(QRectF(r), surface, QRectF(QPointF(0, 0), QSizeF(m_imageSize[idx]) * sourceScale));
    dc.restore();
}

void CFxButton::DrawLabel(QPainter& dc, const QRect& rect, ButtonState state) {
    const int idx = StateIndex(state);
    dc.save();
    dc.setFont(MakeCaptionFont(m_fontHeight[idx], m_faceName[idx]));
    dc.setPen(m_textColor[idx]);
    dc.setBackgroundMode(Qt::TransparentMode);

    QRect r = m_textRect[idx].isEmpty() ? rect : m_textRect[idx];
    if (r == rect) {
        const int inset = std::max(0, LargestBorder()) + 1;
        r.adjust(inset, inset, -inset, -inset);
    }
    if (m_textShift[idx])
        r.translate(BevelShift(m_bevel[idx]));

    const int flags = QtTextFlags(m_textFormat[idx]);
    if (state == ButtonState::Disabled) {
        dc.setPen(Qt::white);
        dc.drawText(r.translated(1, 1), flags, m_text[idx]);
        dc.setPen(Darkened(m_background[idx]));
        dc.drawText(r, flags, m_text[idx]);
        dc.setPen(m_textColor[idx]);
    } else {
        dc.drawText(r, flags, m_text[idx]);
    }

    if (m_kind != ButtonKind::PushKind && !m_pushLike) {
        // Disabled shows the inactive glyph, without the check mark.
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = m_glyphRect;
        option.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_HasFocus |
                          QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_Enabled);
        if (state == ButtonState::Disabled) {
            option.state |= QStyle::State_Off;
            option.palette.setCurrentColorGroup(QPalette::Disabled);
        } else
            option.state |= QStyle::State_Enabled | (m_checked ? QStyle::State_On : QStyle::State_Off);
        const auto element =
            m_kind == ButtonKind::RadioKind ? QStyle::PE_IndicatorRadioButton : QStyle::PE_IndicatorCheckBox;
        style()->drawPrimitive(element, &option, &dc, this);
    }
    dc.restore();
}

void CFxButton::DrawFocus(QPainter& target, ButtonState state) {
    if (m_kind == ButtonKind::PushKind || m_pushLike) {
        DrawDottedFocusRect(target, m_focusRect);
        return;
    }
    const int idx = StateIndex(state);
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(m_text[idx]);
    const int spaceWidth = metrics.horizontalAdvance(QStringLiteral(" "));
    const int textHeight = metrics.height();
    QRect r(0, 0, textWidth + spaceWidth, textHeight);
    r.translate(m_leftText ? spaceWidth : m_glyphRect.width() + 2 * spaceWidth,
                (m_textRect[idx].height() - textHeight) / 2);
    DrawDottedFocusRect(target, r);
}

void CFxButton::paintEvent(QPaintEvent* event) {
    if (!m_attached) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    DrawItem(painter, DrawRequest{isDown(), !isEnabled(), hasFocus()});
}

} // namespace tessaly
