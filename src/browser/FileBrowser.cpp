#include "browser/FileBrowser.h"

#include "browser/Drives.h"
#include "browser/FileList.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QFileSystemWatcher>
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cstdlib>
#include <cerrno>
#include <utility>
#include <sys/stat.h>

namespace vistrel {

namespace {

constexpr int kQuietPeriodMs = 100;
constexpr int kIndentPerLevel = 2;
constexpr int kToolTipStillPixels = 2;  // a cursor that moved more is not yet resting

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// The folders from "/" down to `folder` (each with a trailing "/").
std::vector<std::string> FolderChain(const std::string& folder)
{
    std::vector<std::string> chain{"/"};
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        chain.push_back(folder.substr(0, slash + 1));
    return chain;
}

}  // namespace

// The file list's rows over the file array: a row is its entry's index. Texts are made
// only for the rows the view asks for, so a folder of many files costs no more than its
// names.
class FileNameModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    const std::vector<std::string>& Names() const { return names_; }
    void SetNames(std::vector<std::string> names)
    {
        beginResetModel();
        names_ = std::move(names);
        endResetModel();
    }
    void RemoveRow(int row)
    {
        beginRemoveRows({}, row, row);
        names_.erase(names_.begin() + row);
        endRemoveRows();
    }
    void Rename(int row, const std::string& name)
    {
        names_[size_t(row)] = name;
        emit dataChanged(index(row), index(row));
    }
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(names_.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= names_.size())
            return {};
        return Q(ShownFileName(names_[size_t(index.row())]));
    }

private:
    std::vector<std::string> names_;
};

FileBrowser::FileBrowser(QComboBox* driveBox, QListWidget* folderList, QListView* fileList, QObject* parent)
    : QObject(parent), Patterns(DefaultFilePatterns()), driveBox_(driveBox), folderList_(folderList), files_(fileList),
      model_(new FileNameModel(this)), watcher_(std::make_unique<QFileSystemWatcher>())
{
    files_->setModel(model_);
    files_->setUniformItemSizes(true);  // one row height for all: no per-row measuring
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(driveBox_, &QComboBox::activated, this, [this] { DriveChanged(); });
    connect(folderList_, &QListWidget::itemActivated, this, &FileBrowser::OpenFolderItem);
    folderList_->installEventFilter(this);
    driveBox_->installEventFilter(this);
    files_->installEventFilter(this);
    filesViewport_ = files_->viewport();
    filesViewport_->setMouseTracking(true);
    filesViewport_->installEventFilter(this);
    connect(files_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileBrowser::FileListClicked);
    connect(files_, &QAbstractItemView::clicked, this, &FileBrowser::FileListReleasedOnItem);
    connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, this, &FileBrowser::FolderContentChanged);
    FillDriveBox();
}

FileBrowser::~FileBrowser() = default;

void FileBrowser::SetFolder(const std::string& folder)
{
    const std::string existing = AddTrailingSlash(GetNearestExistingFolder(folder));
    if (existing.empty())
        return;
    changingControls_ = true;
    folderListPath_ = existing;
    ShowDriveOf(folderListPath_);
    FillFolderList();
    changingControls_ = false;
    FolderListChanged();
}

// ---- Drive box -------------------------------------------------------------------------

void FileBrowser::FillDriveBox()
{
    const bool wasChanging = changingControls_;
    changingControls_ = true;
    driveBox_->clear();
    for (const Drive& drive : ListDrives())
        driveBox_->addItem(Q(DriveText(drive)), Q(drive.mountPoint));
    changingControls_ = wasChanging;
}

// A path on a file system the box does not list (a filtered volume) adds its drive.
void FileBrowser::ShowDriveOf(const std::string& path)
{
    const Drive drive = DriveOfPath(path);
    int index = driveBox_->findData(Q(drive.mountPoint));
    if (index < 0) {
        driveBox_->addItem(Q(DriveText(drive)), Q(drive.mountPoint));
        index = driveBox_->count() - 1;
    }
    driveBox_->setCurrentIndex(index);
    lastGoodDrive_ = drive.mountPoint;
}

