// Files exchanged with other programs through the file list: drops move or copy by Shift,
// Ctrl and the file system, and the source hears "moved" only when all were; a drag carries
// the selection and leaves deleting to the target; the clipboard pastes copies of its files.
#include "browser/FileClipboard.h"
#include "browser/FileDragDrop.h"
#include "support/MainWindowFixture.h"

#include <QClipboard>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <sys/stat.h>

using namespace vistrel;
namespace fs = std::filesystem;

static QString Names(const std::vector<std::string>& files)
{
    QStringList names;
    for (const std::string& file : files)
        names << QString::fromStdString(fs::path(file).filename());
    return names.join(',');
}

static std::string Folder(const std::string& path, const std::vector<std::string>& files)
{
    fs::create_directories(path);
    for (const std::string& file : files)
        test::WriteFile(path + "/" + file, "x");
    return path + "/";
}

class TestFileDragDrop : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QTemporaryDir otherFileSystem_{"/dev/shm/vistrel-dd-XXXXXX"};
    QString asked_;  // the last transfer: "Move a.mp3,b.mp3"
    std::string failing_;  // a file the transfer leaves where it is

    std::unique_ptr<MainWindow> Open(const std::string& folder)
    {
        asked_.clear();
        auto window = fixture_.Load("Path=" + folder + "\n");
        window->TransferFiles = [this](shell::FileOp op, const std::vector<std::string>& sources, const std::string& into) {
            asked_ = (op == shell::FileOp::Move ? "Move " : "Copy ") + Names(sources);
            shell::TransferResult result;
            for (const std::string& source : sources) {
                std::error_code error;
                if (source != failing_ && fs::copy_file(source, into + fs::path(source).filename().string(), error) &&
                    (op == shell::FileOp::Copy || fs::remove(source, error)))
                    result.done.push_back(source);
            }
            result.ok = result.done.size() == sources.size();
            return result;
        };
        return window;
    }
    QString Listed(const MainWindow& window) const
    {
        std::vector<std::string> names;
        for (int row = 0; row < window.Browser().RowCount(); ++row)
            names.push_back(window.Browser().GetFullFilename(row));
        return Names(names);
    }

