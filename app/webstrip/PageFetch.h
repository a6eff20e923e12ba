// One navigation's fetch for the strip's browser: a file read from disk, or an http(s) answer
// through Qt Network, capped in size and in time. Lives in the browser module; UI thread only.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace tessaly {

struct FetchedPage {
    QUrl url;               // where the page came from, after any redirects
    bool ok = false;        // the file was read, or the server answered 2xx
    QByteArray body;        // the page, or the server's error body; empty when too large
    QByteArray contentType; // the server's Content-Type; empty for files
};

// Whether url is an http or https address, the only ones fetched from a server.
bool IsWebAddress(const QUrl& url);

// The regular file at path, or nothing when it is missing, unreadable, no regular file (a pipe
// would hold the strip up, a device could be read for ever) or larger than maxBytes.
std::optional<QByteArray> ReadCappedFile(const QString& path, qint64 maxBytes);

class PageFetch : public QObject {
    Q_OBJECT

public:
    // More than this is no page for a strip 512 pixels wide, and is refused.
    static constexpr qint64 kMaxBytes = 2 * 1024 * 1024;
    // A server that sends nothing for this long has failed.
    static constexpr int kTimeoutMs = 30000;

    // Starts fetching address. Finished follows once, never before this returns; deleting the
    // fetch first abandons it and reports nothing.
    PageFetch(QNetworkAccessManager& network, const QUrl& address, QObject* parent);
    ~PageFetch() override;

signals:
    void Finished(const tessaly::FetchedPage& page);

private:
    void ReadFile();
    void ReadReply();
    void FinishReply();

    FetchedPage m_page;
    QNetworkReply* m_reply = nullptr;
    bool m_tooLarge = false;
};

} // namespace tessaly
