// The web strip: banner until the page arrives, banner again after a failed navigation, one
// navigation only. Real pages from a server on 127.0.0.1 and from disk, the real browser; the
// browser's module loaded only when timer 1 ticks, and its absence leaves the banner.
#include "app/webstrip/ExplorerLoader.h"
#include "app/webstrip/PageView.h"
#include "app/webstrip/WebStrip.h"

#include <QDesktopServices>
#include <QLabel>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

using tessaly::WebStrip;
using State = WebStrip::State;
Q_DECLARE_METATYPE(WebStrip::State)

namespace {

constexpr int kShortDelayMs = 100;
constexpr int kLoadTimeoutMs = 30000;

// One peer process of strip_peer.py and what it has printed.
class Peer {
public:
    explicit Peer(const QStringList& arguments) {
        m_process.setProgram(QStringLiteral("python3"));
        m_process.setArguments(QStringList{QStringLiteral(TESSALY_STRIP_PEER)} + arguments);
        m_process.start();
        if (m_process.waitForStarted()) {
            while (!m_output.contains('\n') && m_process.waitForReadyRead(10000))
                m_output += m_process.readAllStandardOutput();
        }
        const QByteArray first = m_output.left(m_output.indexOf('\n'));
        if (first.startsWith("PORT "))
            m_port = first.mid(5).toInt();
    }
    ~Peer() {
        m_process.kill();
        m_process.waitForFinished();
    }

    int port() const { return m_port; }
    QUrl url(const QString& path = QStringLiteral("/")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
    }
    // The request lines received so far ("GET <path>").
    QStringList requests() {
        m_output += m_process.readAllStandardOutput();
        QStringList lines = QString::fromUtf8(m_output).split('\n', Qt::SkipEmptyParts);
        lines.removeFirst(); // the port
        return lines;
    }

private:
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};

// The main window's stand-in: the strip lies in it as in the real window.
struct Window {
    explicit Window(const QUrl& page, const QString& explorerModule = QString())
        : strip(new WebStrip(&window, page, kShortDelayMs, explorerModule)) {
        window.resize(779, 551);
        window.show();
    }
    // Control 1000, once the strip has made it.
    QWidget* browser() const { return strip->findChild<QWidget*>(QStringLiteral("1000")); }
    bool showsBanner() const {
        return strip->banner()->isVisible() && (browser() == nullptr || !browser()->isVisible());
    }
    bool showsBrowser() const {
        return browser() != nullptr && browser()->isVisible() && !strip->banner()->isVisible();
    }

    QWidget window;
    WebStrip* strip;
};

bool IsLoaded(const QByteArray& library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The text the browser shows.
QString ShownText(QWidget* browser) {
    auto* view = browser->findChild<QTextBrowser*>();
    return view != nullptr ? view->toPlainText() : QString();
}

// Counts the timer events that reach an object: a strip's only timer is timer 1, so its first
// tick is the moment the strip makes its browser, or finds it cannot.
class TimerTicks : public QObject {
public:
    explicit TimerTicks(QObject* watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Timer;
        return false;
    }
};

// Takes the links the strip hands to the user's own browser.
class LinkCatcher : public QObject {
    Q_OBJECT

public:
    LinkCatcher() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
    }
    ~LinkCatcher() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

} // namespace

class WebStripTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void stripLiesOverBannerAndBrowserRectangles();
    void missingOrForeignModuleKeepsTheBannerForGood();
    // Needs a process in which no browser has been made yet: ctest also runs it alone.
    void browserModuleIsLoadedOnlyWhenTimer1Ticks();
    void pageThatLoadsReplacesBannerAfterOneNavigation();
    void browserStaysHiddenWhileThePageLoads();
    void refusedConnectionKeepsBannerThroughTheErrorPage();
    void laterCompletionAfterAnAbsorbedErrorShowsTheBrowser();
    void errorFlagIsNotACounter();
    void shippedTipsPageLoadsAndAMissingOneKeepsTheBanner();
    void pagesAreDecodedAndFailuresReported_data();
    void pagesAreDecodedAndFailuresReported();
    void newerNavigationDropsThePendingOnes();
    void clickedLinksOpenOutsideTheStrip();
    void imagesComeFromTheirOwnKindOfPlaceOnly();
    void aPageGetsABoundedShareOfWebImages();

private:
    bool m_browserModuleLoaded = false; // by a test function that ran before
};

void WebStripTest::cleanup() {
    m_browserModuleLoaded = IsLoaded(tessaly::kExplorerModuleFileName);
}

