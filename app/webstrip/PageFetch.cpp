// The strip browser's fetch: file, http and https; anything else fails.
#include "app/webstrip/PageFetch.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace tessaly {

bool IsWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

std::optional<QByteArray> ReadCappedFile(const QString& path, qint64 maxBytes) {
    QFile file(path);
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

PageFetch::PageFetch(QNetworkAccessManager& network, const QUrl& address, QObject* parent) : QObject(parent) {
    m_page.url = address;
    if (address.isLocalFile()) {
        QTimer::singleShot(0, this, &PageFetch::ReadFile);
        return;
    }
    if (!IsWebAddress(address)) {
        QTimer::singleShot(0, this, [this] { emit Finished(m_page); });
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(kTimeoutMs);
    // Redirects are followed, but never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = network.get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &PageFetch::ReadReply);
    connect(m_reply, &QNetworkReply::finished, this, &PageFetch::FinishReply);
}

PageFetch::~PageFetch() {
    if (m_reply == nullptr)
        return;
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->abort();
    m_reply->deleteLater();
}

void PageFetch::ReadFile() {
    if (std::optional<QByteArray> body = ReadCappedFile(m_page.url.toLocalFile(), kMaxBytes)) {
        m_page.ok = true;
        m_page.body = std::move(*body);
    }
    emit Finished(m_page);
}

void PageFetch::ReadReply() {
    const qint64 declared = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    m_page.body += m_reply->readAll();
    if (!m_tooLarge && (declared > kMaxBytes || m_page.body.size() > kMaxBytes)) {
        m_tooLarge = true;
        m_reply->abort(); // finishes the reply at once
    }
}

void PageFetch::FinishReply() {
    if (!m_tooLarge)
        m_page.body += m_reply->readAll();
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_page.url = m_reply->url();
    m_page.contentType = m_reply->rawHeader("Content-Type");
    // A 4xx or 5xx answer is an error of Qt Network's, its body kept: that is what a browser shows.
    m_page.ok = m_reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    if (m_tooLarge)
        m_page.body.clear();
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->deleteLater();
    m_reply = nullptr;
    emit Finished(m_page);
}

} // namespace tessaly
