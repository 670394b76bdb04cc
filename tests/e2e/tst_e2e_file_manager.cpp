// The file manager driven as a user drives it, under Xvfb: real key presses sent through the
// X server (xdotool) copy with Shift+1 and move with Alt+2 to the copy/move list's entries,
// Delete asks in the real "Confirm" box and Return deletes, and Ctrl+C's files are read back
// from the clipboard by another program (xclip).
#include "app/QtMsgBox.h"
#include "platform/shell/UriList.h"
#include "support/MainWindowFixture.h"

#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>

using namespace vistrel;

namespace {

// Runs a program on the display to its end; the event loop runs meanwhile (this process
// serves the clipboard and receives the keys). Its output.
QByteArray Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        process.kill();
    process.waitForFinished(1000);
    return process.readAllStandardOutput();
}

QByteArray Xclip(const QString& target)
{
    return Run("xclip", {"-selection", "clipboard", "-t", target, "-o"});
}

// Presses `keys` (xdotool's names) down in order and lets them go in reverse order, as a
// hand does: key releases act with the modifiers still held.
void Chord(const QStringList& keys)
{
    QStringList args;
    for (const QString& key : keys)
        args << "keydown" << key;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        args << "keyup" << *key;
    Run("xdotool", args);
    QTest::qWait(200);
}

bool Exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

}  // namespace

class TestE2eFileManager : public QObject {
    Q_OBJECT

private slots:
    void keysCopyMoveDeleteAndCopyToTheClipboard()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: use ./test.sh");
        InstallQtMsgBox();
        test::MainWindowFixture fixture;
        const std::string folder = fixture.Path() + "/f/";
        const std::string copies = fixture.Path() + "/copies";
        const std::string moved = fixture.Path() + "/moved";
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)) && QDir().mkpath(QString::fromStdString(copies)) &&
                QDir().mkpath(QString::fromStdString(moved)));
        // Real media: a delete plays the selection that follows it.
        const std::string chime = test::ReadText(VISTREL_SOURCE_DIR "/demo/chime.wav");
        for (const char* name : {"$(touch X).wav", "a'b.wav", "new\nline.wav", "z.wav"})
            test::WriteFile(folder + name, chime);
        const auto window = fixture.Show("Path=" + folder + "\nCopyMoveToName1=copies\nCopyMoveToPath1=" + copies +
                                         "\nCopyMoveToName2=moved\nCopyMoveToPath2=" + moved + "\n");
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->Controls().fileList->setFocus();

        test::SelectRows(*window, {1}, 1);
        Chord({"shift", "1"});
        QVERIFY(QTest::qWaitFor([&] { return Exists(copies + "/a'b.wav"); }, 10000));
        QCOMPARE(test::ReadText(folder + "a'b.wav"), chime);
        QCOMPARE(test::ReadText(copies + "/a'b.wav"), chime);

        test::SelectRows(*window, {1}, 1);
        Chord({"alt", "2"});
        QVERIFY(QTest::qWaitFor([&] { return Exists(moved + "/a'b.wav"); }, 10000));
        QVERIFY(!Exists(folder + "a'b.wav"));
        QCOMPARE(window->Browser().RowCount(), 3);

        // The question box runs its own event loop inside the key's handler: it is read and
        // answered from there. Return is pressed again while the box stays (a press that
        // reached the server before the box had the focus is lost); after 10 s the box is
        // closed unanswered, so the test fails rather than hangs.
        QString question;
        int ticks = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (question.isEmpty())
                question = box->windowTitle() + "|" + box->text();
            if (++ticks > 33)
                box->reject();
            else
                QProcess::startDetached("xdotool", {"key", "Return"});
        });
        answer.start(300);
        test::SelectRows(*window, {0}, 0);
        Chord({"Delete"});
        QVERIFY(QTest::qWaitFor([&] { return !Exists(folder + "$(touch X).wav"); }, 10000));
        QCOMPARE(question, QString("Confirm|Delete this File?\n$(touch X).wav"));
        QVERIFY(!Exists(fixture.Path() + "/X") && Exists(folder + "z.wav"));

        test::SelectRows(*window, {0, 1}, 0);
        Chord({"ctrl", "c"});
        const QList<QByteArray> targets = Xclip("TARGETS").split('\n');
        QVERIFY(targets.contains("text/uri-list") && targets.contains("x-special/gnome-copied-files") &&
                targets.contains("UTF8_STRING"));
        QCOMPARE(shell::DecodeUriList(Xclip("text/uri-list").toStdString()),
                 (std::vector<std::string>{folder + "new\nline.wav", folder + "z.wav"}));
    }
};

QTEST_MAIN(TestE2eFileManager)
#include "tst_e2e_file_manager.moc"
