// Files exchanged with other programs through the file list: dropped files are moved or
// copied by the rules of Shift, Ctrl and the file system, and the source hears "moved"
// only when all were; a drag carries the selection and leaves deleting to the target; the
// clipboard holds the selected files and pastes copies of what it holds.
#include "browser/FileClipboard.h"
#include "browser/FileDragDrop.h"
#include "support/MainWindowFixture.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;

namespace {

std::string Base(const std::string& name)
{
    return name.substr(name.rfind('/') + 1);
}

QString Names(const std::vector<std::string>& files)
{
    QStringList names;
    for (const std::string& file : files)
        names << QString::fromStdString(Base(file));
    return names.join(',');
}

// The file list's names and, after "|", the caret row.
QString Listed(const MainWindow& window)
{
    QStringList names;
    for (int row = 0; row < window.Browser().RowCount(); ++row)
        names << QString::fromStdString(Base(window.Browser().GetFullFilename(row)));
    return names.join(',') + "|" + QString::number(window.Browser().CurrentRow());
}

}  // namespace

class TestFileDragDrop : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    QTemporaryDir otherFileSystem_{"/dev/shm/vistrel-dd-XXXXXX"};
    // What the transfer was asked ("op files") and did: a plain rename or copy; the file
    // named `failing` stays where it is.
    QString asked_;
    std::string failing_;

    static std::string Folder(const std::string& path, const std::vector<std::string>& files)
    {
        std::filesystem::create_directories(path);
        for (const std::string& file : files)
            test::WriteFile(path + "/" + file, "x");
        return path + "/";
    }
    std::unique_ptr<MainWindow> Open(const std::string& folder)
    {
        auto window = fixture_.Load("Path=" + folder + "\n");
        window->TransferFiles = [this](shell::FileOp op, const std::vector<std::string>& sources, const std::string& into) {
            asked_ = QString(op == shell::FileOp::Move ? "Move " : "Copy ") + Names(sources);
            shell::TransferResult result;
            for (const std::string& source : sources) {
                const std::string to = into + Base(source);
                std::error_code error;
                if (source == failing_)
                    continue;
                if (op == shell::FileOp::Move)
                    std::filesystem::rename(source, to, error);
                if (op == shell::FileOp::Copy || error == std::errc::cross_device_link) {
                    std::filesystem::copy_file(source, to, error);
                    if (op == shell::FileOp::Move && !error)
                        std::filesystem::remove(source, error);
                }
                if (!error)
                    result.done.push_back(source);
            }
            result.ok = result.done.size() == sources.size();
            return result;
        };
        return window;
    }

