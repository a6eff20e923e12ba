// The strip browser's page view: Qt's rich-text viewer, kept still (no scroll bars, wheel, menu,
// selection or focus). A link clicked opens in the user's own browser; the view never navigates
// by itself. Lives in the browser module; UI thread only.
#pragma once

#include <QTextBrowser>
#include <QUrl>

namespace tessaly {

class PageView : public QTextBrowser {
    Q_OBJECT

public:
    explicit PageView(QWidget* parent);

    // Shows html as the page that came from base, against which its links and images resolve.
    void ShowPage(const QString& html, const QUrl& base);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OpenOutside(const QUrl& link);

    QUrl m_base;
};

} // namespace tessaly
