// The texts between page and movie, the file list and the paths the page builds.
#include "player/ExternalInterface.h"
#include "player/PlayerRequests.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tessaly;

class PlayerRequestsTest : public QObject {
    Q_OBJECT

private:
    static void touch(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

private slots:
    void requestTextsAreExact() {
        QCOMPARE(PauseMvRequest(),
                 QStringLiteral("<invoke name=\"pauseMv\" returntype=\"xml\"><arguments><string></string>"
                                "</arguments></invoke>"));
        QCOMPARE(OpenFlvRequest("/v/a b.flv"),
                 QStringLiteral("<invoke name=\"openFlv\" returntype=\"xml\"><arguments><string>/v/a b.flv"
                                "</string></arguments></invoke>"));
        QCOMPARE(GetListRequest("|"), QStringLiteral("<invoke name=\"getList\" returntype=\"xml\"><arguments>"
                                                     "<string>|</string></arguments></invoke>"));
    }

    void specialCharactersSurviveTheRoundTrip() {
        // A reader turns a bare carriage return (or CR LF) into a line feed: it must travel as a
        // reference. Names come from page titles, so anything XML can carry may be in them.
        const QString path = QStringLiteral("/v/Tom & Jerry <1> \"x\" 'y' ]]> 视频\r\n\r\tb \U0001F600.flv");
        const QString text = OpenFlvRequest(path);
        QVERIFY(!text.contains("& "));
        QVERIFY(!text.contains("<1>"));
        const auto parsed = ParseInvoke(text);
        QVERIFY(parsed);
        QCOMPARE(parsed->name, QStringLiteral("openFlv"));
        QCOMPARE(parsed->arguments, QStringList{path});
    }

    void onlyCharactersXmlCannotCarryAreRefused() {
        QVERIFY(XmlCanCarry(QStringLiteral("视频 \U0001F600\t\r\n\u0085\uFFFD.flv")));
        for (const QString& bad : {QStringLiteral("a\x01"), QStringLiteral("\x1f"), QStringLiteral("a\uFFFE"),
                                   QString(QChar(0xD800)) + "a", QString(QChar(0xDC00))})
            QVERIFY2(!XmlCanCarry(bad), qPrintable(bad.toUtf8().toHex()));
    }

    void parseReadsSeveralOrNoArguments() {
        auto parsed = ParseInvoke(InvokeText("f", {"a", "", "c"}));
        QVERIFY(parsed);
        QCOMPARE(parsed->arguments, (QStringList{"a", "", "c"}));
        parsed = ParseInvoke("<invoke name=\"openfile\" returntype=\"xml\"><arguments></arguments></invoke>");
        QVERIFY(parsed);
        QCOMPARE(parsed->name, QStringLiteral("openfile"));
        QVERIFY(parsed->arguments.isEmpty());
    }

    void parseRefusesWhatItCannotRead() {
        const QStringList bad = {
            "",
            "openFlv",
            "<invoke name=\"openFlv\"><arguments><string>a & b</string></arguments></invoke>",
            "<invoke name=\"openFlv\"><arguments><string>a</string></arguments>",
            "<invoke><arguments></arguments></invoke>",
            "<call name=\"f\"/>",
            "<invoke name=\"f\"><arguments><number>1</number></arguments></invoke>",
            "<invoke name=\"f\"><arguments><string>a<b/></string></arguments></invoke>",
            "<invoke name=\"f\"><arguments></arguments></invoke><invoke name=\"g\"/>",
        };
        for (const QString& text : bad)
            QVERIFY2(!ParseInvoke(text), qPrintable(text));
    }

    void movieRequestsAreFoundAfterTheFirstCharacterOnly() {
        QCOMPARE(ClassifyMovieRequest(InvokeText("openfile", {})), MovieRequest::OpenFile);
        QCOMPARE(ClassifyMovieRequest(InvokeText("getlist", {})), MovieRequest::GetList);
        QCOMPARE(ClassifyMovieRequest("xx getlist openfile"), MovieRequest::OpenFile);
        QCOMPARE(ClassifyMovieRequest("openfile"), MovieRequest::Ignored);
        QCOMPARE(ClassifyMovieRequest("getlist"), MovieRequest::Ignored);
        QCOMPARE(ClassifyMovieRequest("openfile getlist"), MovieRequest::GetList);
        QCOMPARE(ClassifyMovieRequest(InvokeText("openFile", {})), MovieRequest::Ignored);
        QCOMPARE(ClassifyMovieRequest(InvokeText("GETLIST", {})), MovieRequest::Ignored);
    }

    void listJoinsAbsolutePathsWithOneBar() {
        QTemporaryDir dir;
        touch(dir.filePath("b.flv"));
        touch(dir.filePath("a.flv"));
        touch(dir.filePath("notes.txt"));
        touch(dir.filePath("a.flv.part"));
        const QString a = dir.filePath("a.flv");
        const QString b = dir.filePath("b.flv");
        QCOMPARE(FlvFileList(dir.path()), a + "|" + b);
        QCOMPARE(FlvFileList(dir.path() + "/"), a + "|" + b);
        QCOMPARE(FlvFileList(dir.path() + "//"), a + "|" + b);

        QVERIFY(QFile::remove(b));
        QCOMPARE(FlvFileList(dir.path()), a);
    }

    void listOfAFolderRelativeToTheCurrentDirectoryIsAbsolute() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        touch(dir.filePath("sub/c.flv"));
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString list = FlvFileList("sub/../sub");
        QVERIFY(QDir::setCurrent(saved));
        QCOMPARE(list, QDir(dir.path()).canonicalPath() + "/sub/c.flv");
    }

    void listOfAnEmptyOrMissingFolderIsOneBar() {
        QTemporaryDir dir;
        QCOMPARE(FlvFileList(dir.path()), QStringLiteral("|"));
        QCOMPARE(FlvFileList(dir.filePath("missing")), QStringLiteral("|"));
    }

    void listKeepsFoldersAndLeavesOutOnlyNamesTheMovieCannotRead() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("clips.flv"));
        touch(dir.filePath("x|y.flv"));
        touch(dir.filePath("bell\x07.flv"));
        touch(dir.filePath("two\rlines.flv"));
        const QString list = FlvFileList(dir.path());
        QCOMPARE(list, dir.filePath("clips.flv") + "|" + dir.filePath("two\rlines.flv"));
        const auto parsed = ParseInvoke(GetListRequest(list));
        QVERIFY(parsed);
        QCOMPARE(parsed->arguments, QStringList{list});
    }

    void pathsFollowTheFolderJoinRule() {
        QCOMPARE(MoviePath("/opt/t"), QStringLiteral("/opt/t/plsys.dll"));
        QCOMPARE(MoviePath("/opt/t/"), QStringLiteral("/opt/t/plsys.dll"));
    }

    void chosenPathIsTrimmedUnlessTheFileIsNamedSo() {
        QTemporaryDir dir;
        QCOMPARE(ChosenFileToSend("  /no/such/a.flv \t"), QStringLiteral("/no/such/a.flv"));
        QCOMPARE(ChosenFileToSend("   "), QString());
        QCOMPARE(ChosenFileToSend(""), QString());
        const QString spaced = dir.filePath("b.flv ");
        touch(spaced);
        QCOMPARE(ChosenFileToSend(spaced), spaced);
    }
};

QTEST_GUILESS_MAIN(PlayerRequestsTest)
#include "player_requests_test.moc"