void FileBrowser::DriveChanged()
{
    if (changingControls_ || driveBox_->currentIndex() < 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Drive drive = DriveOfPath(S(driveBox_->currentData().toString()));
    const std::string folder = IsDriveReady(drive) ? DriveStartFolder(drive) : std::string{};
    QApplication::restoreOverrideCursor();
    if (!folder.empty() && IsFolder(folder)) {
        lastGoodDrive_ = drive.mountPoint;
        SetFolder(folder);
        return;
    }
    MsgBox("Error accessing " + S(driveBox_->currentText()), kMsgExclamation, kAppTitle);
    changingControls_ = true;
    driveBox_->setCurrentIndex(driveBox_->findData(Q(lastGoodDrive_)));
    changingControls_ = false;
}

// ---- Folder list -----------------------------------------------------------------------

// The open folder is read once for both lists: the folder list takes its subfolders here,
// the file list its files when it fills for the same folder right after.
void FileBrowser::FillFolderList()
{
    freshListing_ = ReadFolder(folderListPath_, Patterns, DeferredDeletionList);
    folderList_->clear();
    const std::vector<std::string> chain = FolderChain(folderListPath_);
    for (size_t depth = 0; depth < chain.size(); ++depth) {
        const std::string& path = chain[depth];
        AddFolderItem(path, depth == 0 ? "/" : GetFileNamePart(path.substr(0, path.size() - 1)), int(depth));
    }
    openFolderRow_ = folderList_->count() - 1;
    folderList_->setCurrentRow(openFolderRow_);
    for (const std::string& name : freshListing_->subfolders)
        AddFolderItem(folderListPath_ + name + "/", name, int(chain.size()));
}

void FileBrowser::AddFolderItem(const std::string& path, const std::string& text, int depth)
{
    auto* item = new QListWidgetItem(QString(depth * kIndentPerLevel, ' ') + Q(text), folderList_);
    item->setData(Qt::UserRole, Q(path));
}

void FileBrowser::OpenFolderItem(QListWidgetItem* item)
{
    if (item)
        SetFolder(S(item->data(Qt::UserRole).toString()));
}

std::string FileBrowser::FolderOfRow(int row) const
{
    const QListWidgetItem* item = folderList_->item(row);
    return item ? S(item->data(Qt::UserRole).toString()) : std::string{};
}

// Opens the parent of the chain folder at `row` and highlights the folder just left.
void FileBrowser::OpenParentOfRow(int row)
{
    if (row <= 0)
        return;
    const std::string left = FolderOfRow(row);
    SetFolder(FolderOfRow(row - 1));
    for (int i = openFolderRow_ + 1; i < folderList_->count(); ++i) {
        if (FolderOfRow(i) == left)
            folderList_->setCurrentRow(i);
    }
}

bool FileBrowser::FolderListKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
    const int row = folderList_->currentRow();
    const bool keypad = modifiers & Qt::KeypadModifier;
    const bool subfolder = row > openFolderRow_;
    if (key == Qt::Key_Return || key == Qt::Key_Enter || (keypad && key == Qt::Key_Plus)) {
        OpenFolderItem(folderList_->currentItem());
    } else if (key == Qt::Key_Right) {
        if (subfolder)
            OpenFolderItem(folderList_->currentItem());
        else if (row == openFolderRow_ && row + 1 < folderList_->count())
            folderList_->setCurrentRow(row + 1);
    } else if (key == Qt::Key_Left || (keypad && key == Qt::Key_Minus)) {
        if (!subfolder)
            OpenParentOfRow(row);
        else if (key == Qt::Key_Left)
            folderList_->setCurrentRow(openFolderRow_);
    } else {
        return false;
    }
    return true;
}

bool FileBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == folderList_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return FolderListKeyDown(key->key(), key->modifiers());
    }
    if (watched == files_ && event->type() == QEvent::KeyPress)
        return FileListKeyPressed(static_cast<QKeyEvent*>(event));
    if (watched == driveBox_ && event->type() == QEvent::FocusIn) {
        DriveBoxFocused(static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    if (watched == filesViewport_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress) {
                handedOverSincePress_ = false;
                emit FileListPressed();
            }
            if (mouse->button() != Qt::RightButton)
                break;
            // The view's own right press would select as a left press does: consumed.
            if (event->type() == QEvent::MouseButtonPress)
                FileListRightClicked(mouse->position().toPoint(), mouse->modifiers());
            return true;
        }
        case QEvent::MouseMove:
            FileListMouseMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::ToolTip: {
            // The list's own tool tip (the view would look for item tool tips only).
            const auto* help = static_cast<QHelpEvent*>(event);
            if (files_->toolTip().isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), files_->toolTip(), files_);
            return true;
        }
        case QEvent::Leave:
            if (toolTipTimer_)
                toolTipTimer_->stop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FileBrowser::FolderListChanged()
{
    if (changingControls_)
        return;
    currentFolder_ = AddTrailingSlash(folderListTag_.empty() ? folderListPath_ : folderListTag_);
    folderListTag_.clear();
    FillFiles();
    SelectPlayingTitle();
    emit FolderOpened(currentFolder_);
    FileNotificationStartStop("FolderListChanged", true);
}

