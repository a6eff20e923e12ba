// CFxButton: the skinned button. Each of its four states has its own picture, caption, font, colours
// and window outline; it draws itself off screen and copies the result in one step. UI thread only.
//
// Use: create it in place of a push button (by code, or promoted from a .ui file), set its text, font,
// geometry and buttonStyle, then call Attach() (the attachment initialisation), configure it, and
// call ApplySkin(). Until Attach() it is an ordinary QPushButton. Pictures are named by bitmap ids
// (controls/BitmapResources.h). Clicks reach the owner through clicked(); check boxes and radio
// buttons keep their check mark themselves (SetCheck / GetCheck; Qt's checkable stays off).
#pragma once

#include "controls/FxButtonTypes.h"
#include "ui/PostedMessage.h"

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QTimer>
#include <memory>

namespace tessaly {

class CFxButton : public QPushButton {
    Q_OBJECT
    // The template's button style bits (BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON, BS_LEFTTEXT,
    // BS_PUSHLIKE); read by Attach(). 0, a plain push button, by default.
    Q_PROPERTY(int buttonStyle READ buttonStyle WRITE setButtonStyle)

public:
    // What it takes as posted messages.
    using Messages = FxButtonMessages;

    Q_INVOKABLE explicit CFxButton(QWidget* parent = nullptr);
    explicit CFxButton(const QString& text, QWidget* parent = nullptr);
    ~CFxButton() override;

    int buttonStyle() const { return m_buttonStyle; }
    void setButtonStyle(int style) { m_buttonStyle = style; }

    // The attachment initialisation: reads colours, style, font, text and size; drawing and input
    // become the button's own from here on.
    void Attach();
    bool attached() const { return m_attached; }

    // The platform colours read at attachment: face (background and the "same as Normal" key),
    // button text and grey text.
    QColor FaceColor() const { return m_sysFace; }
    QColor TextColor() const { return m_sysText; }
    QColor GrayTextColor() const { return m_sysGrayText; }

    // Per-state configuration; arguments in the order Normal, Pressed, Hover, Disabled.
    void LoadStateBitmaps(quint16 normal, quint16 pressed, quint16 hover, quint16 disabled);
    void SetImageKeyColors(QColor normal, QColor pressed, QColor hover, QColor disabled);
    void SetShapeKeyColors(QColor normal, QColor pressed, QColor hover, QColor disabled);
    void SetStateTexts(const QString& normal, bool fill, const QString& pressed, const QString& hover,
                       const QString& disabled);
    void SetStateFaceNames(const QString& normal, bool fill, const QString& pressed, const QString& hover,
                           const QString& disabled);
    void SetStateTextColors(QColor normal, QColor pressed, QColor hover, QColor disabled);
    void SetImageAlign(quint32 normal, quint32 pressed, quint32 hover, quint32 disabled);
    void SetImageShift(bool normal, bool pressed, bool hover, bool disabled);
    void SetBorderWidth(int normal, int pressed, int hover, int disabled);
    void SetFontHeight(int normal, int pressed, int hover, int disabled);
    void SetTextFormat(quint32 normal, quint32 pressed, quint32 hover, quint32 disabled);
    // These three store the value only; the owner repaints when it wants the change seen.
    void SetCopyUnclipped(bool on) { m_copyUnclipped = on; }
    void SetDrawText(bool on) { m_drawText = on; }
    void SetAlternateNormal(bool on) { m_alternateNormal = on; }
    bool AlternateNormal() const { return m_alternateNormal; }

    // Lays out pictures and captions, builds the regions, applies the FeatureMask, sets the check
    // state of check boxes and radio buttons, arms hover tracking and makes the button ready.
    virtual void ApplySkin(FeatureMask mask, int check);
    bool ready() const { return m_ready; }

    // The check mark (a push button is never checked). Checking a radio button unchecks the rest of
    // its group: the run of sibling radio buttons it belongs to, through posted WM_FXBUTTON_UNCHECK.
    void SetCheck(int check);
    int GetCheck() const { return m_checked ? 1 : 0; }

    ButtonKind kind() const { return m_kind; }
    ButtonState currentState() const { return m_currentState; }

    // Draws the state the request asks for onto target (the window's surface) and gives the window
    // the state's outline.
    virtual void DrawItem(QPainter& target, const DrawRequest& request);

protected:
    // The drawing steps; rect is clientRect. All but DrawFocus draw into the off-screen image.
    virtual void DrawBackground(QPainter& dc, const QRect& rect, ButtonState state);
    virtual void DrawFrame(QPainter& dc, const QRect& rect, ButtonState state);
    virtual void DrawImage(QPainter& dc, ButtonState state);
    virtual void DrawLabel(QPainter& dc, const QRect& rect, ButtonState state);
    virtual void DrawFocus(QPainter& target, ButtonState state);
    virtual void BuildStateRegions(ButtonState state);

