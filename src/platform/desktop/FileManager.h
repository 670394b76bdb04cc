#pragma once
// The desktop's file manager: a file's properties and a folder's window come from
// org.freedesktop.FileManager1 on the session bus when a program owns that name or the
// bus can start one. Otherwise our own read-only "Properties" dialog shows the file, and
// the folder goes to the desktop's handler of file URLs.
//
// Nothing waits: whether the name is served is asked asynchronously with a 500 ms
// timeout, and the file manager's call is sent without waiting for its answer.
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QDBusMessage;
class QWidget;

namespace vistrel {

// What "&Copy Folder Name" puts there: the folder's own name; "" for "/".
std::string FolderNameText(const std::string& folder);

using SizeTextFunction = std::function<std::string(int64_t bytes)>;
// The rows of our properties dialog (label, value): "Name:", "Folder:", "Size:" (the size
// text and the bytes), "Modified:", "Permissions:", "Owner:"; "Error:" and the reason
// instead of the last four when the file cannot be read.
std::vector<std::pair<std::string, std::string>> PropertiesRows(const std::string& fullName,
                                                                 const SizeTextFunction& sizeText);

class FileManager : public QObject {
    Q_OBJECT

public:
    // Our own dialogs open over `dialogParent`.
    explicit FileManager(QWidget* dialogParent, SizeTextFunction sizeText = {});

    void ShowItemProperties(const std::string& fullName);
    void ShowFolder(const std::string& folder);
    bool RequestPending() const { return pendingCalls_ > 0; }

private:
    // Runs `then` with true when the file manager's name has an owner or can be started.
    void WhenServed(std::function<void(bool served)> then);
    template <typename OnReply>
    void CallBus(const QDBusMessage& call, OnReply onReply);
    void SendToFileManager(const char* method, const std::string& path);
    void ShowPropertiesDialog(const std::string& fullName);

    QPointer<QWidget> dialogParent_;
    SizeTextFunction sizeText_;
    int pendingCalls_ = 0;
};

}  // namespace vistrel