// ---- File list -------------------------------------------------------------------------

void FileBrowser::FillFiles()
{
    const bool wasProgrammatic = ProgrammaticSelection;
    ProgrammaticSelection = true;
    const bool fresh = freshListing_ && currentFolder_ == folderListPath_;
    model_->SetNames(fresh ? std::move(freshListing_->files) : FillFileList(currentFolder_, Patterns, DeferredDeletionList));
    freshListing_.reset();
    ProgrammaticSelection = wasProgrammatic;
}

// The real name of a row (its shown text may differ).
std::string FileBrowser::NameOfRow(int row) const
{
    const std::vector<std::string>& names = model_->Names();
    return row >= 0 && size_t(row) < names.size() ? names[size_t(row)] : std::string{};
}

int FileBrowser::RowCount() const
{
    return model_->rowCount();
}

std::vector<bool> FileBrowser::SelectedFlags() const
{
    std::vector<bool> selected(model_->Names().size(), false);
    for (const QItemSelectionRange& range : files_->selectionModel()->selection())
        std::fill(selected.begin() + range.top(), selected.begin() + range.bottom() + 1, true);
    return selected;
}

// One selection change for the whole list, made of the runs of selected rows.
void FileBrowser::ApplySelection(const std::vector<bool>& selected)
{
    QItemSelection selection;
    const int count = std::min(RowCount(), int(selected.size()));
    for (int first = 0; first < count; ++first) {
        if (!selected[size_t(first)])
            continue;
        int last = first;
        while (last + 1 < count && selected[size_t(last + 1)])
            ++last;
        selection.select(model_->index(first), model_->index(last));
        first = last;
    }
    files_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

int FileBrowser::CurrentRow() const
{
    return files_->currentIndex().row();
}

void FileBrowser::SetCaret(int row, QItemSelectionModel::SelectionFlags command)
{
    files_->selectionModel()->setCurrentIndex(model_->index(row), command);
}

void FileBrowser::MoveCaret(int row)
{
    SetCaret(row, QItemSelectionModel::NoUpdate);
    files_->scrollTo(model_->index(row));
}

void FileBrowser::SelectOnly(int row)
{
    SetCaret(row, QItemSelectionModel::ClearAndSelect);
    files_->scrollTo(model_->index(row));
    files_->viewport()->update();
}

void FileBrowser::SelectQuietly(int row)
{
    ProgrammaticSelection = true;
    files_->selectionModel()->select(model_->index(row), QItemSelectionModel::Select);
    ProgrammaticSelection = false;
}

void FileBrowser::RefreshDirAndFileList()
{
    ProgrammaticSelection = true;
    const std::vector<std::string> saved = SelectedNames(model_->Names(), SelectedFlags());
    const std::string caret = NameOfRow(CurrentRow());
    if (IsFolder(folderListPath_)) {
        FillDriveBox();
        ShowDriveOf(folderListPath_);
        FillFolderList();
        FillFiles();
    } else {
        SetFolder(folderListPath_);  // the nearest existing ancestor
    }
    const std::vector<std::string>& names = model_->Names();
    const auto caretName = std::find(names.begin(), names.end(), caret);
    if (!caret.empty() && caretName != names.end())
        SetCaret(int(caretName - names.begin()), QItemSelectionModel::NoUpdate);
    ApplySelection(RestoreSelection(names, saved));
    files_->viewport()->update();
    ProgrammaticSelection = false;
}

std::string FileBrowser::GetFullFilename(int index) const
{
    const std::string name = NameOfRow(index == -1 ? CurrentRow() : index);
    return name.empty() ? std::string{} : GetFullFilenameByFilename(currentFolder_, name);
}

int FileBrowser::SelectedCount() const
{
    return vistrel::SelectedCount(SelectedFlags());
}

// The drive box's focus passes on to the file list unless it came by the left mouse
// button or by Tab, or the main window is not the active one.
void FileBrowser::DriveBoxFocused(Qt::FocusReason reason)
{
    if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
        return;
    if ((QApplication::mouseButtons() & Qt::LeftButton) || !driveBox_->window()->isActiveWindow())
        return;
    // Queued: the focus change that brought the focus here finishes first.
    QMetaObject::invokeMethod(this, [this] { FocusFileList(); }, Qt::QueuedConnection);
}

void FileBrowser::FocusFileList()
{
    files_->setFocus(Qt::OtherFocusReason);
}

void FileBrowser::OnFileListFocusTimer(QTimer* timer)
{
    if (files_->hasFocus())
        timer->stop();
    else
        FocusFileList();
}

void FileBrowser::SelectFileByName(const std::string& name)
{
    ProgrammaticSelection = true;
    const std::string wanted = folderListPath_ + name;
    for (int i = 0; i < RowCount(); ++i) {
        if (folderListPath_ + NameOfRow(i) == wanted)
            SetCaret(i, QItemSelectionModel::Select);
    }
    ProgrammaticSelection = false;
}

std::vector<std::string> FileBrowser::SelectedFullNames() const
{
    std::vector<std::string> names;
    const std::vector<bool> selected = SelectedFlags();
    for (size_t row = 0; row < selected.size(); ++row)
        if (selected[row])
            names.push_back(GetFullFilename(int(row)));
    return names;
}

std::string FileBrowser::HighlightedFolder() const
{
    const std::string folder = FolderOfRow(folderList_->currentRow());
    return folder.empty() ? folderListPath_ : folder;
}

void FileBrowser::RemoveRowsWhere(const std::function<bool(const std::string& fullName)>& gone)
{
    const bool wasProgrammatic = ProgrammaticSelection;
    ProgrammaticSelection = true;
    for (int row = RowCount() - 1; row >= 0; --row)
        if (gone(GetFullFilename(row)))
            model_->RemoveRow(row);
    ProgrammaticSelection = wasProgrammatic;
}

void FileBrowser::RenameRow(int row, const std::string& newName)
{
    if (row >= 0 && row < RowCount())
        model_->Rename(row, newName);
}

void FileBrowser::SelectAndFocusQuietly(int row)
{
    const bool wasProgrammatic = ProgrammaticSelection;
    ProgrammaticSelection = true;
    SelectOnly(row);
    ProgrammaticSelection = wasProgrammatic;
}

void FileBrowser::DeselectQuietly(int row)
{
    const bool wasProgrammatic = ProgrammaticSelection;
    ProgrammaticSelection = true;
    files_->selectionModel()->select(model_->index(row), QItemSelectionModel::Deselect);
    ProgrammaticSelection = wasProgrammatic;
}

// Back in the folder of the title that plays: its file is selected again, so that the
// title's end loops it or goes on with the next one as before.
void FileBrowser::SelectPlayingTitle()
{
    const std::string title = PlayingTitle ? PlayingTitle() : std::string{};
    if (!title.empty() && AddTrailingSlash(GetContainingFolder(title)) == folderListPath_)
        SelectFileByName(GetFileNamePart(title));
}

void FileBrowser::FileListClicked()
{
    if (ProgrammaticSelection || !PlaySelectedTitle)
        return;
    handedOverSincePress_ = true;
    PlaySelectedTitle("fileList_click");
}

// A left click whose press or release changed the selection has played already; one that
// left the selection as it was (the only selected file clicked again) plays here.
void FileBrowser::FileListReleasedOnItem()
{
    if (!handedOverSincePress_)
        FileListClicked();
}

// ---- Keys on the file list ------------------------------------------------------------

// Select-all and type-ahead would change the selection behind the click's back: both are
// taken over here. Every other key (the arrows among them) is the list's own, except
// those the player takes while a title is open.
bool FileBrowser::FileListKeyPressed(const QKeyEvent* key)
{
    if (key->matches(QKeySequence::SelectAll)) {
        ToggleSelectAllFiles();
        return true;
    }
    const bool playerKey = (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) || key->key() == Qt::Key_Left ||
                           key->key() == Qt::Key_Right;
    if (playerKey && TitleTakesKeys && TitleTakesKeys())
        return true;
    const QString text = key->text();
    const bool typed = !text.isEmpty() && text.front().isPrint() && text != " " &&
                       !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (!typed)
        return false;
    TypeAhead(text);
    return true;
}

// The list's search moves the caret to the next name starting with what was typed; the
// file found is then selected and played as a click on it would.
void FileBrowser::TypeAhead(const QString& text)
{
    const int before = CurrentRow();
    ProgrammaticSelection = true;
    files_->keyboardSearch(text);
    const QModelIndex found = files_->currentIndex();
    const bool matched = found.isValid() && (found.row() != before || found.data().toString().startsWith(text, Qt::CaseInsensitive));
    if (matched)
        SetCaret(found.row(), QItemSelectionModel::ClearAndSelect);
    ProgrammaticSelection = false;
    if (matched)
        FileListClicked();
}

// ---- Right click and select-all -------------------------------------------------------

int FileBrowser::ItemRowAt(const QPoint& pos) const
{
    return files_->indexAt(pos).row();
}

void FileBrowser::FileListRightClicked(const QPoint& pos, Qt::KeyboardModifiers modifiers)
{
    const int row = ItemRowAt(pos);
    if (row < 0)
        return;
    ProgrammaticSelection = true;
    ListSelection list{SelectedFlags(), CurrentRow()};
    const ClickModifier modifier = (modifiers & Qt::ShiftModifier)     ? ClickModifier::Shift
                                   : (modifiers & Qt::ControlModifier) ? ClickModifier::Ctrl
                                                                       : ClickModifier::None;
    RightClickSelect(list, row, modifier);
    ApplySelection(list.selected);
    if (list.caret >= 0 && list.caret != CurrentRow())
        SetCaret(list.caret, QItemSelectionModel::NoUpdate);
    files_->viewport()->update();
    emit FileContextMenuRequested(files_->viewport()->mapToGlobal(pos));
    ProgrammaticSelection = false;
}

void FileBrowser::ToggleSelectAllFiles()
{
    ProgrammaticSelection = true;
    ListSelection list{SelectedFlags(), CurrentRow()};
    ToggleSelectAll(list);
    ApplySelection(list.selected);
    if (list.caret >= 0)
        SetCaret(list.caret, QItemSelectionModel::NoUpdate);
    files_->viewport()->update();
    ProgrammaticSelection = false;
    if (AtEndOfList && AtEndOfList() && PlaySelectedTitle)
        PlaySelectedTitle("select all files");
}

// ---- File-size tool tip ----------------------------------------------------------------

void FileBrowser::SetToolTipTimer(QTimer* timer)
{
    toolTipTimer_ = timer;
    connect(timer, &QTimer::timeout, this,
            [this] { FileToolTipStep(files_->viewport()->mapFromGlobal(QCursor::pos())); });
}

// The shown name is forgotten too, so the same file shows its size again on its return.
void FileBrowser::ClearFileToolTip()
{
    files_->setToolTip(QString());
    toolTipLastName_.clear();
}

// Every move restarts the timer: its step runs once the pointer rests 100 ms over an item.
void FileBrowser::FileListMouseMoved(const QPoint& pos)
{
    if (toolTipTimer_)
        toolTipTimer_->stop();
    const int row = ItemRowAt(pos);
    if (row < 0) {
        ClearFileToolTip();
        toolTipLastItem_ = -1;
        return;
    }
    if (row != toolTipLastItem_)
        ClearFileToolTip();
    else
        FileToolTipStep(pos);
    toolTipLastItem_ = row;
    if (toolTipTimer_)
        toolTipTimer_->start();
}

void FileBrowser::FileToolTipStep(const QPoint& pos)
{
    const QPoint moved = pos - toolTipLastPos_;
    toolTipLastPos_ = pos;
    if (std::abs(moved.x()) > kToolTipStillPixels || std::abs(moved.y()) > kToolTipStillPixels)
        return;
    const int row = ItemRowAt(pos);
    if (row < 0)
        return;
    const std::string name = GetFullFilename(row);
    if (name.empty() || name == toolTipLastName_)
        return;
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0)
        return;
    const QString tip = Q(FileSizeToolTip(int64_t(info.st_size)));
    if (files_->toolTip() != tip)
        files_->setToolTip(tip);
    toolTipLastName_ = name;
    if (toolTipTimer_)
        toolTipTimer_->stop();
}

// ---- Folder watch ----------------------------------------------------------------------

// A change another program made just before the pause is not lost: its refresh runs once
// the watch is back.
void FileBrowser::FileNotificationStartStop(const std::string& /*callerTag*/, bool start)
{
    refreshPending_ = refreshPending_ || quietPeriod_.isActive();
    quietPeriod_.stop();
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (!start || folderListPath_.empty())
        return;
    errno = 0;
    if (!watcher_->addPath(Q(folderListPath_)))
        MsgBox("FileNotificationStartStop  " + std::to_string(errno), kMsgOk, kAppTitle);
    if (std::exchange(refreshPending_, false))
        FolderContentChanged();
}

// Every change restarts the quiet period, so a burst of changes refreshes once.
void FileBrowser::FolderContentChanged()
{
    quietPeriod_.start(kQuietPeriodMs, this);
}

void FileBrowser::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != quietPeriod_.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    quietPeriod_.stop();
    RefreshDirAndFileList();
}

}  // namespace vistrel
