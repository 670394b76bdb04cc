// Files exchanged with other programs through the file list: dropped files are moved or
// copied by the rules of Shift, Ctrl and the file system, and the source hears "moved"
// only when all were; a drag carries the selection and leaves deleting to the target; the
// clipboard holds the selected files and pastes copies of what it holds.
#include "browser/FileClipboard.h"
#include "browser/FileDragDrop.h"
#include "support/MainWindowFixture.h"

#include <QClipboard>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

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

    std::string Folder(const std::string& path, const QStringList& files)
    {
        QDir().mkpath(QString::fromStdString(path));
        for (const QString& file : files)
            test::WriteFile(path + "/" + file.toStdString(), "x");
        return path + "/";
    }
    std::unique_ptr<MainWindow> Open(const std::string& folder)
    {
        auto window = fixture_.Load("Path=" + folder + "\n");
        window->TransferFiles = [this](shell::FileOp op, const std::vector<std::string>& sources, const std::string& into) {
            asked_ = QString(op == shell::FileOp::Move ? "Move " : "Copy ") + Names(sources);
            shell::TransferResult result;
            for (const std::string& source : sources) {
                const QString from = QString::fromStdString(source), to = QString::fromStdString(into + Base(source));
                if (source != failing_ && (op == shell::FileOp::Move ? QFile::rename(from, to) : QFile::copy(from, to)))
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
};

QTEST_MAIN(TestFileDragDrop)
#include "tst_file_drag_drop.moc"
