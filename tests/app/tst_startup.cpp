// Runs the built program: one copy at a time, a second copy ends at once without a window, and
// after the first copy has gone a new one starts normally.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class StartupTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

    // Starts the program in the scratch folder with its own temporary folder, where the
    // single-instance lock lives, so that no other copy on the machine interferes.
    void Launch(QProcess& process, const QString& tempFolder = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TMPDIR"), tempFolder.isEmpty() ? m_tmp.path() : tempFolder);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_tmp.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(TESSALY_PROGRAM), {});
        QVERIFY(process.waitForStarted());
    }
    QString LockFile() const {
        return m_tmp.filePath(QStringLiteral("{046355D9-BF93-4ed9-8E6A-FB4459CAE431}"));
    }

private slots:
    void secondCopyEndsSilently() {
        QProcess first;
        Launch(first);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(LockFile()), 20000);
        // The first copy shows its window and stays up.
        QVERIFY(!first.waitForFinished(1500));

        QProcess second;
        Launch(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(10000));
        // The dead copy's lock is stale: a new copy takes it and runs.
        QProcess third;
        Launch(third);
        QVERIFY(!third.waitForFinished(3000));
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        QVERIFY(third.waitForFinished(10000));
    }

    void lockThatCannotBeMadeDoesNotStopTheProgram() {
        QProcess copy;
        Launch(copy, m_tmp.filePath(QStringLiteral("no/such/folder")));
        QVERIFY(!copy.waitForFinished(3000));
        QCOMPARE(copy.state(), QProcess::Running);
        copy.kill();
        QVERIFY(copy.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "tst_startup.moc"
