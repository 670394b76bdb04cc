#include "platform/desktop/FileManager.h"

#include "platform/shell/UriList.h"
#include "support/FilePaths.h"

#include <QDateTime>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QUrl>
#include <QWidget>

#include <cstring>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace vistrel {

namespace {

constexpr const char* kFileManagerService = "org.freedesktop.FileManager1";
constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";
// A bus that does not answer must not hold the menu's action up for long.
constexpr int kCallTimeoutMs = 500;

QDBusMessage BusDaemonCall(const char* method)
{
    return QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                          QString::fromLatin1(method));
}

std::string GroupedDigits(int64_t number)
{
    std::string digits = std::to_string(number);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), ",");
    return digits;
}

std::string SizeRow(int64_t bytes, const SizeTextFunction& sizeText)
{
    const std::string exact = GroupedDigits(bytes) + " bytes";
    return sizeText ? sizeText(bytes) + " (" + exact + ")" : exact;
}

std::string PermissionsRow(mode_t mode)
{
    std::string text = S_ISDIR(mode) ? "d" : S_ISLNK(mode) ? "l" : S_ISREG(mode) ? "-" : "?";
    const char* letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? letters[bit] : '-';
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", unsigned(mode & 07777));
    return text + " (" + octal + ")";
}

std::string OwnerRow(uid_t uid, gid_t gid)
{
    char buffer[4096];
    passwd user{};
    passwd* userFound = nullptr;
    group grp{};
    group* groupFound = nullptr;
    getpwuid_r(uid, &user, buffer, sizeof buffer, &userFound);
    const std::string userName = userFound ? userFound->pw_name : std::to_string(uid);
    getgrgid_r(gid, &grp, buffer, sizeof buffer, &groupFound);
    const std::string groupName = groupFound ? groupFound->gr_name : std::to_string(gid);
    return userName + ":" + groupName;
}

std::string ModifiedRow(const struct stat& st)
{
    const QDateTime modified = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
    return modified.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
}

}  // namespace

std::string FolderNameText(const std::string& folder)
{
    const std::string path = RemoveTrailingSlashes(folder);
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

std::vector<std::pair<std::string, std::string>> PropertiesRows(const std::string& fullName,
                                                                 const SizeTextFunction& sizeText)
{
    const size_t slash = fullName.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : fullName.substr(0, slash + 1);
    std::vector<std::pair<std::string, std::string>> rows{{"Name:", fullName.substr(slash + 1)},
                                                          {"Folder:", RemoveTrailingSlashes(folder)}};
    struct stat st {};
    if (stat(fullName.c_str(), &st) != 0 && lstat(fullName.c_str(), &st) != 0) {
        rows.emplace_back("Error:", strerrordesc_np(errno));
        return rows;
    }
    rows.emplace_back("Size:", SizeRow(st.st_size, sizeText));
    rows.emplace_back("Modified:", ModifiedRow(st));
    rows.emplace_back("Permissions:", PermissionsRow(st.st_mode));
    rows.emplace_back("Owner:", OwnerRow(st.st_uid, st.st_gid));
    return rows;
}

FileManager::FileManager(QWidget* dialogParent, SizeTextFunction sizeText)
    : dialogParent_(dialogParent), sizeText_(std::move(sizeText))
{
}

void FileManager::ShowItemProperties(const std::string& fullName)
{
    WhenServed([this, fullName](bool served) {
        if (served)
            SendToFileManager("ShowItemProperties", fullName);
        else
            ShowPropertiesDialog(fullName);
    });
}

void FileManager::ShowFolder(const std::string& folder)
{
    const std::string path = RemoveTrailingSlashes(folder);
    WhenServed([this, path](bool served) {
        if (served)
            SendToFileManager("ShowFolders", path);
        else
            QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(shell::FileUri(path))));
    });
}

template <typename OnReply>
void FileManager::CallBus(const QDBusMessage& call, OnReply onReply)
{
    // Owned by this object: an answer that comes after it is gone is dropped.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    ++pendingCalls_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, onReply] {
        --pendingCalls_;
        onReply(watcher->reply());
        watcher->deleteLater();
    });
}

void FileManager::WhenServed(std::function<void(bool served)> then)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        then(false);
        return;
    }
    QDBusMessage hasOwner = BusDaemonCall("NameHasOwner");
    hasOwner << QString::fromLatin1(kFileManagerService);
    CallBus(hasOwner, [this, then](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool()) {
            then(true);
            return;
        }
        CallBus(BusDaemonCall("ListActivatableNames"), [then](const QDBusMessage& names) {
            then(names.type() == QDBusMessage::ReplyMessage &&
                 names.arguments().value(0).toStringList().contains(QString::fromLatin1(kFileManagerService)));
        });
    });
}

void FileManager::SendToFileManager(const char* method, const std::string& path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kFileManagerService, kFileManagerPath, kFileManagerService,
                                                       QString::fromLatin1(method));
    // No startup id: we have no launch feedback to hand over.
    call << QStringList{QString::fromStdString(shell::FileUri(path))} << QString();
    QDBusConnection::sessionBus().send(call);
}

void FileManager::ShowPropertiesDialog(const std::string& fullName)
{
    auto* dialog = new QDialog(dialogParent_);
    dialog->setObjectName("propertiesDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Properties"));
    auto* form = new QFormLayout(dialog);
    for (const auto& [label, value] : PropertiesRows(fullName, sizeText_)) {
        auto* shown = new QLabel(QString::fromStdString(value), dialog);
        shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromStdString(label), shown);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog->show();
}

}  // namespace vistrel
