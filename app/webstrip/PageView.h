// The strip browser's page view: Qt's rich-text viewer, kept still (no scroll bars, wheel, menu,
// selection or focus). Images on the web are fetched after the page and shown as they arrive,
// within a budget per page: a page cannot make the strip fetch or hold more than a strip needs. A
// link clicked opens in the user's own browser; the view never navigates by itself. Lives in the
// browser module; UI thread only.
#pragma once

#include <QHash>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;

namespace tessaly {

class PageFetch;

class PageView : public QTextBrowser {
    Q_OBJECT

public:
    // Web images fetched for one page at most; the rest are not asked for.
    static constexpr int kMaxWebImages = 16;
    // Memory the decoded web images of one page may take together; an image that would go beyond
    // it is not shown.
    static constexpr qint64 kMaxWebImageBytes = 16 * 1024 * 1024;

    // Fetches the page's web images through network, which outlives the view.
    PageView(QNetworkAccessManager& network, QWidget* parent);

    // Shows html as the page that came from base, against which its links and images resolve.
    // The images of the page shown before are no longer fetched.
    void ShowPage(const QString& html, const QUrl& base);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OpenOutside(const QUrl& link);
    void FetchImage(const QUrl& name, const QUrl& url);
    void ShowImage(const QUrl& name, const QByteArray& data);

    QNetworkAccessManager& m_network;
    QUrl m_base;
    // The web images of the page asked for so far, by the name the document knows them by; null
    // once arrived or failed, so none is fetched twice.
    QHash<QUrl, PageFetch*> m_images;
    qint64 m_imageBytes = 0; // decoded web images of this page
};

} // namespace tessaly
