// The embedded web browser of the strip (control 1000): one call, Navigate, and two events,
// NavigateComplete2 and NavigateError. A light one: pages fetched by PageFetch, decoded by their
// charset and shown as Qt rich text, without scripts. Lives in the browser module; the strip reaches
// it through the Explorer interface (ExplorerPlugin.h). UI thread only.
#pragma once

#include "app/webstrip/ExplorerPlugin.h"

#include <QNetworkAccessManager>
#include <QString>
#include <QWidget>

namespace tessaly {

class PageFetch;
class PageView;
struct FetchedPage;

class CExplorer1 : public QWidget, public Explorer {
    Q_OBJECT

public:
    explicit CExplorer1(QWidget* parent = nullptr);
    // Drops the navigation under way and the view's image fetches before the network they use.
    ~CExplorer1() override;

    QWidget* widget() override { return this; }
    // Sends the browser to an address (file, http or https); the outcome arrives as the events
    // below. A navigation still under way is dropped and reports nothing.
    void Navigate(const QString& address) override;

signals:
    // A navigation failed (no connection, missing file, error status, too large, time-out, another
    // scheme). The browser goes on to show its own error page, or the server's error body, whose
    // completion follows.
    void NavigateError();
    // A navigation has arrived and its page is shown.
    void NavigateComplete2();

private:
    void Arrive(const FetchedPage& page);

    QNetworkAccessManager m_network;
    PageView* m_view;
    PageFetch* m_fetch = nullptr; // the navigation under way
};

} // namespace tessaly
