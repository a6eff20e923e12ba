// The word the program gives when a task ends behind the user's back, received by a real
// notification service (dunst, printing what it is sent) on a private session bus: none while the
// window is active, none and no complaint without a service, and a click that brings the window
// forward on the task.
#include "AppTestSupport.h"
#include "app/CorvaneDlg.h"
#include "app/FontConfiguration.h"
#include "download/page/DownloaderDlg.h"
#include "download/page/TaskListView.h"
#include "tests/support/TestServer.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

constexpr int kLongWaitMs = 20000;

// A child process that goes with the test.
std::unique_ptr<QProcess> Start(const QString& program, const QStringList& arguments,
                                const QProcessEnvironment& environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process->waitForStarted() ? std::move(process) : nullptr;
}

void Stop(std::unique_ptr<QProcess>& process) {
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(5000))
        process->kill();
    process.reset();
}

// A session bus of the test's own, the program's from its start: the one the system gives, without
// the services it would start on demand, so that the only notification service is the test's.
class PrivateBus {
public:
    PrivateBus() {
        std::ifstream stock("/usr/share/dbus-1/session.conf");
        char name[] = "/tmp/tessaly-bus-XXXXXX";
        const int fd = mkstemp(name);
        if (!stock || fd < 0)
            return;
        m_config = name;
        std::ofstream config(m_config);
        for (std::string line; std::getline(stock, line);)
            if (line.find("servicedirs") == std::string::npos)
                config << line << '\n';
        config.close();
        ::close(fd);
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const std::string configArg = "--config-file=" + m_config;
        const char* argv[] = {"dbus-daemon", configArg.c_str(), "--nofork", "--print-address=1", nullptr};
        if (posix_spawnp(&m_pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        FILE* printed = fdopen(out[0], "r");
        char address[512] = {};
        if (m_pid && printed && std::fgets(address, sizeof address, printed)) {
            address[std::strcspn(address, "\n")] = 0;
            setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
        }
        if (printed)
            std::fclose(printed);
    }
    ~PrivateBus() {
        if (m_pid) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (!m_config.empty())
            std::remove(m_config.c_str());
    }

private:
    pid_t m_pid = 0;
    std::string m_config;
};

} // namespace

class NotificationsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<QProcess> m_xServer;
    std::unique_ptr<QProcess> m_daemon;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    QString m_printed; // everything the service printed

    void Add(DownloaderDlg* page, const QString& address) {
        page->findChild<QLineEdit*>(QStringLiteral("url"))->setText(address);
        page->OnDownload();
    }
    QString Watch(const QString& query) const {
        return QString::fromStdString(m_server->WatchUrl(query.toStdString()));
    }
    int Notifications() {
        m_printed += QString::fromUtf8(m_daemon->readAllStandardOutput());
        return static_cast<int>(m_printed.count(QStringLiteral("appname: 'Tessaly'")));
    }

private slots:
    void initTestCase() {
        UseChineseFace(LoadFontConfiguration());
        m_server = std::make_unique<TestServer>(TESSALY_TEST_SERVER);
        QVERIFY(m_server->Start());
        // The service draws on an X display; the program itself stays off screen.
        if (m_environment.value(QStringLiteral("DISPLAY")).isEmpty()) {
            int display = 150;
            while (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
                ++display;
            const QString name = QStringLiteral(":%1").arg(display);
            m_xServer = Start(QStringLiteral("Xvfb"),
                              {name, QStringLiteral("-nolisten"), QStringLiteral("tcp")}, m_environment);
            QVERIFY(m_xServer);
            QTRY_VERIFY(QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)));
            m_environment.insert(QStringLiteral("DISPLAY"), name);
        }
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                             qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase() {
        Stop(m_daemon);
        Stop(m_xServer);
    }

    void toldOnlyBehindTheUsersBack() {
        ScratchStartDir start;
        CorvaneDlg window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        DownloaderDlg* page = window.downloadPage();
        QWidget elsewhere;
        elsewhere.show();

        // No service yet: a task ending behind the user's back is told to no one, without a word.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("(?i)d-?bus|notif")));
        elsewhere.activateWindow();
        QTRY_VERIFY(!window.isActiveWindow());
        Add(page, Watch(QStringLiteral("v=size:2000&title=unheard")));
        QTRY_COMPARE_WITH_TIMEOUT(page->TaskText(0, 3), QStringLiteral("完成"), kLongWaitMs);

        // Line-buffered: it prints into a pipe.
        m_daemon =
            Start(QStringLiteral("stdbuf"),
                  {QStringLiteral("-oL"), QStringLiteral("dunst"), QStringLiteral("-print")}, m_environment);
        QVERIFY(m_daemon);
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(
                                     QStringLiteral("org.freedesktop.Notifications")),
                                 kLongWaitMs);

        // Looking at the window: nothing.
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        Add(page, Watch(QStringLiteral("v=size:2000&title=watched")));
        QTRY_COMPARE_WITH_TIMEOUT(page->TaskText(1, 3), QStringLiteral("完成"), kLongWaitMs);

        // Elsewhere: a finished task, then a failed one.
        elsewhere.activateWindow();
        QTRY_VERIFY(!window.isActiveWindow());
        Add(page, Watch(QStringLiteral("v=size:2000&title=told")));
        QTRY_COMPARE_WITH_TIMEOUT(Notifications(), 1, kLongWaitMs);
        QVERIFY2(m_printed.contains(QStringLiteral("summary: '视频下载完成'\n\tbody: 'told.flv'")),
                 qPrintable(m_printed));
        QCOMPARE(QProcess::execute(QStringLiteral("dunstctl"), {QStringLiteral("close-all")}), 0);

        Add(page, Watch(QStringLiteral("v=size:1000,status:500&title=broken")));
        QTRY_COMPARE_WITH_TIMEOUT(Notifications(), 2, kLongWaitMs);
        const QString told =
            QStringLiteral("summary: '视频下载失败'\n\tbody: 'broken.flv\n下载视频时，服务器 "
                           "127.0.0.1:%1 返回错误 HTTP 500（服务器内部错误）。'")
                .arg(m_server->port());
        QVERIFY2(m_printed.contains(told), qPrintable(m_printed));
        // Nothing about the task that ended without a service, nor the one watched.
        QVERIFY(!m_printed.contains(QStringLiteral("unheard")) &&
                !m_printed.contains(QStringLiteral("watched")));

        // A click on it: the window comes forward with that task chosen.
        QVERIFY(page->taskList()->SelectedRow() < 0);
        QProcess click;
        click.setProcessEnvironment(m_environment);
        click.start(QStringLiteral("dunstctl"), {QStringLiteral("action"), QStringLiteral("0")});
        QVERIFY(click.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(window.isActiveWindow(), kLongWaitMs);
        QTRY_COMPARE(page->taskList()->SelectedRow(), 3);
        Stop(m_daemon);
    }
};

int main(int argc, char** argv) {
    PrivateBus bus;
    QApplication app(argc, argv);
    NotificationsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_notifications.moc"
