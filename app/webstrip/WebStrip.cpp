// The web strip's state machine: banner, loading, page, error, error absorbed.
#include "app/webstrip/WebStrip.h"

#include "app/webstrip/ExplorerLoader.h"
#include "res/DialogTemplates.h"
#include "res/Resources.h"

#include <QDir>
#include <QLabel>
#include <QTimerEvent>

namespace tessaly {
namespace {

constexpr char kTipsPageFileName[] = "tips.html";

// The static shows the picture at its own size.
QRect BannerInWindow(QSize picture) {
    return QRect(res::ToPixels(res::mainwnd::kBanner, res::kSongTi9).topLeft(), picture);
}

QRect BrowserInWindow() {
    return res::ToPixels(res::mainwnd::kBrowser, res::kSongTi9);
}

} // namespace

QUrl WebStrip::TipsPageAddress(const QString& startDir) {
    return QUrl::fromLocalFile(QDir(startDir).filePath(QString::fromLatin1(kTipsPageFileName)));
}

WebStrip::WebStrip(QWidget* parent, QUrl pageAddress, int navigateDelayMs, QString explorerModule)
    : QWidget(parent), m_banner(new QLabel(this)), m_pageAddress(std::move(pageAddress)),
      m_explorerModule(explorerModule.isEmpty() ? ExplorerModuleBesideProgram() : std::move(explorerModule)),
      m_navigateDelayMs(navigateDelayMs) {
    // Drawn for the screen's density, and placed by its size in pixels.
    const QImage picture = res::LoadBitmap(res::IDB_BANNER, devicePixelRatioF());
    const QRect banner = BannerInWindow(picture.deviceIndependentSize().toSize());
    const QRect strip = banner.united(BrowserInWindow());
    setGeometry(strip);
    m_banner->setObjectName(QString::number(res::mainwnd::IDC_BANNER));
    m_banner->setPixmap(QPixmap::fromImage(picture));
    // A screen reader says what the picture says.
    m_banner->setAccessibleName(QStringLiteral("Tessaly 视频下载与播放"));
    m_banner->setGeometry(banner.translated(-strip.topLeft()));
}

WebStrip::~WebStrip() {
    delete m_browser;
}

void WebStrip::Start() {
    if (m_timer1 == 0)
        m_timer1 = startTimer(m_navigateDelayMs);
}

void WebStrip::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer1) {
        QWidget::timerEvent(event);
        return;
    }
    // Loaded and created only now: the browser stays hidden until its page arrives, and the
    // program starts without its code and Qt Network.
    CreateBrowser();
    if (m_browser != nullptr) {
        m_state = State::Loading;
        m_explorer->Navigate(m_pageAddress.toString(QUrl::FullyEncoded));
    }
    killTimer(m_timer1);
    m_timer1 = -1; // ticks once: never started again
    QWidget::timerEvent(event);
}

void WebStrip::CreateBrowser() {
    // Without its module the strip keeps its banner for good, quietly.
    m_explorer = CreateExplorer(m_explorerModule, this, *this);
    if (m_explorer == nullptr)
        return;
    m_browser = m_explorer->widget();
    m_browser->setObjectName(QString::number(res::mainwnd::IDC_BROWSER));
    m_browser->setGeometry(BrowserInWindow().translated(-pos()));
    m_browser->hide();
}

void WebStrip::NavigateError() {
    m_banner->show();
    if (m_browser)
        m_browser->hide();
    m_state = State::Error;
}

void WebStrip::NavigateComplete2() {
    if (m_state == State::Error) {
        m_state = State::ErrorAbsorbed;
        return;
    }
    m_state = State::Page;
    if (m_browser)
        m_browser->show();
    m_banner->hide();
}

} // namespace tessaly