private slots:
    void initTestCase()
    {
        struct stat tmp {}, shm {};
        QVERIFY2(::stat(fixture_.Path().c_str(), &tmp) == 0 && ::stat(otherFileSystem_.path().toLocal8Bit(), &shm) == 0 && tmp.st_dev != shm.st_dev,
                 "needs /dev/shm on a file system apart from the temporary folder's: run through ./test.sh");
    }
    void cleanupTestCase() { fs::remove_all(fixture_.Path()); }  // names that are not UTF-8 are beyond QTemporaryDir

    // a.mp3 and b.mp3 from `source` ("same" file system as the open folder, "other", "here"
    // = the open folder, "mixed" = a same, b here, "b fails" = same, b is not moved) dropped
    // with `modifiers`, the source offering `offered`: the action shown while dragging, the
    // transfer asked for, the action the source is told, and the list after.
    void drop_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("offered");
        QTest::addColumn<QString>("result");
        const int both = Qt::CopyAction | Qt::MoveAction, copy = Qt::CopyAction, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("same file system: move") << "same" << 0 << both << "2 Move a.mp3,b.mp3 2 a.mp3,b.mp3,h.mp3";
        QTest::newRow("same, Ctrl: copy") << "same" << ctrl << both << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("other file system: copy") << "other" << 0 << both << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("other, Shift (and Ctrl): move") << "other" << (shift | ctrl) << both << "2 Move a.mp3,b.mp3 2 a.mp3,b.mp3,h.mp3";
        QTest::newRow("one move fails: told copy") << "b fails" << 0 << both << "2 Move a.mp3,b.mp3 1 a.mp3,h.mp3";
        QTest::newRow("source offers copy only") << "same" << 0 << copy << "1 Copy a.mp3,b.mp3 1 a.mp3,b.mp3,h.mp3";
        QTest::newRow("Shift, copy only: no drop") << "same" << shift << copy << "0  0 h.mp3";
        QTest::newRow("from the open folder: no drop") << "here" << 0 << both << "0  0 a.mp3,b.mp3,h.mp3";
        QTest::newRow("one already here: skipped, told copy") << "mixed" << 0 << both << "2 Move a.mp3 1 a.mp3,b.mp3,h.mp3";
    }
    void drop()
    {
        QFETCH(QString, source);
        QFETCH(int, modifiers);
        QFETCH(int, offered);
        test::MsgBoxRecorder recorder;
        const std::string tag = QTest::currentDataTag(), hereName = fixture_.Path(tag + "/here");
        const std::string here = Folder(hereName, {"h.mp3"}), other = otherFileSystem_.filePath(tag.c_str()).toStdString();
        const std::string from = Folder(source == "here" ? hereName : source == "other" ? other : fixture_.Path(tag + "/from"), {"a.mp3", "b.mp3"});
        const std::string bFrom = source == "mixed" ? Folder(hereName, {"b.mp3"}) : from;
        failing_ = source == "b fails" ? from + "b.mp3" : "";
        const auto window = Open(here);
        QMimeData data;  // as other programs make it
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(from + "a.mp3")), QUrl::fromLocalFile(QString::fromStdString(bFrom + "b.mp3"))});
        QDragEnterEvent enter({5, 5}, Qt::DropActions(offered), &data, Qt::LeftButton, Qt::KeyboardModifiers(modifiers));
        QDropEvent dropped(QPointF(5, 5), Qt::DropActions(offered), &data, Qt::LeftButton, Qt::KeyboardModifiers(modifiers));
        QApplication::sendEvent(window->Controls().fileList->viewport(), &enter);
        if (enter.isAccepted())
            QApplication::sendEvent(window->Controls().fileList->viewport(), &dropped);
        const int shown = enter.isAccepted() ? enter.dropAction() : 0, told = enter.isAccepted() && dropped.isAccepted() ? dropped.dropAction() : 0;
        QTEST(QString("%1 %2 %3 %4").arg(shown).arg(asked_).arg(told).arg(Listed(*window)), "result");
        QVERIFY(recorder.Messages().empty());
    }

    // A press on one of the selected files keeps them selected; a move of 3 pixels does not
    // drag, one of 4 drags them, offering copy and move, and plays nothing. The target took
    // b only, yet answers "moved": c stays, and the list is read again with the caret on
    // its former row.
    void dragOut()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder(fixture_.Path("out"), {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
        const auto window = Open(folder);
        QStringList dragged, played;
        window->Browser().PlaySelectedTitle = [&played](const std::string& tag) { played << QString::fromStdString(tag); };
        window->findChild<FileDragDrop*>()->ExecDrag = [&](QDrag& drag, Qt::DropActions offered) {
            dragged << QString::number(offered) + " " + Names(FilesOfMimeData(drag.mimeData()));
            fs::remove(folder + "b.mp3");
            return Qt::MoveAction;
        };
        test::SelectRows(*window, {1, 2}, 1);
        QWidget* viewport = window->Controls().fileList->viewport();
        const QPoint at = test::RowRect(*window, 2).center();
        for (const QPoint to : {at, at + QPoint(3, -3), at + QPoint(0, 4)}) {
            QMouseEvent event(to == at ? QEvent::MouseButtonPress : QEvent::MouseMove, to, viewport->mapToGlobal(to),
                              to == at ? Qt::LeftButton : Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
            QVERIFY(dragged.isEmpty() == (to != at + QPoint(0, 4)) && (!dragged.isEmpty() || window->Browser().SelectedCount() == 2));
        }
        QCOMPARE(dragged, QStringList{QString::number(Qt::CopyAction | Qt::MoveAction) + " b.mp3,c.mp3"});
        QCOMPARE(Listed(*window) + " " + QString::number(window->Browser().CurrentRow()), QString("a.mp3,c.mp3,d.mp3 2"));
        QVERIFY(played.isEmpty() && recorder.Messages().empty());
    }

    // Ctrl+C puts the selected files on the clipboard as a URI list, a copied-files offer
    // and text; Ctrl+V in another folder copies them there, byte-exact names and all. A
    // "cut" offer from another program is copied too and its file stays; text alone is no
    // file list.
    void clipboardRoundTrip()
    {
        test::MsgBoxRecorder recorder;
        const std::vector<std::string> hostile{"$(touch X).mp3", "-rf.mp3", "a'b.mp3", "new\nline.mp3", "\xff\xfe.mp3"};
        const std::string from = Folder(fixture_.Path("copied"), hostile), into = Folder(fixture_.Path("pasted"), {});
        const auto window = Open(from);
        test::WriteFile(from + "z.mp3", "x");
        std::vector<std::string> selected;
        std::string text;
        for (const std::string& name : hostile)
            text += (text.empty() ? "" : "\n") + selected.emplace_back(from + name);
        test::SelectRows(*window, {0, 1, 2, 3, 4}, 0);
        window->CopyFilesToClipboard();
        const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(offered->data("text/plain").toStdString(), text);
        QVERIFY(offered->data("x-special/gnome-copied-files").startsWith("copy\nfile:///") && GetFilesFromClipboard() == selected);
        window->Browser().SetFolder(into);
        window->PasteFilesFromClipboard();
        QCOMPARE(asked_, "Copy " + Names(selected));
        for (const std::string& name : hostile)
            QVERIFY(fs::exists(into + name) && fs::exists(from + name));
        auto* cut = new QMimeData;
        cut->setData("x-special/gnome-copied-files", QByteArray::fromStdString("cut\nfile://" + from + "z.mp3\n"));
        QGuiApplication::clipboard()->setMimeData(cut);
        window->PasteFilesFromClipboard();
        QVERIFY(asked_ == "Copy z.mp3" && fs::exists(from + "z.mp3") && Listed(*window).contains("z.mp3"));
        asked_.clear();
        QGuiApplication::clipboard()->setText(QString::fromStdString(from + "z.mp3"));
        window->PasteFilesFromClipboard();
        QVERIFY(asked_.isEmpty() && recorder.Messages().empty());
    }
};

QTEST_MAIN(TestFileDragDrop)
#include "tst_file_drag_drop.moc"
