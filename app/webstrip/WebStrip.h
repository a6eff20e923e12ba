// The web strip across the top of the main window: banner 146 from start-up, then a web page
// once its navigation has completed, and the banner again after a navigation error.
// A child widget of the main window; UI thread only.
#pragma once

#include "app/webstrip/ExplorerPlugin.h"

#include <QUrl>
#include <QWidget>

class QLabel;

namespace tessaly {

class WebStrip : public QWidget, private ExplorerEvents {
    Q_OBJECT

public:
    static constexpr int kNavigateDelayMs = 21000; // timer 1

    enum class State {
        BannerWaiting, // from start-up until timer 1 ticks
        Loading,       // navigating, banner still shown
        Page,          // the browser shows the page
        Error,         // a navigation failed: banner; the next completion is absorbed
        ErrorAbsorbed, // that completion came; a later one shows the browser again
    };

    // The tips page that ships with the program, in the start-up directory.
    static QUrl TipsPageAddress(const QString& startDir);

    // Places itself in parent over banner 1018 and browser 1000 and shows the banner. The page at
    // pageAddress is navigated to navigateDelayMs after Start(), by a browser from the module at
    // explorerModule (empty: the one beside the program), loaded only then.
    explicit WebStrip(QWidget* parent, QUrl pageAddress, int navigateDelayMs = kNavigateDelayMs,
                      QString explorerModule = QString());
    // The browser goes first, so none of its events reaches a strip half taken down.
    ~WebStrip() override;

    // Starts timer 1; called once by the main window's initialisation.
    void Start();

    State state() const { return m_state; }
    QLabel* banner() const { return m_banner; }
    // The browser (control 1000): null until timer 1 has ticked, and for good when its module
    // is missing or cannot be loaded.
    QWidget* browser() const { return m_browser; }
    // The same browser as the strip drives it; null whenever browser() is.
    Explorer* explorer() const { return m_explorer; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void NavigateError() override;
    void NavigateComplete2() override;
    void CreateBrowser();

    QLabel* m_banner;
    Explorer* m_explorer = nullptr;
    QWidget* m_browser = nullptr; // m_explorer's widget
    QUrl m_pageAddress;
    QString m_explorerModule;
    int m_navigateDelayMs;
    int m_timer1 = 0;
    // State::Error stands for the window's navigation-error flag: the next completion (the
    // error page's) must not bring the browser back. A flag, not a counter.
    State m_state = State::BannerWaiting;
};

} // namespace tessaly
