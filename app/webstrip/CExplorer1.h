// The embedded web browser of the strip (control 1000): one call, Navigate, and two events,
// NavigateComplete2 and NavigateError, mapped from the view's load results. Lives in the browser
// module; the strip reaches it through the Explorer interface (ExplorerPlugin.h). UI thread only.
#pragma once

#include "app/webstrip/ExplorerPlugin.h"

#include <QString>
#include <QWidget>

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace tessaly {

class CExplorer1 : public QWidget, public Explorer {
    Q_OBJECT

public:
    explicit CExplorer1(QWidget* parent = nullptr);

    QWidget* widget() override { return this; }
    // Sends the browser to an address; the outcome arrives as the events below.
    void Navigate(const QString& address) override;

signals:
    // A navigation failed (no connection, missing file, error status). The browser goes on to
    // show its own error page, or the server's error body, whose completion follows.
    void NavigateError();
    // A navigation has arrived and its page is shown.
    void NavigateComplete2();

private:
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);

    QWebEngineView* m_view;
};

} // namespace tessaly