private slots:
    void initTestCase()
    {
        struct stat tmp {}, shm {};
        QVERIFY2(otherFileSystem_.isValid() && ::stat(fixture_.Path().c_str(), &tmp) == 0 &&
                     ::stat(otherFileSystem_.path().toLocal8Bit(), &shm) == 0 && tmp.st_dev != shm.st_dev,
                 "needs /dev/shm on a file system apart from the temporary folder's: run through ./test.sh");
    }
    // Names that are not UTF-8 are beyond QTemporaryDir.
    void cleanupTestCase() { std::filesystem::remove_all(fixture_.Path()); }
    void init()
    {
        asked_.clear();
        failing_.clear();
    }

    // Files a.mp3, b.mp3 from `source` ("same": the open folder's file system, "other":
    // another one, "here": the open folder; "mixed": a from "same", b from "here") dropped
    // with `modifiers`, the source offering `offered`. Result: the action shown while
    // dragging, the transfer asked for, the action the source is told, and the list.
    void drop_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("offered");
        QTest::addColumn<bool>("bFails");
        QTest::addColumn<QString>("result");
        const int both = Qt::CopyAction | Qt::MoveAction, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("same file system: move") << "same" << 0 << both << false << "2 Move a.mp3,b.mp3 2 a.mp3,b.mp3,h.mp3";
        QTest::newRow("same, Ctrl: copy") << "same" << ctrl << both << false << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("other file system: copy") << "other" << 0 << both << false << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("other, Shift: move") << "other" << shift << both << false << "2 Move a.mp3,b.mp3 2 a.mp3,b.mp3,h.mp3";
        QTest::newRow("Shift before Ctrl") << "same" << (shift | ctrl) << both << false << "2 Move a.mp3,b.mp3 2 a.mp3,b.mp3,h.mp3";
        QTest::newRow("one move fails: told copy") << "same" << 0 << both << true << "2 Move a.mp3,b.mp3 1 a.mp3,h.mp3";
        QTest::newRow("source offers copy only") << "same" << 0 << int(Qt::CopyAction) << false << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("Shift, copy only: no drop") << "same" << shift << int(Qt::CopyAction) << false << "0  0 h.mp3";
        QTest::newRow("from the open folder: no drop") << "here" << 0 << both << false << "0  0 a.mp3,b.mp3,h.mp3";
        QTest::newRow("one already here: skipped, told copy") << "mixed" << 0 << both << false << "2 Move a.mp3 1 a.mp3,b.mp3,h.mp3";
    }
    void drop()
    {
        QFETCH(QString, source);
        QFETCH(int, modifiers);
        QFETCH(int, offered);
        QFETCH(bool, bFails);
        QFETCH(QString, result);
        test::MsgBoxRecorder recorder;
        const std::string tag = QTest::currentDataTag();
        const std::string here = Folder(fixture_.Path(tag + "/here"), {"h.mp3"});
        const std::string from = Folder(source == "here"    ? fixture_.Path(tag + "/here")
                                        : source == "other" ? otherFileSystem_.filePath(QString::fromStdString(tag)).toStdString()
                                                            : fixture_.Path(tag + "/from"),
                                        {"a.mp3", "b.mp3"});
        const std::string bFrom = source == "mixed" ? Folder(fixture_.Path(tag + "/here"), {"b.mp3"}) : from;
        failing_ = bFails ? from + "b.mp3" : "";
        const auto window = Open(here);
        QMimeData data;  // as other programs make it
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(from + "a.mp3")), QUrl::fromLocalFile(QString::fromStdString(bFrom + "b.mp3"))});
        QWidget* viewport = window->Controls().fileList->viewport();
        QDragEnterEvent enter({5, 5}, Qt::DropActions(offered), &data, Qt::LeftButton, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(viewport, &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::DropActions(offered), &data, Qt::LeftButton, Qt::KeyboardModifiers(modifiers));
        if (enter.isAccepted())
            QApplication::sendEvent(viewport, &dropped);
        const int told = enter.isAccepted() && dropped.isAccepted() ? dropped.dropAction() : 0;
        QCOMPARE(QString("%1 %2 %3 %4").arg(enter.isAccepted() ? enter.dropAction() : 0).arg(asked_).arg(told).arg(Listed(*window).section('|', 0, 0)), result);
        QVERIFY(recorder.Messages().empty());
    }
    // A press on one of the selected files keeps them selected; a move of 3 pixels does not
    // drag, one of 4 drags them, offering copy and move, and plays nothing. The target took
    // b only, yet answers "moved": c stays (we delete nothing), and the list is read again
    // with the caret on its former row.
    void dragOut()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder(fixture_.Path("out"), {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
        const std::string target = Folder(fixture_.Path("target"), {});
        const auto window = Open(folder);
        QStringList dragged, played;
        window->Browser().PlaySelectedTitle = [&played](const std::string& tag) { played << QString::fromStdString(tag); };
        window->findChild<FileDragDrop*>()->ExecDrag = [&](QDrag& drag, Qt::DropActions offered) {
            dragged << QString::number(offered) + " " + Names(FilesOfMimeData(drag.mimeData()));
            std::filesystem::rename(folder + "b.mp3", target + "b.mp3");
            return Qt::MoveAction;
        };
        test::SelectRows(*window, {1, 2}, 1);
        QWidget* viewport = window->Controls().fileList->viewport();
        const QPoint at = test::RowRect(*window, 2).center();
        const auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButton button) {
            QMouseEvent event(type, pos, viewport->mapToGlobal(pos), button, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        };
        send(QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(QEvent::MouseMove, at + QPoint(3, -3), Qt::NoButton);
        QVERIFY(dragged.isEmpty() && window->Browser().SelectedCount() == 2);
        send(QEvent::MouseMove, at + QPoint(0, 4), Qt::NoButton);
        QCOMPARE(dragged, QStringList{QString::number(Qt::CopyAction | Qt::MoveAction) + " b.mp3,c.mp3"});
        QCOMPARE(Listed(*window), QString("a.mp3,c.mp3,d.mp3|2"));
        QVERIFY(played.isEmpty() && recorder.Messages().empty());
    }

    // Ctrl+C puts the selected files on the clipboard as a URI list, a copied-files offer
    // and text; Ctrl+V in another folder copies them there, byte-exact names and all. A
    // "cut" offer from another program is copied too and its file stays; text alone is no
    // file list.
    void clipboardRoundTrip()
    {
        test::MsgBoxRecorder recorder;
        const std::vector<std::string> hostile{"a'b.mp3", "new\nline.mp3", "\xff\xfe.mp3", "$(touch X).mp3", "-rf.mp3"};
        const std::string from = Folder(fixture_.Path("copied"), hostile), into = Folder(fixture_.Path("pasted"), {});
        test::WriteFile(from + "z.mp3", "x");
        const auto window = Open(from);
        QList<int> rows;
        std::vector<std::string> selected;
        std::string text;
        for (int row = 0; row < window->Browser().RowCount(); ++row) {
            const std::string name = window->Browser().GetFullFilename(row);
            if (Base(name) != "z.mp3") {
                rows << row;
                selected.push_back(name);
                text += (text.empty() ? "" : "\n") + name;
            }
        }
        test::SelectRows(*window, rows, 0);
        window->CopyFilesToClipboard();
        QClipboard* clipboard = QGuiApplication::clipboard();
        QCOMPARE(clipboard->mimeData()->data("text/plain").toStdString(), text);
        QVERIFY(clipboard->mimeData()->data("x-special/gnome-copied-files").startsWith("copy\nfile:///"));
        QCOMPARE(GetFilesFromClipboard(), selected);
        window->Browser().SetFolder(into);
        window->PasteFilesFromClipboard();
        QCOMPARE(asked_, "Copy " + Names(selected));
        for (const std::string& name : hostile)
            QVERIFY(::access((into + name).c_str(), F_OK) == 0 && ::access((from + name).c_str(), F_OK) == 0);
        QCOMPARE(window->Browser().RowCount(), int(hostile.size()));

        auto* cut = new QMimeData;
        cut->setData("x-special/gnome-copied-files", QByteArray::fromStdString("cut\nfile://" + from + "z.mp3\n"));
        clipboard->setMimeData(cut);
        window->PasteFilesFromClipboard();
        QVERIFY(asked_ == "Copy z.mp3" && ::access((from + "z.mp3").c_str(), F_OK) == 0);
        QVERIFY(Listed(*window).contains("z.mp3"));
        asked_.clear();
        clipboard->setText(QString::fromStdString(from + "z.mp3"));
        window->PasteFilesFromClipboard();
        QVERIFY(asked_.isEmpty() && recorder.Messages().empty());
    }
};

QTEST_MAIN(TestFileDragDrop)
#include "tst_file_drag_drop.moc"
