#include "browser/FileDragDrop.h"

#include "browser/FileBrowser.h"
#include "browser/FileClipboard.h"
#include "platform/shell/FsOps.h"

#include <QDrag>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>

#include <cstdlib>
#include <sys/stat.h>

namespace vistrel {

namespace {

// Deliberately not the desktop's drag distance: a small move is enough to drag.
constexpr int kDragStartPixels = 3;

std::string ParentFolder(std::string name)
{
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    const size_t slash = name.rfind('/');
    return slash == std::string::npos ? std::string{} : name.substr(0, slash + 1);
}

bool StatOf(const std::string& path, struct stat& st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

FileDragDrop::FileDragDrop(FileBrowser& browser, QListView* fileList, const FileTransfer& transfer, QObject* parent)
    : QObject(parent), browser_(browser), fileList_(fileList), transfer_(transfer)
{
    ExecDrag = [](QDrag& drag, Qt::DropActions offered) { return drag.exec(offered, Qt::CopyAction); };
    // A press on a selected file keeps the other selected files selected, so they can
    // be dragged together. The items themselves are not draggable: the view never starts
    // a drag of its own.
    fileList_->setDragEnabled(true);
    fileList_->setAcceptDrops(true);
    fileList_->viewport()->setAcceptDrops(true);
    fileList_->viewport()->installEventFilter(this);
}

bool FileDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return MousePressed(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return MouseMoved(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        armed_ = false;
        return false;
    case QEvent::DragEnter:
        return DragMoved(*static_cast<QDragEnterEvent*>(event), true);
    case QEvent::DragMove:
        return DragMoved(*static_cast<QDragMoveEvent*>(event), false);
    case QEvent::DragLeave:
        dragged_ = {};
        return true;
    case QEvent::Drop:
        return Dropped(*static_cast<QDropEvent*>(event));
    default:
        return QObject::eventFilter(watched, event);
    }
}

// ---- Dragging out ----------------------------------------------------------------------

bool FileDragDrop::MousePressed(const QMouseEvent& mouse)
{
    armed_ = mouse.button() == Qt::LeftButton;
    pressPos_ = mouse.position().toPoint();
    return false;
}

// Until the drag starts, small moves are kept from the list, which would otherwise
// extend the selection that is about to be dragged.
bool FileDragDrop::MouseMoved(const QMouseEvent& mouse)
{
    if (!armed_ || !(mouse.buttons() & Qt::LeftButton))
        return false;
    const QPoint moved = mouse.position().toPoint() - pressPos_;
    if (std::abs(moved.x()) <= kDragStartPixels && std::abs(moved.y()) <= kDragStartPixels)
        return true;
    armed_ = false;
    const std::vector<std::string> files = SelectedFullNames(browser_);
    if (files.empty())
        return false;  // a press beside the files: the list's own selecting goes on
    StartDrag(files);
    return true;
}

void FileDragDrop::StartDrag(const std::vector<std::string>& files)
{
    const int caret = browser_.CurrentRow();
    auto* drag = new QDrag(fileList_);
    drag->setMimeData(FileListMimeData(files, false));
    ExecDrag(*drag, Qt::CopyAction | Qt::MoveAction);
    drag->deleteLater();
    AfterDrag(caret);
}

// The target did whatever it did with the files (after a move it removed them itself; we
// never delete anything on its word): the list shows the folder as it is now.
void FileDragDrop::AfterDrag(int formerCaret)
{
    browser_.FileNotificationStartStop("FileDragDrop", false);
    browser_.RefreshDirAndFileList();
    if (formerCaret >= 0 && formerCaret < browser_.RowCount())
        browser_.MoveCaret(formerCaret);
    browser_.FileNotificationStartStop("FileDragDrop", true);
}

// ---- Dropping in -----------------------------------------------------------------------

FileDragDrop::DraggedFiles FileDragDrop::Inspect(std::vector<std::string> files) const
{
    DraggedFiles dragged{std::move(files)};
    struct stat first {}, folder {}, firstFolder {};
    if (dragged.files.empty() || ::lstat(dragged.files.front().c_str(), &first) != 0 ||
        !StatOf(browser_.CurrentFolder(), folder))
        return dragged;
    dragged.readable = true;
    dragged.sameFileSystem = first.st_dev == folder.st_dev;
    dragged.fromOpenFolder = StatOf(ParentFolder(dragged.files.front()), firstFolder) && shell::SameNode(firstFolder, folder);
    return dragged;
}

// Shift moves and Ctrl copies; without them the file system decides, and a move the
// source does not offer becomes a copy.
Qt::DropAction FileDragDrop::DropAction(Qt::KeyboardModifiers modifiers, Qt::DropActions possible) const
{
    if (!dragged_.readable || dragged_.fromOpenFolder || !transfer_)
        return Qt::IgnoreAction;
    const bool chosen = modifiers & (Qt::ShiftModifier | Qt::ControlModifier);
    const Qt::DropAction wanted = (modifiers & Qt::ShiftModifier)     ? Qt::MoveAction
                                  : (modifiers & Qt::ControlModifier) ? Qt::CopyAction
                                  : dragged_.sameFileSystem           ? Qt::MoveAction
                                                                      : Qt::CopyAction;
    if (possible & wanted)
        return wanted;
    return !chosen && (possible & Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
}

// An ignored event shows the no-drop cursor.
bool FileDragDrop::DragMoved(QDragMoveEvent& event, bool entered)
{
    if (entered)
        dragged_ = Inspect(FilesOfMimeData(event.mimeData()));
    const Qt::DropAction action = DropAction(event.modifiers(), event.possibleActions());
    if (action == Qt::IgnoreAction) {
        event.ignore();
    } else {
        event.setDropAction(action);
        event.accept();
    }
    return true;
}

std::vector<std::string> FileDragDrop::FilesNotInOpenFolder() const
{
    struct stat folder {}, parent {};
    if (!StatOf(browser_.CurrentFolder(), folder))
        return {};
    std::vector<std::string> files;
    for (const std::string& file : dragged_.files) {
        if (!StatOf(ParentFolder(file), parent) || !shell::SameNode(parent, folder))
            files.push_back(file);
    }
    return files;
}

// The source hears "moved" only when every file it gave was moved, so that a source
// which removes its files after a move never removes one that is not here.
bool FileDragDrop::Dropped(QDropEvent& event)
{
    const Qt::DropAction action = DropAction(event.modifiers(), event.possibleActions());
    const std::vector<std::string> files = FilesNotInOpenFolder();
    if (action == Qt::IgnoreAction || files.empty()) {
        event.ignore();
        dragged_ = {};
        return true;
    }
    const shell::FileOp op = action == Qt::MoveAction ? shell::FileOp::Move : shell::FileOp::Copy;
    const shell::TransferResult result = transfer_(op, files, browser_.CurrentFolder());
    const bool allMoved = op == shell::FileOp::Move && result.ok && !result.cancelled &&
                          result.done.size() == dragged_.files.size();
    event.setDropAction(allMoved ? Qt::MoveAction : Qt::CopyAction);
    event.accept();
    dragged_ = {};
    browser_.RefreshDirAndFileList();
    return true;
}

}  // namespace vistrel
