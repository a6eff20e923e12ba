// Configures the main window's page buttons exactly as the window's set-up lists the steps.
#include "app/PageButtons.h"

#include "controls/BitmapResources.h"
#include "controls/CaptionFont.h"
#include "controls/FxButton.h"
#include "res/Resources.h"

namespace tessaly {

namespace {

const QColor kMagenta(255, 0, 255);
const QColor kCaptionColor(12, 62, 113);
constexpr quint32 kImageTopCentred = 0x21;
constexpr quint32 kTextCentredSingleLine = 0x25;
constexpr int kCaptionHeight = 13;

} // namespace

QAbstractButton* CreatePageButton(QWidget* parent, PageButton which, const QRect& rect) {
    // On a dense screen the tabs are drawn for its density, as the skin is.
    SetDenseBitmapSource([](quint16 id, qreal ratio) { return res::LoadBitmap(id, ratio); });
    const bool download = which == PageButton::Download;
    // The template's captions; the drawn texts are set below.
    auto* button = new CFxButton(download ? QStringLiteral("视频下载") : QStringLiteral("媒体播放"), parent);
    button->setObjectName(download ? QStringLiteral("downloadPageButton") : QStringLiteral("playPageButton"));
    button->setGeometry(rect);
    // Reached by Tab, not taken by a click: the focus rectangle then shows only for the keyboard.
    button->setFocusPolicy(Qt::TabFocus);
    button->Attach();

    const QColor face = button->FaceColor();
    if (download)
        button->LoadStateBitmaps(res::IDB_DOWNLOAD_PAGE_NORMAL, res::IDB_DOWNLOAD_PAGE_NORMAL,
                                 res::IDB_DOWNLOAD_PAGE_HOVER, res::IDB_DOWNLOAD_PAGE_DISABLED);
    else
        button->LoadStateBitmaps(res::IDB_PLAY_PAGE_NORMAL, res::IDB_PLAY_PAGE_NORMAL,
                                 res::IDB_PLAY_PAGE_HOVER, res::IDB_PLAY_PAGE_DISABLED);
    button->SetImageKeyColors(kMagenta, face, face, face);
    button->SetImageShift(false, false, false, false);
    button->SetBorderWidth(0, 0, 0, 0);
    button->SetCopyUnclipped(false);
    button->SetShapeKeyColors(kMagenta, face, face, face);
    button->SetImageAlign(kImageTopCentred, kImageTopCentred, kImageTopCentred, kImageTopCentred);
    button->SetDrawText(true);
    button->ApplySkin(0, 0);
    button->SetAlternateNormal(false);
    button->SetStateFaceNames(kSongTi, true, {}, {}, {});
    button->SetStateTexts(download ? QStringLiteral("视频下载") : QStringLiteral("视频播放"), true, {}, {},
                          {});
    button->SetFontHeight(kCaptionHeight, kCaptionHeight, kCaptionHeight, kCaptionHeight);
    button->SetStateTextColors(kCaptionColor, button->TextColor(), button->TextColor(),
                               button->GrayTextColor());
    button->SetTextFormat(kTextCentredSingleLine, kTextCentredSingleLine, kTextCentredSingleLine,
                          kTextCentredSingleLine);
    return button;
}

void SetAlternateNormal(QAbstractButton* button, bool on) {
    auto* fx = static_cast<CFxButton*>(button);
    fx->SetAlternateNormal(on);
    if (fx->ready())
        fx->update();
}

bool AlternateNormal(const QAbstractButton* button) {
    return static_cast<const CFxButton*>(button)->AlternateNormal();
}

} // namespace tessaly