void WebStripTest::stripLiesOverBannerAndBrowserRectangles() {
    Window w(QUrl(QStringLiteral("http://127.0.0.1:1/")));
    QCOMPARE(w.strip->geometry(), QRect(239, 11, 514, 68));
    QCOMPARE(w.strip->banner()->geometry(), QRect(0, 0, 514, 68));
    QVERIFY(!w.strip->banner()->pixmap().isNull());
    QVERIFY(w.showsBanner());
    QCOMPARE(w.strip->state(), State::BannerWaiting);
}

void WebStripTest::missingOrForeignModuleKeepsTheBannerForGood() {
    QTemporaryDir dir;
    QFile garbage(dir.filePath(QString::fromLatin1(tessaly::kExplorerModuleFileName)));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a shared object");
    garbage.close();
    const QStringList modules{
        dir.filePath(QStringLiteral("removed/libtessaly_explorer.so")),
        garbage.fileName(),
        // A Qt plugin, but of another kind.
        QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqoffscreen.so"),
        // A browser module that makes no browser.
        QStringLiteral(TESSALY_NO_BROWSER_MODULE),
    };
    for (const QString& module : modules) {
        Window w(WebStrip::TipsPageAddress(QCoreApplication::applicationDirPath()), module);
        TimerTicks ticks(w.strip);
        w.strip->Start();
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count > 0, kLoadTimeoutMs);
        QVERIFY2(w.browser() == nullptr && w.strip->browser() == nullptr, qPrintable(module));
        QVERIFY2(w.showsBanner(), qPrintable(module));
        QCOMPARE(w.strip->state(), State::BannerWaiting);
    }
}

void WebStripTest::browserModuleIsLoadedOnlyWhenTimer1Ticks() {
    if (m_browserModuleLoaded)
        QSKIP("an earlier test function has loaded the browser module; run this one alone");
    const QByteArray module(tessaly::kExplorerModuleFileName);
    QVERIFY2(!IsLoaded(module) && !IsLoaded("libQt6Network"), "the strip's library links no browser");
    Peer stall({QStringLiteral("stall")});
    Window w(stall.url());
    TimerTicks ticks(w.strip);
    // Nothing announces a load that was never started: waiting three times the delay covers a
    // timer the strip might wrongly have armed when it was made (timers fire in the order they
    // fall due, so a slow machine only delays this, and a sound strip never loads here).
    QTest::qWait(3 * kShortDelayMs);
    QVERIFY(!IsLoaded(module));
    QCOMPARE(ticks.count, 0);
    w.strip->Start();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count > 0, kLoadTimeoutMs);
    QVERIFY(IsLoaded(module));
    QVERIFY(w.strip->browser() != nullptr);
}

void WebStripTest::pageThatLoadsReplacesBannerAfterOneNavigation() {
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("page.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body>strip page</body></html>");
    page.close();
    Peer server({QStringLiteral("serve"), dir.path()});
    QVERIFY(server.port() > 0);

    Window w(server.url(QStringLiteral("/page.html")));
    TimerTicks ticks(w.strip);
    // As above: no event can say that nothing started; the wait covers three of its delays.
    QTest::qWait(3 * kShortDelayMs);
    QVERIFY2(w.strip->browser() == nullptr && ticks.count == 0, "nothing navigates before Start");
    w.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::Page, kLoadTimeoutMs);
    QVERIFY(w.showsBrowser());
    QCOMPARE(w.browser(), w.strip->browser());
    QCOMPARE(w.browser()->geometry(), QRect(1, 0, 512, 67));

    // Timer 1 ticks once: the page is never fetched again. A strip that ticked on would have
    // ticked ten times in this wait; a sound one never fetches again, however slow the machine.
    QTest::qWait(10 * kShortDelayMs);
    QCOMPARE(ticks.count, 1);
    QCOMPARE(server.requests().filter(QStringLiteral("/page.html")),
             QStringList{QStringLiteral("GET /page.html")});
    QVERIFY(w.showsBrowser());
}

void WebStripTest::browserStaysHiddenWhileThePageLoads() {
    Peer stall({QStringLiteral("stall")});
    QVERIFY(stall.port() > 0);
    Window w(stall.url());
    w.strip->Start();
    // The request has reached the server, which never answers: the page is on its way.
    QTRY_VERIFY_WITH_TIMEOUT(stall.requests().contains(QStringLiteral("CONNECTED")), kLoadTimeoutMs);
    QVERIFY(w.showsBanner());
    QCOMPARE(w.strip->state(), State::Loading);
}

