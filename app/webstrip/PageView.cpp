// The strip browser's page view over QTextBrowser.
#include "app/webstrip/PageView.h"

#include "app/webstrip/PageFetch.h"

#include <QDesktopServices>
#include <QWheelEvent>

namespace tessaly {

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
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
    m_base = base;
    setHtml(html);
}

QVariant PageView::loadResource(int type, const QUrl& name) {
    Q_UNUSED(type);
    const QUrl url = m_base.resolved(name);
    // A page from disk shows the images and style sheets beside it; a page from a server reaches
    // no file of this machine. An empty answer, unlike none, keeps the document from reading
    // the file itself.
    if (!m_base.isLocalFile() || !url.isLocalFile())
        return QByteArray();
    return ReadCappedFile(url.toLocalFile(), PageFetch::kMaxBytes).value_or(QByteArray());
}

void PageView::wheelEvent(QWheelEvent* event) {
    // The strip holds still: the page is what fits in it.
    event->ignore();
}

void PageView::OpenOutside(const QUrl& link) {
    const QUrl url = m_base.resolved(link);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        QDesktopServices::openUrl(url);
}

} // namespace tessaly
