// Runs the built program: one copy per user session, a second copy ends at once without a window,
// the lock goes when a copy closes normally and stays stale when one dies.
#include "tests/support/TestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

const QString kLockName = QStringLiteral("{046355D9-BF93-4ed9-8E6A-FB4459CAE431}");

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

    // Starts a program in the scratch folder with its own runtime folder (none when runtimeDir is
    // empty) and temporary folder, so that no other copy on the machine interferes.
    void Launch(QProcess& process, const QString& runtimeDir, const QString& tempFolder = {},
                const QString& program = QStringLiteral(TESSALY_PROGRAM),
                const QString& desktopLanguage = QStringLiteral("en_US.UTF-8")) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), tempFolder.isEmpty() ? m_tmp.path() : tempFolder);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.remove(QStringLiteral("LC_ALL"));
        env.insert(QStringLiteral("LANG"), desktopLanguage);
        if (!runtimeDir.isEmpty())
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_tmp.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
    }
    QString RuntimeDir(const QString& name) {
        const QString dir = m_tmp.filePath(name);
        QDir().mkpath(dir);
        return dir;
    }
    static void Stop(QProcess& process) {
        process.kill();
        QVERIFY(process.waitForFinished(10000));
    }
    // A lock file as a live holder leaves it: this test's own process id.
    void WriteLiveLock(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(QCoreApplication::applicationPid()) + "\ntst_startup\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
    }

