// CFxButton set-up: caption and picture layout, the per-state regions and their sharing.
#include "controls/FxButton.h"
#include "controls/RegionFromBitmap.h"
#include "controls/TextFlags.h"

#include <algorithm>

namespace tessaly {
namespace {

// Later states whose region equals the Normal state's use the Normal state's region object.
void ShareWithNormal(PerState<std::shared_ptr<const QRegion>>& regions, const PerState<bool>& has) {
    const int normal = StateIndex(ButtonState::Normal);
    if (!has[normal] || !regions[normal])
        return;
    for (ButtonState state : {ButtonState::Hover, ButtonState::Pressed, ButtonState::Disabled}) {
        const int i = StateIndex(state);
        if (has[i] && regions[i] && *regions[i] == *regions[normal])
            regions[i] = regions[normal];
    }
}

} // namespace

int CFxButton::LargestBorder() const {
    return *std::max_element(m_borderWidth.begin(), m_borderWidth.end());
}

QRect CFxButton::ContentRect() const {
    const int inset = LargestBorder() + 1;
    return m_clientRect.adjusted(inset, inset, -inset, -inset);
}

void CFxButton::ApplySkin(FeatureMask mask, int check) {
    if (m_kind != ButtonKind::PushKind)
        SetCheck(check & 0xFF);

    // Captions.
    if (m_kind != ButtonKind::PushKind && !m_pushLike) {
        m_textRect.fill(m_clientRect);
        const int clientWidth = m_clientRect.width();
        const int clientHeight = m_clientRect.height();
        const int glyphWidth = m_glyphRect.width();
        const int glyphHeight = m_glyphRect.height();
        QRect& normal = m_textRect[StateIndex(ButtonState::Normal)];
        if (!m_leftText) {
            m_glyphRect.translate(0, clientHeight / 2 - glyphHeight / 2);
            normal.setLeft(normal.left() + glyphWidth + 6);
        } else {
            m_glyphRect.translate(clientWidth - glyphWidth - 2, (clientHeight - glyphHeight) / 2);
            normal.setLeft(normal.left() + 4);
        }
        for (ButtonState state : {ButtonState::Pressed, ButtonState::Hover, ButtonState::Disabled})
            m_textRect[StateIndex(state)] = normal;
    } else {
        for (QRect& rect : m_textRect) {
            if (rect.isEmpty())
                rect = m_clientRect;
        }
    }

    // Pictures: an empty rectangle takes the picture's size and is placed by the state's code.
    const QRect content = ContentRect();
    for (int i = 0; i < kStateCount; ++i) {
        if (!m_hasBitmap[i])
            continue;
        m_drawImage = true;
        if (!m_imageRect[i].isEmpty())
            continue;
        m_imageRect[i] = QRect(QPoint(0, 0), m_imageSize[i]);
        if (const auto origin = PlacedOrigin(m_imageAlign[i], content, m_clientRect, m_imageSize[i]))
            m_imageRect[i].moveTopLeft(*origin);
    }

    // Regions, then sharing; the loaded pictures are no longer needed afterwards.
    for (ButtonState state :
         {ButtonState::Normal, ButtonState::Hover, ButtonState::Pressed, ButtonState::Disabled}) {
        if (m_hasBitmap[StateIndex(state)])
            BuildStateRegions(state);
    }
    ShareWithNormal(m_shapeRegion, m_hasShapeRegion);
    ShareWithNormal(m_imageRegion, m_hasImageRegion);
    m_bitmaps.fill(QImage());

    if (mask != kFeatureUnchanged) {
        if (mask & kFeatureNoBackground) {
            m_fillBackground.fill(false);
            Repaint();
        }
        if (mask & kFeatureNoText)
            m_drawText = false;
        if (mask & kFeatureNoImage)
            m_drawImage = false;
        if (mask & kFeatureNoFrame)
            m_drawFrame = false;
        if (mask & kFeatureNoFocus)
            m_drawFocus = false;
    }

    HandleMouseMove(QPoint(0, 0), Qt::NoButton);
    m_ready = true;
    Repaint();
}

void CFxButton::BuildStateRegions(ButtonState state) {
    const int idx = StateIndex(state);
    const int source =
        state == ButtonState::Normal && m_alternateNormal ? StateIndex(ButtonState::Disabled) : idx;
    if (!m_hasBitmap[source] || m_bitmaps[source].isNull())
        return;
    const QRect r = m_imageRect[idx];
    const int w = std::max(0, r.width());
    const int h = std::max(0, r.height());
    // Nearest-pixel scaling keeps key colours exact; blended edge pixels would match no key.
    QImage scaled;
    if (w > 0 && h > 0)
        scaled = m_bitmaps[source].scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);

    if (m_imageKeyOn[idx]) {
        m_imageRegion[idx] = std::make_shared<const QRegion>(
            RegionFromBitmap(scaled, w, h, m_imageKey[idx].rgb(), m_secondKey[idx].rgb())
                .translated(r.topLeft()));
        m_hasImageRegion[idx] = true;
    }
    if (m_shapeOn[idx]) {
        m_shapeRegion[idx].reset();
        // With equal keys the outline is the image region, if this build made one.
        if (m_imageKeyOn[idx] && m_shapeKey[idx].rgb() == m_imageKey[idx].rgb())
            m_shapeRegion[idx] = std::make_shared<const QRegion>(*m_imageRegion[idx]);
        else
            m_shapeRegion[idx] = std::make_shared<const QRegion>(
                RegionFromBitmap(scaled, w, h, m_shapeKey[idx].rgb(), m_secondKey[idx].rgb())
                    .translated(r.topLeft()));
        m_hasShapeRegion[idx] = true;
    }
}

} // namespace tessaly
