// The strip browser's page view over QTextBrowser.
#include "app/webstrip/PageView.h"

#include "app/webstrip/PageFetch.h"

#include <QAccessibleWidget>
#include <QBuffer>
#include <QDesktopServices>
#include <QImageReader>
#include <QWheelEvent>

namespace tessaly {

namespace {

// The page as a screen reader reads it: its words, without the marks a rich-text document keeps
// around tables and frames (noncharacters, U+FDD0 and U+FDD1) and without its line structure.
class PageAccessible : public QAccessibleWidget {
public:
    explicit PageAccessible(PageView* view) : QAccessibleWidget(view, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        QString words = static_cast<PageView*>(widget())->document()->toRawText();
        for (QChar& c : words) {
            if (c.isNonCharacter() || c == QChar::ParagraphSeparator || c == QChar::LineSeparator ||
                c == QChar::Nbsp)
                c = QLatin1Char(' ');
        }
        return words.simplified();
    }
};

QAccessibleInterface* PageAccessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1String(PageView::staticMetaObject.className()))
        return new PageAccessible(static_cast<PageView*>(object));
    return nullptr;
}

} // namespace

PageView::PageView(QNetworkAccessManager& network, QWidget* parent)
    : QTextBrowser(parent), m_network(network) {
    static const bool accessible = [] {
        QAccessible::installFactory(PageAccessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::NoContextMenu);
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    setUndoRedoEnabled(false);
    // The page lays itself out to the edges, as it would in any browser with its margins at zero.
    document()->setDocumentMargin(0);
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::OpenOutside);
}

void PageView::ShowPage(const QString& html, const QUrl& base) {
    qDeleteAll(m_images);
    m_images.clear();
    m_imageBytes = 0;
    m_base = base;
    setHtml(html);
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

QVariant PageView::loadResource(int type, const QUrl& name) {
    const QUrl url = m_base.resolved(name);
    // An empty answer, unlike none, keeps the document from reading a file by itself.
    if (type == QTextDocument::ImageResource && IsWebAddress(url)) {
        FetchImage(name, url);
        return QByteArray(); // until it arrives
    }
    // A page from disk shows the images and style sheets beside it; a page from a server reaches
    // no file of this machine.
    if (!m_base.isLocalFile() || !url.isLocalFile())
        return QByteArray();
    return ReadCappedFile(url.toLocalFile(), PageFetch::kMaxBytes).value_or(QByteArray());
}

void PageView::FetchImage(const QUrl& name, const QUrl& url) {
    if (m_images.contains(name) || m_images.size() >= kMaxWebImages)
        return;
    auto* fetch = new PageFetch(m_network, url, this);
    m_images.insert(name, fetch);
    connect(fetch, &PageFetch::Finished, this, [this, name, fetch](const FetchedPage& image) {
        fetch->deleteLater();
        m_images.insert(name, nullptr);
        if (image.ok)
            ShowImage(name, image.body);
    });
}

void PageView::ShowImage(const QUrl& name, const QByteArray& data) {
    // Decoded here, not by the document, so that the reader refuses a picture larger than what is
    // left of the page's budget before allocating it (a few kilobytes can claim gigabytes).
    const qint64 leftMiB = (kMaxWebImageBytes - m_imageBytes) / (1024 * 1024);
    if (leftMiB <= 0) // a limit of 0 would mean none
        return;
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(static_cast<int>(leftMiB));
    const QImage picture = reader.read();
    if (picture.isNull())
        return;
    m_imageBytes += picture.sizeInBytes();
    // Known by the name the page gave it; the page is laid out again at the image's size.
    document()->addResource(QTextDocument::ImageResource, name, picture);
    document()->markContentsDirty(0, document()->characterCount());
}

void PageView::wheelEvent(QWheelEvent* event) {
    // The strip holds still: the page is what fits in it.
    event->ignore();
}

void PageView::OpenOutside(const QUrl& link) {
    const QUrl url = m_base.resolved(link);
    if (IsWebAddress(url))
        QDesktopServices::openUrl(url);
}

} // namespace tessaly