void WebStripTest::refusedConnectionKeepsBannerThroughTheErrorPage() {
    Peer refuse({QStringLiteral("refuse")});
    QVERIFY(refuse.port() > 0);
    Window w(refuse.url());
    w.strip->Start();
    // The error and then the completion of the browser's own error page, which is absorbed.
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::ErrorAbsorbed, kLoadTimeoutMs);
    QVERIFY(w.showsBanner());
}

void WebStripTest::laterCompletionAfterAnAbsorbedErrorShowsTheBrowser() {
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("later.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body>reached later</body></html>");
    page.close();
    Peer server({QStringLiteral("serve"), dir.path()});
    Peer refuse({QStringLiteral("refuse")});

    Window w(refuse.url());
    w.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::ErrorAbsorbed, kLoadTimeoutMs);
    // A page the browser reaches afterwards comes back as from the loading state.
    w.strip->explorer()->Navigate(server.url(QStringLiteral("/later.html")).toString());
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::Page, kLoadTimeoutMs);
    QVERIFY(w.showsBrowser());

    // An error while the page is shown brings the banner back.
    w.strip->explorer()->Navigate(refuse.url().toString());
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::ErrorAbsorbed, kLoadTimeoutMs);
    QVERIFY(w.showsBanner());
}

void WebStripTest::errorFlagIsNotACounter() {
    // Two errors in a row cannot be had from the real browser, whose every failure is followed
    // by its error page: the events are raised here directly (by name, as the strip knows them).
    Peer stall({QStringLiteral("stall")});
    Window w(stall.url());
    w.strip->Start();
    QTRY_VERIFY_WITH_TIMEOUT(w.strip->browser() != nullptr, kLoadTimeoutMs);
    QWidget* browser = w.strip->browser();
    QVERIFY(QMetaObject::invokeMethod(browser, "NavigateError"));
    QVERIFY(QMetaObject::invokeMethod(browser, "NavigateError"));
    QVERIFY(QMetaObject::invokeMethod(browser, "NavigateComplete2"));
    QCOMPARE(w.strip->state(), State::ErrorAbsorbed);
    QVERIFY(w.showsBanner());
    QVERIFY(QMetaObject::invokeMethod(browser, "NavigateComplete2"));
    QCOMPARE(w.strip->state(), State::Page);
    QVERIFY(w.showsBrowser());
}

void WebStripTest::shippedTipsPageLoadsAndAMissingOneKeepsTheBanner() {
    const QString startDir = QCoreApplication::applicationDirPath();
    QVERIFY2(QFile::exists(startDir + QStringLiteral("/tips.html")),
             "the build puts tips.html beside the program");
    Window shipped(WebStrip::TipsPageAddress(startDir));
    shipped.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(shipped.strip->state(), State::Page, kLoadTimeoutMs);
    QVERIFY(shipped.showsBrowser());
    QVERIFY(ShownText(shipped.browser()).contains(QStringLiteral("小贴士")));

    // A start-up directory whose name needs escaping in an address.
    QTemporaryDir parent;
    const QString oddDir = parent.filePath(QStringLiteral("视频 #1 %20"));
    QVERIFY(QDir().mkpath(oddDir));
    QVERIFY(QFile::copy(startDir + QStringLiteral("/tips.html"), oddDir + QStringLiteral("/tips.html")));
    Window odd(WebStrip::TipsPageAddress(oddDir));
    odd.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(odd.strip->state(), State::Page, kLoadTimeoutMs);

    QTemporaryDir empty;
    Window missing(WebStrip::TipsPageAddress(empty.path()));
    missing.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(missing.strip->state(), State::ErrorAbsorbed, kLoadTimeoutMs);
    QVERIFY(missing.showsBanner());
}

void WebStripTest::pagesAreDecodedAndFailuresReported_data() {
    // address: a path on the peer, "file:" and a name in its folder, or a whole address.
    QTest::addColumn<QString>("address");
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("notShown");
    const QString errorPage = QStringLiteral("无法显示此网页");
    QTest::newRow("UTF-8 unless told") << "/plain.html" << State::Page << "中文 plain"
                                       << "";
    QTest::newRow("charset from the header") << "/header.gbk" << State::Page << "中文 header"
                                             << "";
    QTest::newRow("charset from the page") << "/meta.html" << State::Page << "中文 meta"
                                           << "";
    QTest::newRow("redirect followed") << "/redirect/plain.html" << State::Page << "中文 plain"
                                       << "";
    QTest::newRow("scripts neither run nor shown") << "/script.html" << State::Page << "before"
                                                   << "scripted";
    QTest::newRow("error status shows the server's body") << "/missing.html" << State::ErrorAbsorbed << "404"
                                                          << "";
    QTest::newRow("too large from the server") << "/big.html" << State::ErrorAbsorbed << errorPage << "";
    QTest::newRow("too large on disk") << "file:big.html" << State::ErrorAbsorbed << errorPage << "";
    QTest::newRow("a device is no page") << "file:///dev/zero" << State::ErrorAbsorbed << errorPage << "";
    QTest::newRow("another scheme") << "ftp://127.0.0.1:1/plain.html" << State::ErrorAbsorbed << errorPage
                                    << "";
}