    // Takes WM_FXBUTTON_UNCHECK: another radio button of its group was checked.
    bool event(QEvent* event) override;
    // Attached, draws its current state through DrawItem; until then, as a plain push button.
    void paintEvent(QPaintEvent* event) override;
    // The press holds the mouse; a release over the outline toggles a check box or checks a radio
    // button. A double click reaches mousePressEvent as a second press.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // While the press holds the mouse the pushed look follows the pointer over the outline; a drag
    // that began elsewhere is ignored; a plain move arms hover tracking.
    void mouseMoveEvent(QMouseEvent* event) override;
    // Entering arms the tracking that lights the Hover state; leaving puts it out at once.
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // Space toggles a check box or checks a radio button, as a click does.
    void keyPressEvent(QKeyEvent* event) override;
    // Losing the keyboard in the middle of a press lets go of the mouse.
    void focusOutEvent(QFocusEvent* event) override;
    // Disabled, it drops its hover look and stops tracking.
    void changeEvent(QEvent* event) override;
    // Attached, only the pixels inside its outline take clicks.
    bool hitButton(const QPoint& pos) const override;

    // Invalidates the whole button once it is ready; before that, setters only store.
    void Repaint();
    // Takes one value per state and repaints.
    template <typename T> void SetPerState(PerState<T>& field, const PerState<T>& values) {
        field = values;
        Repaint();
    }

    // Behaviour and input.
    ButtonKind m_kind = ButtonKind::PushKind;
    bool m_pushLike = false;
    bool m_leftText = false;
    bool m_checked = false;
    bool m_mouseDown = false;
    bool m_pressElsewhere = false;
    bool m_hover = false;
    bool m_tracking = false;
    bool m_focused = false;
    ButtonState m_currentState = ButtonState::Normal;

    // Pictures. m_bitmaps are the loaded pictures, released by ApplySkin once the regions are built;
    // m_imageSurface keeps each picture for drawing.
    PerState<QImage> m_bitmaps;
    PerState<bool> m_hasBitmap{};
    PerState<QImage> m_imageSurface;
    // The same pictures made for the density last drawn at (m_denseRatio; 0 before any): null for
    // a plain screen or where none was made, and m_imageSurface is drawn scaled instead.
    PerState<quint16> m_bitmapIds{};
    PerState<QImage> m_denseSurface;
    qreal m_denseRatio = 0;
    PerState<QSize> m_imageSize{};
    PerState<QRect> m_imageRect{};
    PerState<quint32> m_imageAlign{};
    PerState<bool> m_imageShift{};
    PerState<QColor> m_imageKey;
    PerState<bool> m_imageKeyOn{};
    // The region each state uses: its own, or the Normal state's when they are equal.
    PerState<std::shared_ptr<const QRegion>> m_imageRegion;
    PerState<bool> m_hasImageRegion{};
    bool m_drawImage = false;
    bool m_alternateNormal = false;

    // Caption.
    PerState<QString> m_text;
    PerState<QString> m_faceName;
    PerState<int> m_fontHeight{};
    PerState<QColor> m_textColor;
    PerState<quint32> m_textFormat{};
    PerState<QRect> m_textRect{};
    PerState<bool> m_textShift{};
    bool m_drawText = true;

    // Background, bevel, shape.
    PerState<QColor> m_background;
    PerState<bool> m_fillBackground{};
    PerState<BevelStyle> m_bevel{};
    PerState<int> m_borderWidth{};
    PerState<QColor> m_shapeKey;
    PerState<bool> m_shapeOn{};
    PerState<std::shared_ptr<const QRegion>> m_shapeRegion;
    PerState<bool> m_hasShapeRegion{};
    PerState<QColor> m_secondKey;
    bool m_copyUnclipped = true;

    // Geometry and the rest.
    QRect m_clientRect;
    QRect m_focusRect;
    QRect m_glyphRect;
    bool m_drawFrame = true;
    bool m_drawFocus = true;
    QRegion m_windowRegion;
    bool m_ready = false;

private:
    // The move rule; false when the move stops here (QPushButton's handling does not run).
    bool HandleMouseMove(const QPoint& pos, Qt::MouseButtons buttons);
    void ArmTracking();
    void OnHoverTimer();
    void MouseHover();
    void MouseLeave();
    bool IsOverControl(const QPoint& pos) const;
    void ReleaseRadioGroup();
    void SetWindowOutline(ButtonState state);
    void PrepareDenseSurfaces(qreal ratio);
    QRect ContentRect() const;
    int LargestBorder() const;

    int m_buttonStyle = 0;
    bool m_attached = false;
    QColor m_sysFace;
    QColor m_sysText;
    QColor m_sysGrayText;
    // Stand-ins for platform state: the implicit mouse grab of a press, the last pointer position
    // seen, and the 1 ms hover notification.
    bool m_hasCapture = false;
    QPoint m_lastMousePos;
    QTimer m_hoverTimer;
};

} // namespace tessaly
