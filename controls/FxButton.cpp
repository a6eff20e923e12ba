// CFxButton: attachment, configuration and the check mark with its radio group.
#include "controls/FxButton.h"

#include "controls/BitmapResources.h"
#include "controls/CaptionFont.h"
#include "controls/TextFlags.h"

#include <QPalette>
#include <QRadioButton>

namespace tessaly {
namespace {

constexpr quint32 kCentredSingleLine = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr quint32 kLeftSingleLine = DT_SINGLELINE | DT_VCENTER;

bool SameRgb(const QColor& a, const QColor& b) {
    return a.rgb() == b.rgb();
}

bool IsRadioButton(const QObject* object) {
    if (const auto* fx = qobject_cast<const CFxButton*>(object))
        return fx->kind() == ButtonKind::RadioKind;
    return qobject_cast<const QRadioButton*>(object) != nullptr;
}

// The per-state text rule: given texts replace, empty ones keep; with fill, empty ones take normal.
void SetStateStrings(PerState<QString>& target, const PerState<QString>& given, bool fill) {
    for (int i = 0; i < kStateCount; ++i) {
        if (!given[i].isEmpty())
            target[i] = given[i];
    }
    if (fill) {
        for (int i = 0; i < kStateCount; ++i) {
            if (given[i].isEmpty())
                target[i] = given[0];
        }
    }
}

} // namespace

CFxButton::CFxButton(QWidget* parent) : CFxButton(QString(), parent) {
}

CFxButton::CFxButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(1);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CFxButton::OnHoverTimer);
}

CFxButton::~CFxButton() = default;

void CFxButton::Attach() {
    const QPalette& colours = palette();
    m_sysFace = colours.color(QPalette::Active, QPalette::Button);
    m_sysText = colours.color(QPalette::Active, QPalette::ButtonText);
    m_sysGrayText = colours.color(QPalette::Disabled, QPalette::ButtonText);

    m_imageShift.fill(true);
    m_textShift.fill(true);
    m_drawFrame = true;
    m_drawFocus = true;
    m_drawText = true;
    m_fillBackground.fill(true);
    m_ready = false;
    m_drawImage = false;
    m_imageKeyOn.fill(false);
    m_shapeOn.fill(false);

    const int style = m_buttonStyle & 0xFF;
    m_kind = ButtonKind::PushKind;
    if ((style & 3) == 3)
        m_kind = ButtonKind::CheckKind;
    if ((style & 9) == 9)
        m_kind = ButtonKind::RadioKind;
    m_pushLike = (m_buttonStyle & BS_PUSHLIKE) != 0;
    m_leftText = (m_buttonStyle & BS_LEFTTEXT) != 0;
    // From here on the button draws itself and keeps its own check logic.
    m_attached = true;
    setCheckable(false);
    setMouseTracking(true);

    m_hover = m_tracking = m_checked = m_mouseDown = m_focused = m_pressElsewhere = false;
    m_hasCapture = false;
    m_hoverTimer.stop();
    m_shapeRegion.fill(nullptr);
    m_hasShapeRegion.fill(false);
    m_shapeKey.fill(m_sysFace);
    m_secondKey.fill(m_sysFace);
    m_clientRect = rect();
    m_windowRegion = QRegion();
    m_glyphRect = QRect(0, 0, 13, 13);
    m_copyUnclipped = true;
    m_background.fill(m_sysFace);
    m_borderWidth.fill(2);
    const bool pushLayout = m_kind == ButtonKind::PushKind || m_pushLike;
    m_bevel = pushLayout ? PerState<BevelStyle>{BevelStyle::Raised, BevelStyle::Sunken, BevelStyle::Raised,
                                                BevelStyle::Raised}
                         : PerState<BevelStyle>{BevelStyle::Flat, BevelStyle::Flat, BevelStyle::Flat,
                                                BevelStyle::Flat};
    m_imageAlign.fill(0x25);
    m_imageRect.fill(QRect());
    m_imageKey.fill(m_sysFace);
    m_imageRegion.fill(nullptr);
    m_hasImageRegion.fill(false);
    m_bitmaps.fill(QImage());
    m_imageSurface.fill(QImage());
    m_hasBitmap.fill(false);
    m_imageSize.fill(QSize(0, 0));
    m_text.fill(text());
    m_faceName.fill(font().family().left(kMaxFaceNameLength));
    m_fontHeight.fill(LogicalFontHeight(font(), logicalDpiY()));
    m_textColor = {m_sysText, m_sysText, m_sysText, m_sysGrayText};
    m_textFormat.fill(pushLayout ? kCentredSingleLine : kLeftSingleLine);
    m_textRect.fill(QRect());
    m_focusRect = m_clientRect.adjusted(3, 3, -3, -3);
}

