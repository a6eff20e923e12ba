// The strip's light web browser: fetch, decode, show, report.
#include "app/webstrip/CExplorer1.h"

#include "app/webstrip/PageFetch.h"
#include "app/webstrip/PageText.h"
#include "app/webstrip/PageView.h"

#include <QNetworkProxyFactory>
#include <QVBoxLayout>

namespace tessaly {
namespace {

// The proxies the user has set: http_proxy, https_proxy and no_proxy, or the desktop's own.
class UsersProxies : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

QString ErrorPage(const QUrl& address) {
    return QStringLiteral("<html><body style=\"background-color:#ffffff; color:#444444\">"
                          "<p>无法显示此网页：%1</p></body></html>")
        .arg(address.toDisplayString().toHtmlEscaped());
}

} // namespace

CExplorer1::CExplorer1(QWidget* parent) : QWidget(parent), m_view(new PageView(m_network, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_network.setProxyFactory(new UsersProxies);
}

CExplorer1::~CExplorer1() {
    delete m_fetch;
    delete m_view;
}

void CExplorer1::Navigate(const QString& address) {
    delete m_fetch;
    m_fetch = new PageFetch(m_network, QUrl(address), this);
    connect(m_fetch, &PageFetch::Finished, this, &CExplorer1::Arrive);
}

void CExplorer1::Arrive(const FetchedPage& page) {
    // The fetch is still reporting: it goes once it has returned.
    m_fetch->deleteLater();
    m_fetch = nullptr;
    if (page.ok) {
        m_view->ShowPage(DecodePage(page.body, page.contentType), page.url);
        emit NavigateComplete2();
        return;
    }
    emit NavigateError();
    // Like any browser it goes on to show the server's answer or a page of its own, and that
    // arrival is a completion of its own.
    m_view->ShowPage(page.body.isEmpty() ? ErrorPage(page.url) : DecodePage(page.body, page.contentType),
                     page.url);
    emit NavigateComplete2();
}

} // namespace tessaly
