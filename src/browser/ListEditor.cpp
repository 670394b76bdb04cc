#include "browser/ListEditor.h"

#include "platform/shell/Launcher.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <QComboBox>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace vistrel {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kParamRole = Qt::UserRole + 1;
constexpr int kHotkeyRole = Qt::UserRole + 2;
constexpr int kFunctionKeys = 12;
constexpr int kFewRows = 5;  // the middle move buttons' step
constexpr int kArrowIconSize = 16;

DialogRunner& Runner()
{
    static DialogRunner runner;
    return runner;
}

std::function<void(QDialog&)>& Preparer()
{
    static std::function<void(QDialog&)> preparer;
    return preparer;
}

FolderChooser& FolderDialog()
{
    static FolderChooser chooser;
    return chooser;
}

FileChooser& ProgramDialog()
{
    static FileChooser chooser;
    return chooser;
}

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// A folder entry needs an existing absolute path; a program is found as "Open with" finds it
// when run, except that a relative path has no folder to be taken in yet.
bool PathExists(const std::string& path, bool program)
{
    const std::string expanded = launcher::ExpandEnvironment(path);
    if (program)
        return !launcher::ResolveProgram(expanded, {}, {}).empty();
    return expanded.starts_with('/') && FileExists(expanded);
}

std::string ProgramTitle(const std::string& path)
{
    return S(QFileInfo(Q(path)).completeBaseName().left(kMaxProgramTitleChars));
}

