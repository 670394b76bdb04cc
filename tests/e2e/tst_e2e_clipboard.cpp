// Ctrl+C's files as another program on the X display reads them from the clipboard.
#include "platform/shell/UriList.h"
#include "support/MainWindowFixture.h"

#include <QProcess>
#include <QtTest>

using namespace vistrel;

class TestE2eClipboard : public QObject {
    Q_OBJECT

    // xclip's output; the event loop runs meanwhile, as this process serves the clipboard.
    static QByteArray Xclip(const QString& target)
    {
        QProcess xclip;
        xclip.start("xclip", {"-selection", "clipboard", "-t", target, "-o"});
        if (!QTest::qWaitFor([&] { return xclip.state() == QProcess::NotRunning; }, 10000))
            xclip.kill();
        xclip.waitForFinished(1000);
        return xclip.readAllStandardOutput();
    }

private slots:
    void xclipReadsTheCopiedFiles()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: use ./test.sh");
        test::MainWindowFixture fixture;
        const std::string folder = fixture.Path() + "/";
        for (const char* name : {"a'b.mp3", "new\nline.mp3", "z.mp3"})
            test::WriteFile(folder + name, "x");
        const auto window = fixture.Show("Path=" + folder + "\n");
        test::SelectRows(*window, {0, 1}, 0);
        window->CopyFilesToClipboard();
        const QList<QByteArray> targets = Xclip("TARGETS").split('\n');
        QVERIFY(targets.contains("text/uri-list") && targets.contains("x-special/gnome-copied-files") && targets.contains("UTF8_STRING"));
        QCOMPARE(shell::DecodeUriList(Xclip("text/uri-list").toStdString()), (std::vector<std::string>{folder + "a'b.mp3", folder + "new\nline.mp3"}));
    }
};

QTEST_MAIN(TestE2eClipboard)
#include "tst_e2e_clipboard.moc"