private slots:
    // No display at all (a console, a package's checks): the texts come, and nothing else starts.
    void helpAndVersionAnswerWithoutADisplay() {
        for (const auto& [option, expected] :
             {std::pair{"--help", "用法：tessaly [选项]\nTessaly " TESSALY_VERSION "："},
              std::pair{"--version", "Tessaly " TESSALY_VERSION "\n"}}) {
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                env.remove(QString::fromLatin1(name));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDir(QStringLiteral("no-display")));
            process.setProcessEnvironment(env);
            process.start(QStringLiteral(TESSALY_PROGRAM), {QString::fromLatin1(option)});
            QVERIFY(process.waitForFinished(20000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 0);
            QVERIFY2(
                QString::fromUtf8(process.readAllStandardOutput()).startsWith(QString::fromUtf8(expected)),
                option);
            QVERIFY2(process.readAllStandardError().isEmpty(), option);
        }
    }
    void oneCopyPerSession() {
        const QString session = RuntimeDir(QStringLiteral("session"));
        QProcess first;
        Launch(first, session);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(session + QLatin1Char('/') + kLockName), 20000);
        // The first copy shows its window and stays up.
        QVERIFY(!first.waitForFinished(1500));

        QProcess second;
        Launch(second, session);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // Another user's session has a runtime folder of its own and runs its own copy.
        QProcess other;
        Launch(other, RuntimeDir(QStringLiteral("other-session")));
        QVERIFY(!other.waitForFinished(3000));
        Stop(other);

        Stop(first);
        // The dead copy's lock is stale: a new copy takes it and runs.
        QVERIFY(QFileInfo::exists(session + QLatin1Char('/') + kLockName));
        QProcess third;
        Launch(third, session);
        QVERIFY(!third.waitForFinished(3000));
        QCOMPARE(third.state(), QProcess::Running);
        Stop(third);
    }

    void withoutRuntimeFolderTheLockNamesTheUser() {
        // Locks of live holders under other users' names, and under the name without a user, in
        // the shared temporary folder: none of them is this user's.
        const QString shared = RuntimeDir(QStringLiteral("shared-tmp"));
        WriteLiveLock(shared + QLatin1Char('/') + kLockName);
        WriteLiveLock(shared + QLatin1Char('/') + kLockName + QStringLiteral("-%1").arg(::getuid() + 1));
        QProcess copy;
        Launch(copy, {}, shared);
        const QString own = shared + QLatin1Char('/') + kLockName + QStringLiteral("-%1").arg(::getuid());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(own), 20000);
        QCOMPARE(copy.state(), QProcess::Running);
        Stop(copy);
    }

    void normalExitReleasesTheLock() {
        const QString session = RuntimeDir(QStringLiteral("closing-session"));
        QProcess closing;
        Launch(closing, session, {}, QStringLiteral(TESSALY_CLOSING_PROGRAM));
        QVERIFY(closing.waitForFinished(30000));
        QCOMPARE(closing.exitStatus(), QProcess::NormalExit);
        QCOMPARE(closing.exitCode(), 0);
        const QString output = QString::fromUtf8(closing.readAll());
        QVERIFY2(output.contains(QStringLiteral("LOCKED 1")), "the lock was taken while the window ran");
        // Qt's own texts read Chinese on an English desktop too.
        QVERIFY2(output.contains(QStringLiteral("BUTTONS 确定 取消")), qPrintable(output));
        QVERIFY(!QFileInfo::exists(session + QLatin1Char('/') + kLockName));
    }

    // Closing the program while a transfer waits on a server that has stopped sending: the stop
    // reaches the wait, the process ends long before any receive time-out, and every byte that
    // arrived is in the file.
    void closingDuringAStalledTransferEndsAndKeepsTheBytes() {
        tessaly::test::TestServer server(TESSALY_TEST_SERVER);
        QVERIFY(server.Start());
        const QString folder = m_tmp.filePath(QStringLiteral("stalled/"));
        QVERIFY(QDir().mkpath(folder));
        qputenv("TESSALY_TEST_ADDRESS",
                server.WatchUrl("v=size:90000,seed:4,stall:30000&title=stalled").c_str());
        qputenv("TESSALY_TEST_FOLDER", folder.toUtf8());
        QProcess closing;
        Launch(closing, RuntimeDir(QStringLiteral("stalled-session")), {},
               QStringLiteral(TESSALY_CLOSING_PROGRAM));
        qunsetenv("TESSALY_TEST_ADDRESS");
        qunsetenv("TESSALY_TEST_FOLDER");
        QTRY_VERIFY_WITH_TIMEOUT(
            QString::fromStdString(server.RequestLog()).contains(QStringLiteral("STALL")), 20000);
        QElapsedTimer sinceClose;
        sinceClose.start();
        closing.write("close\n");
        // The default receive time-out is 30 s: ending well before it means the stop reached the wait.
        QVERIFY(closing.waitForFinished(15000));
        qInfo("closed in %lld ms", static_cast<long long>(sinceClose.elapsed()));
        QCOMPARE(closing.exitStatus(), QProcess::NormalExit);
        const QString output = QString::fromUtf8(closing.readAll());
        QVERIFY2(output.contains(QStringLiteral("TASKS 1")), qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("ENDED ")), qPrintable(output));
        QFile file(folder + QStringLiteral("stalled.flv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), tessaly::test::ExpectedStreamBody(90000, 4).substr(0, 30000));
    }

    void chineseTextHasOneFaceOnEveryDesktop() {
        QStringList faces;
        for (const QString& language : {QStringLiteral("en_US.UTF-8"), QStringLiteral("zh_CN.UTF-8")}) {
            QProcess closing;
            Launch(closing, RuntimeDir(language), {}, QStringLiteral(TESSALY_CLOSING_PROGRAM), language);
            QVERIFY(closing.waitForFinished(30000));
            const QString output = QString::fromUtf8(closing.readAll());
            const qsizetype at = output.indexOf(QStringLiteral("FACES "));
            QVERIFY2(at >= 0, qPrintable(output));
            faces << output.mid(at + 6).section(QLatin1Char('\n'), 0, 0);
        }
        // The window's text and Qt's own in the face the Chinese desktop would give, on both.
        const QString chinese = faces[1].section(QLatin1Char('|'), 0, 0);
        QCOMPARE(faces[0], chinese + QLatin1Char('|') + chinese);
        QCOMPARE(faces[1], faces[0]);
    }

    void lockThatCannotBeMadeDoesNotStopTheProgram() {
        QProcess copy;
        Launch(copy, {}, m_tmp.filePath(QStringLiteral("no/such/folder")));
        QVERIFY(!copy.waitForFinished(3000));
        QCOMPARE(copy.state(), QProcess::Running);
        Stop(copy);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