void WebStripTest::pagesAreDecodedAndFailuresReported() {
    QFETCH(QString, address);
    QFETCH(State, state);
    QFETCH(QString, shown);
    QFETCH(QString, notShown);
    QTemporaryDir dir;
    const QByteArray zhongwenGbk("\xd6\xd0\xce\xc4");
    WriteFile(dir.filePath(QStringLiteral("plain.html")), "<html><body>中文 plain</body></html>");
    WriteFile(dir.filePath(QStringLiteral("header.gbk")),
              "<html><body>" + zhongwenGbk + " header</body></html>");
    WriteFile(dir.filePath(QStringLiteral("meta.html")),
              "<html><head><meta charset=\"gbk\"></head><body>" + zhongwenGbk + " meta</body></html>");
    WriteFile(dir.filePath(QStringLiteral("script.html")),
              "<html><body>before<script>document.write('scripted')</script>after</body></html>");
    WriteFile(dir.filePath(QStringLiteral("big.html")), QByteArray(3 * 1024 * 1024, 'x'));
    Peer server({QStringLiteral("serve"), dir.path()});
    QVERIFY(server.port() > 0);

    QUrl url(address);
    if (address.startsWith('/'))
        url = server.url(address);
    else if (address.startsWith(QStringLiteral("file:")) && !address.startsWith(QStringLiteral("file:/")))
        url = QUrl::fromLocalFile(dir.filePath(address.mid(5)));
    Window w(url);
    w.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), state, kLoadTimeoutMs);
    QCOMPARE(w.showsBrowser(), state == State::Page);
    const QString text = ShownText(w.browser());
    QVERIFY2(text.contains(shown), qPrintable(text));
    QVERIFY2(notShown.isEmpty() || !text.contains(notShown), qPrintable(text));
}

void WebStripTest::newerNavigationDropsThePendingOnes() {
    QTemporaryDir dir;
    WriteFile(dir.filePath(QStringLiteral("newest.html")), "<html><body>newest</body></html>");
    Peer server({QStringLiteral("serve"), dir.path()});
    Peer stall({QStringLiteral("stall")});
    Peer refuse({QStringLiteral("refuse")});
    Window w(stall.url());
    w.strip->Start();
    QTRY_VERIFY_WITH_TIMEOUT(w.strip->browser() != nullptr, kLoadTimeoutMs);
    QSignalSpy errors(w.strip->browser(), SIGNAL(NavigateError()));
    QSignalSpy completions(w.strip->browser(), SIGNAL(NavigateComplete2()));

    // Each of these would fail at once; only the last navigation may report.
    w.strip->explorer()->Navigate(QUrl::fromLocalFile(dir.filePath(QStringLiteral("none.html"))).toString());
    w.strip->explorer()->Navigate(refuse.url().toString());
    w.strip->explorer()->Navigate(server.url(QStringLiteral("/newest.html")).toString());
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::Page, kLoadTimeoutMs);
    QCOMPARE(completions.count(), 1);
    // A dropped navigation that reported would do so at any time: nothing can announce that
    // none will, so this waits a while for one (and fails as soon as one comes).
    QVERIFY2(!errors.wait(5 * kShortDelayMs), "a dropped navigation reported an error");
    QCOMPARE(completions.count(), 1);
    QCOMPARE(ShownText(w.browser()), QStringLiteral("newest"));
}

void WebStripTest::clickedLinksOpenOutsideTheStrip() {
    QTemporaryDir dir;
    WriteFile(dir.filePath(QStringLiteral("links.html")),
              "<html><body><p><a href=\"/elsewhere.html\">elsewhere</a></p>"
              "<p><a href=\"file:///etc/hostname\">local</a></p></body></html>");
    Peer server({QStringLiteral("serve"), dir.path()});
    LinkCatcher catcher;
    Window w(server.url(QStringLiteral("/links.html")));
    w.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(w.strip->state(), State::Page, kLoadTimeoutMs);
    auto* view = w.browser()->findChild<QTextBrowser*>();
    QVERIFY(view != nullptr);
    const auto click = [view](const QString& linkText) {
        QTextCursor inside(view->document());
        inside.setPosition(view->document()->find(linkText).selectionStart() + 1);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(inside).center());
    };
    click(QStringLiteral("elsewhere"));
    click(QStringLiteral("local"));
    QTest::qWait(3 * kShortDelayMs);
    // The http link goes to the user's browser, the file link nowhere; the strip stays put.
    QCOMPARE(catcher.opened, QList<QUrl>{server.url(QStringLiteral("/elsewhere.html"))});
    QCOMPARE(w.strip->state(), State::Page);
    QCOMPARE(server.requests(), QStringList{QStringLiteral("GET /links.html")});
    QVERIFY(!view->hasFocus());
}

