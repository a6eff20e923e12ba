// The strip's web browser over Qt WebEngine.
#include "app/webstrip/CExplorer1.h"

#include "app/webstrip/StripEngine.h"

#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace tessaly {

CExplorer1::CExplorer1(QWidget* parent) : QWidget(parent), m_view(new QWebEngineView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    // The profile is this browser's last child, so it goes after the view and its page.
    auto* page = new QWebEnginePage(CreateStripProfile(this), m_view);
    m_view->setPage(page);
    connect(page, &QWebEnginePage::loadingChanged, this, &CExplorer1::OnLoadingChanged);
}

void CExplorer1::Navigate(const QString& address) {
    m_view->setUrl(QUrl(address));
}

void CExplorer1::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        emit NavigateComplete2();
        break;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        // The view reports a failed load once, yet it has navigated to an error page (or to the
        // server's error body) all the same: that arrival is a completion of its own.
        emit NavigateError();
        emit NavigateComplete2();
        break;
    case QWebEngineLoadingInfo::LoadStartedStatus:
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        // A stopped load was replaced by a newer navigation, which reports for itself.
        break;
    }
}

} // namespace tessaly
