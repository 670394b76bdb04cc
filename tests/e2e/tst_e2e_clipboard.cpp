// The file list's clipboard as other programs on the X display see it: xclip reads the
// files put there by Ctrl+C, and a "cut" file list that xclip offers is pasted as a copy.
#include "browser/FileBrowser.h"
#include "platform/shell/UriList.h"
#include "support/MainWindowFixture.h"

#include <QClipboard>
#include <QProcess>
#include <QtTest>

using namespace vistrel;

namespace {

// xclip's output for `arguments` on the CLIPBOARD selection. The event loop runs while it
// waits: this process serves the selection it owns.
QByteArray Xclip(const QStringList& arguments)
{
    QProcess xclip;
    xclip.start("xclip", QStringList{"-selection", "clipboard"} + arguments);
    if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000))
        xclip.kill();
    xclip.waitForFinished(1000);
    return xclip.readAllStandardOutput();
}

}  // namespace

class TestE2eClipboard : public QObject {
    Q_OBJECT

private slots:
    void otherProgramsReadAndOfferFiles()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: use ./test.sh");
        test::MsgBoxRecorder recorder;
        test::MainWindowFixture fixture;
        const std::string from = fixture.Path("from") + "/", into = fixture.Path("into") + "/";
        QVERIFY(QDir().mkpath(QString::fromStdString(into)) && QDir().mkpath(QString::fromStdString(from)));
        for (const char* name : {"a'b.mp3", "new\nline.mp3", "z.mp3"})
            test::WriteFile(from + name, "x");
        const auto window = fixture.Show("Path=" + from + "\n");
        test::SelectRows(*window, {0, 1}, 0);
        window->CopyFilesToClipboard();
        const QList<QByteArray> targets = Xclip({"-t", "TARGETS", "-o"}).split('\n');
        QVERIFY(targets.contains("text/uri-list") && targets.contains("x-special/gnome-copied-files") && targets.contains("UTF8_STRING"));
        QCOMPARE(shell::DecodeUriList(Xclip({"-t", "text/uri-list", "-o"}).toStdString()),
                 (std::vector<std::string>{from + "a'b.mp3", from + "new\nline.mp3"}));

        QProcess offer;  // in the foreground, so that it can be ended here
        offer.start("xclip", {"-quiet", "-selection", "clipboard", "-t", "x-special/gnome-copied-files", "-i"});
        offer.write(QByteArray::fromStdString("cut\n" + shell::FileUri(from + "z.mp3")));
        offer.closeWriteChannel();
        QString pasted;
        window->TransferFiles = [&pasted](shell::FileOp op, const std::vector<std::string>& sources, const std::string& folder) {
            pasted = QString("%1 %2 into %3").arg(int(op)).arg(sources.size()).arg(QString::fromStdString(sources.front() + " " + folder));
            return shell::TransferResult{};
        };
        window->Browser().SetFolder(into);
        QTRY_VERIFY_WITH_TIMEOUT(!QGuiApplication::clipboard()->ownsClipboard(), 10000);
        window->PasteFilesFromClipboard();
        offer.kill();
        offer.waitForFinished(1000);
        QCOMPARE(pasted, QString("%1 1 into %2z.mp3 %3").arg(int(shell::FileOp::Copy)).arg(from.c_str(), into.c_str()));
        QVERIFY(recorder.Messages().empty());
    }
};

QTEST_MAIN(TestE2eClipboard)
#include "tst_e2e_clipboard.moc"