void WebStripTest::imagesComeFromTheirOwnKindOfPlaceOnly() {
    // A picture taller than the strip: the page's height tells whether it was shown.
    QTemporaryDir dir;
    QImage(8, 100, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("tall.png")));
    const QByteArray localImage = QUrl::fromLocalFile(dir.filePath(QStringLiteral("tall.png"))).toEncoded();
    WriteFile(dir.filePath(QStringLiteral("web.html")), "<html><body><img src=\"/tall.png\"></body></html>");
    WriteFile(dir.filePath(QStringLiteral("local.html")), "<html><body><img src=\"tall.png\"></body></html>");
    WriteFile(dir.filePath(QStringLiteral("reaching.html")),
              "<html><body><img src=\"" + localImage + "\"></body></html>");
    Peer server({QStringLiteral("serve"), dir.path()});
    const auto pageHeight = [](const Window& w) {
        return w.browser()->findChild<QTextBrowser*>()->document()->size().height();
    };

    // Fetched after the page from the server; read beside the page on disk.
    Window web(server.url(QStringLiteral("/web.html")));
    Window local(QUrl::fromLocalFile(dir.filePath(QStringLiteral("local.html"))));
    // A page from a server reaches no file of this machine.
    Window reaching(server.url(QStringLiteral("/reaching.html")));
    for (Window* w : {&web, &local, &reaching}) {
        w->strip->Start();
        QTRY_COMPARE_WITH_TIMEOUT(w->strip->state(), State::Page, kLoadTimeoutMs);
    }
    QTRY_VERIFY_WITH_TIMEOUT(pageHeight(web) >= 100, kLoadTimeoutMs);
    QVERIFY(pageHeight(local) >= 100);
    QTest::qWait(3 * kShortDelayMs);
    QVERIFY(pageHeight(reaching) < 100);
    QCOMPARE(server.requests().filter(QStringLiteral("tall.png")),
             QStringList{QStringLiteral("GET /tall.png")});
}

void WebStripTest::aPageGetsABoundedShareOfWebImages() {
    QTemporaryDir dir;
    QImage(8, 100, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("tall.png")));
    // A few kilobytes on the wire, 19 MiB once decoded.
    QImage huge(8, 600000, QImage::Format_RGB32);
    huge.fill(Qt::white);
    huge.save(dir.filePath(QStringLiteral("huge.png")));
    QByteArray many = "<html><body>";
    for (int i = 0; i < 3 * tessaly::PageView::kMaxWebImages; ++i)
        many += "<img src=\"/tall.png?" + QByteArray::number(i) + "\">";
    WriteFile(dir.filePath(QStringLiteral("many.html")), many + "</body></html>");
    WriteFile(dir.filePath(QStringLiteral("huge.html")), "<html><body><img src=\"/huge.png\"></body></html>");
    Peer server({QStringLiteral("serve"), dir.path()});

    Window manyImages(server.url(QStringLiteral("/many.html")));
    manyImages.strip->Start();
    QTRY_COMPARE_WITH_TIMEOUT(server.requests().filter(QStringLiteral("tall.png")).size(),
                              tessaly::PageView::kMaxWebImages, kLoadTimeoutMs);
    QTest::qWait(3 * kShortDelayMs);
    QCOMPARE(server.requests().filter(QStringLiteral("tall.png")).size(), tessaly::PageView::kMaxWebImages);

    // Fetched, and refused before it is decoded: the page keeps its height without it.
    Window hugeImage(server.url(QStringLiteral("/huge.html")));
    hugeImage.strip->Start();
    QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains(QStringLiteral("GET /huge.png")), kLoadTimeoutMs);
    QTest::qWait(3 * kShortDelayMs);
    QVERIFY(hugeImage.browser()->findChild<QTextBrowser*>()->document()->size().height() < 100);
}

QTEST_MAIN(WebStripTest)
#include "webstrip_test.moc"