void CFxButton::LoadStateBitmaps(quint16 normal, quint16 pressed, quint16 hover, quint16 disabled) {
    const PerState<quint16> ids = {normal, pressed, hover, disabled};
    for (int i = 0; i < kStateCount; ++i) {
        // Each state loads its own copy, even when ids repeat; an unknown id leaves the state bare.
        const QImage picture = LoadBitmapResource(ids[i]);
        m_bitmaps[i] = picture;
        m_imageSurface[i] = picture;
        m_hasBitmap[i] = !picture.isNull();
        m_imageSize[i] = picture.isNull() ? QSize(0, 0) : picture.size();
        m_bitmapIds[i] = ids[i];
    }
    m_denseRatio = 0;
    m_drawImage = true;
}

void CFxButton::SetImageKeyColors(QColor normal, QColor pressed, QColor hover, QColor disabled) {
    const PerState<QColor> given = {normal, pressed, hover, disabled};
    for (int i = 1; i < kStateCount; ++i) {
        m_imageKey[i] = SameRgb(given[i], m_sysFace) ? normal : given[i];
        m_imageKeyOn[i] = true;
    }
    if (!SameRgb(normal, m_sysFace)) {
        m_imageKey[0] = normal;
        m_imageKeyOn[0] = true;
    }
    Repaint();
}

void CFxButton::SetShapeKeyColors(QColor normal, QColor pressed, QColor hover, QColor disabled) {
    const PerState<QColor> given = {normal, pressed, hover, disabled};
    for (int i = 1; i < kStateCount; ++i)
        m_shapeKey[i] = SameRgb(given[i], m_sysFace) ? normal : given[i];
    m_shapeKey[0] = normal;
    m_shapeOn.fill(true);
    Repaint();
}

void CFxButton::SetStateTexts(const QString& normal, bool fill, const QString& pressed, const QString& hover,
                              const QString& disabled) {
    SetStateStrings(m_text, {normal, pressed, hover, disabled}, fill);
    // A screen reader names the button after the caption it draws, not the one it was made with.
    setAccessibleName(m_text[StateIndex(ButtonState::Normal)]);
    Repaint();
}

void CFxButton::SetStateFaceNames(const QString& normal, bool fill, const QString& pressed,
                                  const QString& hover, const QString& disabled) {
    SetStateStrings(m_faceName, {normal, pressed, hover, disabled}, fill);
    Repaint();
}

void CFxButton::SetStateTextColors(QColor normal, QColor pressed, QColor hover, QColor disabled) {
    m_textColor[0] = normal;
    m_textColor[1] = SameRgb(pressed, m_sysText) ? normal : pressed;
    m_textColor[2] = SameRgb(hover, m_sysText) ? normal : hover;
    if (!SameRgb(disabled, m_sysGrayText))
        m_textColor[3] = disabled;
    Repaint();
}

void CFxButton::SetImageAlign(quint32 normal, quint32 pressed, quint32 hover, quint32 disabled) {
    SetPerState(m_imageAlign, {normal, pressed, hover, disabled});
}

void CFxButton::SetImageShift(bool normal, bool pressed, bool hover, bool disabled) {
    SetPerState(m_imageShift, {normal, pressed, hover, disabled});
}

void CFxButton::SetBorderWidth(int normal, int pressed, int hover, int disabled) {
    SetPerState(m_borderWidth, {normal, pressed, hover, disabled});
}

void CFxButton::SetFontHeight(int normal, int pressed, int hover, int disabled) {
    SetPerState(m_fontHeight, {normal, pressed, hover, disabled});
}

void CFxButton::SetTextFormat(quint32 normal, quint32 pressed, quint32 hover, quint32 disabled) {
    SetPerState(m_textFormat, {normal, pressed, hover, disabled});
}

void CFxButton::SetCheck(int check) {
    m_checked = check != 0 && m_kind != ButtonKind::PushKind;
    if (m_checked && m_kind == ButtonKind::RadioKind)
        ReleaseRadioGroup();
    Repaint();
}

void CFxButton::ReleaseRadioGroup() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    QList<QWidget*> siblings;
    for (QObject* child : parent->children()) {
        if (child->isWidgetType())
            siblings << static_cast<QWidget*>(child);
    }
    const auto self = siblings.indexOf(this);
    if (self < 0)
        return;
    // The group is the run of radio buttons around this one, walked forward with wrap-around.
    auto first = self;
    while (first > 0 && IsRadioButton(siblings[first - 1]))
        --first;
    auto last = self;
    while (last + 1 < siblings.size() && IsRadioButton(siblings[last + 1]))
        ++last;
    const auto size = last - first + 1;
    for (qsizetype step = 1; step < size; ++step) {
        // Plain radio buttons of the run uncheck themselves.
        if (auto* member = qobject_cast<CFxButton*>(siblings[first + (self - first + step) % size]))
            PostMessage(member, WM_FXBUTTON_UNCHECK);
    }
}

bool CFxButton::event(QEvent* event) {
    if (ReceivedMessage<Messages>(event)) { // WM_FXBUTTON_UNCHECK, the only one
        if (m_checked && m_kind == ButtonKind::RadioKind) {
            m_checked = false;
            Repaint();
        }
        return true;
    }
    return QPushButton::event(event);
}

void CFxButton::Repaint() {
    if (m_ready)
        update();
}

} // namespace tessaly
