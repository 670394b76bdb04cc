#pragma once
// Files dragged out of the file list to other programs, and files dropped onto it from
// them. A drag starts once the pointer has moved more than 3 pixels with the left button
// held and carries the selected files for copying or moving; after it the list is read
// again. A drop copies or moves the files into the open folder: Shift moves, Ctrl copies,
// otherwise files from the open folder's file system are moved and others copied.
#include "browser/FileTransfer.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <string>
#include <vector>

class QDrag;
class QDragMoveEvent;
class QDropEvent;
class QListView;
class QMouseEvent;

namespace vistrel {

class FileBrowser;

class FileDragDrop : public QObject {
    Q_OBJECT

public:
    // Watches `fileList`'s viewport; `transfer` is read at each drop (empty: no drops).
    FileDragDrop(FileBrowser& browser, QListView* fileList, const FileTransfer& transfer, QObject* parent = nullptr);

    // Runs the drag with the offered actions and returns the one the target took. Tests
    // replace it: a drag needs a real pointer.
    std::function<Qt::DropAction(QDrag& drag, Qt::DropActions offered)> ExecDrag;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a drop of the dragged files depends on, read once when the drag enters.
    struct DraggedFiles {
        std::vector<std::string> files;
        bool fromOpenFolder = false;     // the first file lies in the open folder
        bool sameFileSystem = false;     // ... or at least on its file system
        bool readable = false;           // the first file and the open folder exist
    };

    bool MousePressed(const QMouseEvent& mouse);
    bool MouseMoved(const QMouseEvent& mouse);
    void StartDrag(const std::vector<std::string>& files);
    void AfterDrag(int formerCaret);
    DraggedFiles Inspect(std::vector<std::string> files) const;
    Qt::DropAction DropAction(Qt::KeyboardModifiers modifiers, Qt::DropActions possible) const;
    bool DragMoved(QDragMoveEvent& event, bool entered);
    bool Dropped(QDropEvent& event);
    std::vector<std::string> FilesNotInOpenFolder() const;

    FileBrowser& browser_;
    QListView* fileList_;
    const FileTransfer& transfer_;
    bool armed_ = false;
    QPoint pressPos_;
    DraggedFiles dragged_;
};

}  // namespace vistrel