// An arrow (two for a long step) pointing up or down, with a bar for "to the end".
QIcon ArrowIcon(bool up, int arrows, bool bar, const QColor& color)
{
    QPixmap pixmap(kArrowIconSize, kArrowIconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    const qreal s = kArrowIconSize;
    const qreal height = s / 4;
    const qreal top = (s - arrows * height - (bar ? 3 : 0)) / 2 + (bar && up ? 3 : 0);
    for (int i = 0; i < arrows; ++i) {
        const qreal y = top + i * height;
        const qreal tip = up ? y : y + height;
        const qreal base = up ? y + height : y;
        painter.drawPolygon(QPolygonF{QPointF(s / 2, tip), QPointF(2, base), QPointF(s - 2, base)});
    }
    if (bar)
        painter.drawRect(QRectF(2, up ? top - 3 : top + arrows * height + 1, s - 4, 2));
    return QIcon(pixmap);
}

QPushButton* NamedButton(const char* text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// OK (the default button) and "Cancel".
QHBoxLayout* OkCancelRow(QDialog* dialog, const std::function<void()>& onOk)
{
    auto* row = new QHBoxLayout;
    QPushButton* ok = NamedButton("OK", "okButton", dialog);
    ok->setDefault(true);
    QPushButton* cancel = NamedButton("Cancel", "cancelButton", dialog);
    QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

QLineEdit* NamedEdit(const std::string& text, const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(Q(text), parent);
    edit->setObjectName(name);
    return edit;
}

}  // namespace

// ---- Replaceable dialogs ---------------------------------------------------------------

DialogRunner SetDialogRunner(DialogRunner runner)
{
    return std::exchange(Runner(), std::move(runner));
}

void SetDialogPreparer(std::function<void(QDialog&)> preparer)
{
    Preparer() = std::move(preparer);
}

int RunDialog(QDialog& dialog)
{
    if (Preparer())
        Preparer()(dialog);
    return Runner() ? Runner()(dialog) : dialog.exec();
}

FolderChooser SetFolderChooser(FolderChooser chooser)
{
    return std::exchange(FolderDialog(), std::move(chooser));
}

FileChooser SetProgramFileChooser(FileChooser chooser)
{
    return std::exchange(ProgramDialog(), std::move(chooser));
}

std::string ChooseFolder(QWidget* parent, const std::string& title, const std::string& start)
{
    if (FolderDialog())
        return FolderDialog()(parent, title, start);
    return S(QFileDialog::getExistingDirectory(parent ? parent : QApplication::activeWindow(), Q(title), Q(start)));
}

std::string ChooseProgramFile(QWidget* parent, const std::string& start)
{
    if (ProgramDialog())
        return ProgramDialog()(parent, start);
    return S(QFileDialog::getOpenFileName(parent, QString(), Q(start), "All Files (*);;Desktop Entries (*.desktop)"));
}

// ---- Item dialog -----------------------------------------------------------------------

ListItemDialog::ListItemDialog(QWidget* parent, bool programs, const OpenWithItem& item)
    : QDialog(parent), programs_(programs), item_(item)
{
    setWindowTitle(programs ? "\"Open with\" Item" : "Edit Item");
    auto* form = new QFormLayout;
    name_ = NamedEdit(item.Name, "nameEdit", this);
    path_ = NamedEdit(item.Path, "pathEdit", this);
    QPushButton* browse = NamedButton("&Browse...", "browseButton", this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_);
    pathRow->addWidget(browse);
    form->addRow("&Name:", name_);
    form->addRow("&Path:", pathRow);
    if (programs) {
        param_ = NamedEdit(item.Param, "paramEdit", this);
        hotkey_ = new QComboBox(this);
        hotkey_->setObjectName("hotkeyBox");
        hotkey_->addItem("---");
        for (int key = 1; key <= kFunctionKeys; ++key)
            hotkey_->addItem(QString("F%1").arg(key));
        hotkey_->setCurrentIndex(std::clamp<int>(item.Hotkey, 0, kFunctionKeys));
        form->addRow("&Parameters:", param_);
        form->addRow("&Hotkey:", hotkey_);
    }
    static_cast<QLabel*>(form->labelForField(pathRow))->setBuddy(path_);
    connect(browse, &QPushButton::clicked, this, &ListItemDialog::Browse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(OkCancelRow(this, [this] { Confirm(); }));
}

void ListItemDialog::Browse()
{
    const std::string start = launcher::ExpandEnvironment(S(path_->text()));
    const std::string chosen = programs_ ? ChooseProgramFile(this, start) : ChooseFolder(this, kSelectFolderTitle, start);
    if (!chosen.empty())
        path_->setText(Q(chosen));
}

// The path is stored as typed: variables in it are expanded each time it is used.
void ListItemDialog::Confirm()
{
    std::string name = S(name_->text());
    std::string path = S(path_->text());
    if (name == kListSeparator) {
        path = kListSeparator;
    } else if (!PathExists(path, programs_)) {
        MsgBox("Path doesn't exist!", kMsgExclamation, kAppTitle);
        return;
    } else if (name.empty()) {
        name = programs_ ? ProgramTitle(path) : path;
    }
    item_ = {name, path, param_ ? S(param_->text()) : std::string{},
             static_cast<int16_t>(hotkey_ ? hotkey_->currentIndex() : 0)};
    accept();
}

// ---- List editor -----------------------------------------------------------------------

ListEditor::ListEditor(QWidget* parent, const QString& caption, bool programs) : QDialog(parent), programs_(programs)
{
    setWindowTitle(caption);
    list_ = new QListWidget(this);
    list_->setObjectName("itemList");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->installEventFilter(this);
    connect(list_, &QListWidget::itemDoubleClicked, this, &ListEditor::EditItem);
    auto* column = new QVBoxLayout;
    const std::pair<const char*, const char*> commands[] = {
        {"&Add...", "addButton"}, {"&Edit...", "editButton"}, {"&Remove", "removeButton"}};
    const std::function<void()> actions[] = {[this] { AddItem(); }, [this] { EditItem(); }, [this] { RemoveSelected(); }};
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = NamedButton(commands[i].first, commands[i].second, this);
        connect(button, &QPushButton::clicked, this, actions[i]);
        column->addWidget(button);
    }
    BuildMoveButtons(column);
    column->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(list_);
    top->addLayout(column);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(OkCancelRow(this, [this] { accept(); }));
}

ListEditor::ListEditor(QWidget* parent, const QString& caption, const std::vector<PathItem>& items)
    : ListEditor(parent, caption, false)
{
    for (const PathItem& item : items)
        AppendItem({item.Name, item.Path, {}, 0}, list_->count());
}

// The names are edited without their hotkey text, which the hotkey box stands for.
ListEditor::ListEditor(QWidget* parent, const std::vector<OpenWithItem>& items)
    : ListEditor(parent, kOpenWithListCaption, true)
{
    for (OpenWithItem item : items) {
        item.Name = NameWithoutHotkey(item.Name);
        AppendItem(item, list_->count());
    }
}

// To the top, five up, one up, one down, five down, to the bottom.
void ListEditor::BuildMoveButtons(QVBoxLayout* column)
{
    struct Move {
        const char* name;
        int rows;
        int arrows;
        bool bar;
    };
    static constexpr Move moves[] = {{"moveTop", -kMaxListEntries, 1, true}, {"moveUpFew", -kFewRows, 2, false},
                                     {"moveUp", -1, 1, false},                {"moveDown", 1, 1, false},
                                     {"moveDownFew", kFewRows, 2, false},     {"moveBottom", kMaxListEntries, 1, true}};
    auto* label = new QLabel("move", this);
    label->setAlignment(Qt::AlignCenter);
    column->addWidget(label);
    for (const Move& move : moves) {
        auto* button = new QToolButton(this);
        button->setObjectName(move.name);
        button->setIcon(ArrowIcon(move.rows < 0, move.arrows, move.bar, palette().color(QPalette::ButtonText)));
        connect(button, &QToolButton::clicked, this, [this, rows = move.rows] { MoveSelected(rows); });
        column->addWidget(button, 0, Qt::AlignHCenter);
    }
}

void ListEditor::AppendItem(const OpenWithItem& item, int row)
{
    auto* entry = new QListWidgetItem(Q(item.Name));
    entry->setData(kPathRole, Q(item.Path));
    entry->setData(kParamRole, Q(item.Param));
    entry->setData(kHotkeyRole, item.Hotkey);
    list_->insertItem(row, entry);
}

OpenWithItem ListEditor::ItemOfRow(int row) const
{
    const QListWidgetItem* entry = list_->item(row);
    return {S(entry->text()), S(entry->data(kPathRole).toString()), S(entry->data(kParamRole).toString()),
            static_cast<int16_t>(entry->data(kHotkeyRole).toInt())};
}

std::vector<OpenWithItem> ListEditor::RawItems() const
{
    std::vector<OpenWithItem> items;
    for (int row = 0; row < list_->count(); ++row)
        items.push_back(ItemOfRow(row));
    return items;
}

std::vector<PathItem> ListEditor::PathItems() const
{
    std::vector<PathItem> list;
    for (const OpenWithItem& item : ListUpToFirstEmptyName(RawItems()))
        list.push_back({item.Name, item.Path});
    return list;
}

std::vector<OpenWithItem> ListEditor::OpenWithItems() const
{
    std::vector<OpenWithItem> list = ListUpToFirstEmptyName(RawItems());
    for (OpenWithItem& item : list)
        item.Name = NameWithHotkey(item.Name, item.Hotkey);
    return list;
}

// A new entry goes below the current one, or to the end.
void ListEditor::AddItem()
{
    if (list_->count() >= kMaxListEntries) {
        MsgBox("List is full (20 items max)", kMsgExclamation, kAppTitle);
        return;
    }
    OpenWithItem fresh;
    if (programs_)
        fresh.Param = kDefaultOpenWithParam;
    ListItemDialog dialog(this, programs_, fresh);
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    const int row = list_->currentRow() >= 0 ? list_->currentRow() + 1 : list_->count();
    AppendItem(dialog.Item(), row);
    list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void ListEditor::EditItem()
{
    const int row = list_->currentRow();
    if (row < 0)
        return;
    ListItemDialog dialog(this, programs_, ItemOfRow(row));
    if (RunDialog(dialog) != QDialog::Accepted)
        return;
    delete list_->takeItem(row);
    AppendItem(dialog.Item(), row);
    list_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void ListEditor::RemoveSelected()
{
    qDeleteAll(list_->selectedItems());
}

void ListEditor::MoveSelected(int rows)
{
    for (int n = 0; n < std::abs(rows) && StepSelected(rows < 0 ? -1 : 1); ++n) {
    }
}

// One row up (-1) or down (1) for each selected entry whose neighbour there is free; the
// selection and the current entry travel with them. False when nothing could move.
bool ListEditor::StepSelected(int step)
{
    std::vector<int> rows;
    for (const QListWidgetItem* entry : list_->selectedItems())
        rows.push_back(list_->row(entry));
    std::sort(rows.begin(), rows.end());
    if (step > 0)
        std::reverse(rows.begin(), rows.end());
    QListWidgetItem* current = list_->currentItem();
    bool moved = false;
    for (const int row : rows) {
        const int target = row + step;
        if (target < 0 || target >= list_->count() || list_->item(target)->isSelected())
            continue;
        QListWidgetItem* entry = list_->takeItem(row);
        list_->insertItem(target, entry);
        entry->setSelected(true);
        moved = true;
    }
    if (current)
        list_->setCurrentItem(current, QItemSelectionModel::NoUpdate);
    return moved;
}

// Delete or the keypad's minus removes, the keypad's plus adds, Ctrl+A selects all.
bool ListEditor::HandleKey(const QKeyEvent* key)
{
    const bool keypad = key->modifiers() & Qt::KeypadModifier;
    if (key->key() == Qt::Key_Delete || (keypad && key->key() == Qt::Key_Minus))
        RemoveSelected();
    else if (keypad && key->key() == Qt::Key_Plus)
        AddItem();
    else if (key->matches(QKeySequence::SelectAll))
        list_->selectAll();
    else
        return false;
    return true;
}

bool ListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ListEditor::keyPressEvent(QKeyEvent* event)
{
    if (!HandleKey(event))
        QDialog::keyPressEvent(event);
}

bool EditFolderList(QWidget* parent, const QString& caption, std::vector<PathItem>& list)
{
    ListEditor editor(parent, caption, list);
    if (RunDialog(editor) != QDialog::Accepted)
        return false;
    list = editor.PathItems();
    return true;
}

bool EditOpenWithList(QWidget* parent, std::vector<OpenWithItem>& list)
{
    ListEditor editor(parent, list);
    if (RunDialog(editor) != QDialog::Accepted)
        return false;
    list = editor.OpenWithItems();
    return true;
}

}  // namespace vistrel
