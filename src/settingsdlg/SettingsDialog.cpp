#include "settingsdlg/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vistrel::settingsdlg {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// Top to bottom the boxes zoom less and less; each belongs to the threshold that the video
// layout uses for its factor.
struct ZoomRow {
    const char* caption;
    size_t setting;  // AutoZoomRes index
};
constexpr ZoomRow kZoomRows[] = {{"Zoom 100% if res <=", 3},
                                 {"Zoom 150% if res <=", 2},
                                 {"Zoom 200% if res <=", 1},
                                 {"Zoom 300% if res <=", 0}};

constexpr int kFolderBoxChars = 32;  // a folder box shows about this many characters

template <class Widget>
Widget* Named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QPushButton* Button(const char* text, const QString& name, QWidget* parent)
{
    QPushButton* button = Named(new QPushButton(text, parent), name);
    button->setAutoDefault(false);
    return button;
}

// A screen with the main window on the left and the video, scaled down, beside it.
QPixmap SideBySidePicture(const QPalette& palette)
{
    constexpr int kWidth = 96;
    constexpr int kHeight = 48;
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(palette.color(QPalette::WindowText));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawRect(0, 0, kWidth - 1, kHeight - 1);
    painter.setBrush(palette.color(QPalette::Button));
    painter.drawRect(4, 6, 40, 36);
    painter.setBrush(Qt::black);
    painter.drawRect(48, 12, 44, 24);
    return pixmap;
}

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent, const SettingsValues& values, SettingsDialogHooks hooks)
    : QDialog(parent), result_(values), hooks_(std::move(hooks))
{
    setWindowTitle(kSettingsCaption);
    auto* left = new QVBoxLayout;
    left->addWidget(BuildAutozoom());
    left->addWidget(BuildMisc());
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(BuildTemporaryFiles());
    right->addWidget(BuildDeleteFiles());
    right->addWidget(BuildHistoryExclusions(), 1);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);
    QPushButton* ok = Button("OK", "okButton", this);
    ok->setDefault(true);
    QPushButton* cancel = Button("Cancel", "cancelButton", this);
    connect(ok, &QPushButton::clicked, this, &SettingsDialog::Confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    Fill(FormFromValues(values));
}

QGroupBox* SettingsDialog::BuildAutozoom()
{
    auto* group = Named(new QGroupBox("Autozoom", this), "autozoomGroup");
    auto* grid = new QGridLayout(group);
    QStringList choices;
    for (const int value : ZoomThresholdChoices())
        choices << QString::number(value);
    int row = 0;
    for (const ZoomRow& zoom : kZoomRows) {
        QComboBox* box = Named(new QComboBox(group), QString("zoomResBox%1").arg(zoom.setting));
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(choices);
        zoomBoxes_[zoom.setting] = box;
        auto* label = new QLabel(zoom.caption, group);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row++, 1);
    }
    sideBySide_ = Named(new QCheckBox("Scale down video to keep the app visible side by side", group), "sideBySideCheck");
    auto* picture = Named(new QLabel(group), "sideBySidePicture");
    picture->setPixmap(SideBySidePicture(palette()));
    grid->addWidget(sideBySide_, row++, 0, 1, 2);
    grid->addWidget(picture, row, 0, 1, 2, Qt::AlignHCenter);
    return group;
}

QGroupBox* SettingsDialog::BuildMisc()
{
    auto* group = Named(new QGroupBox("Misc", this), "miscGroup");
    QPushButton* editOpenWith = Button("&Edit 'Open with' items", "editOpenWithButton", group);
    editOpenWith->setEnabled(static_cast<bool>(hooks_.EditOpenWith));
    connect(editOpenWith, &QPushButton::clicked, this, &SettingsDialog::EditOpenWith);
    overlappedPlayTime_ = Named(new QLineEdit(group), "overlappedPlayTimeEdit");
    auto* playTime = new QHBoxLayout;
    playTime->addWidget(new QLabel("Overlapped play: ", group));
    playTime->addWidget(overlappedPlayTime_);
    menuHotkeys_ = Named(new QCheckBox("Menu &Hotkeys", group), "menuHotkeysCheck");
    auto* column = new QVBoxLayout(group);
    column->addWidget(editOpenWith);
    column->addLayout(playTime);
    column->addWidget(menuHotkeys_);
    return group;
}

QGroupBox* SettingsDialog::BuildTemporaryFiles()
{
    auto* group = Named(new QGroupBox("Temporary Files", this), "temporaryFilesGroup");
    auto* grid = new QGridLayout(group);
    const char* captions[] = {"&Primary:", "Sec&ondary:"};
    for (size_t i = 0; i < tempFolders_.size(); ++i) {
        tempFolders_[i] = Named(new QLineEdit(group), QString("tempFolderEdit%1").arg(i));
        auto* label = new QLabel(captions[i], group);
        label->setBuddy(tempFolders_[i]);
        tempFolders_[i]->setMinimumWidth(fontMetrics().averageCharWidth() * kFolderBoxChars);
        QPushButton* browse = Button("...", QString("tempFolderBrowse%1").arg(i), group);
        browse->setMaximumWidth(browse->fontMetrics().horizontalAdvance("...") * 3);
        connect(browse, &QPushButton::clicked, this, [this, i] { BrowseTempFolder(i); });
        grid->addWidget(label, int(i), 0);
        grid->addWidget(tempFolders_[i], int(i), 1);
        grid->addWidget(browse, int(i), 2);
    }
    return group;
}

QGroupBox* SettingsDialog::BuildDeleteFiles()
{
    auto* group = Named(new QGroupBox("Delete Files", this), "deleteFilesGroup");
    askBeforeDelete_ = Named(new QRadioButton("&ask before", group), "askBeforeOption");
    dontAskBeforeDelete_ = Named(new QRadioButton("&don't ask", group), "dontAskOption");
    auto* row = new QHBoxLayout(group);
    row->addWidget(askBeforeDelete_);
    row->addWidget(dontAskBeforeDelete_);
    return group;
}

QGroupBox* SettingsDialog::BuildHistoryExclusions()
{
    auto* group = Named(new QGroupBox("Paths excluded from history", this), "historyGroup");
    exclusions_ = Named(new QListWidget(group), "exclusionList");
    connect(exclusions_, &QListWidget::currentRowChanged, this, &SettingsDialog::UpdateExclusionButtons);
    const std::pair<const char*, void (SettingsDialog::*)()> commands[] = {
        {"Edit", &SettingsDialog::EditExclusion},
        {"Delete", &SettingsDialog::DeleteExclusion},
        {"Add", &SettingsDialog::AddExclusion}};
    auto* buttons = new QHBoxLayout;
    for (size_t i = 0; i < exclusionButtons_.size(); ++i) {
        exclusionButtons_[i] = Button(commands[i].first, QString("exclusion%1Button").arg(commands[i].first), group);
        connect(exclusionButtons_[i], &QPushButton::clicked, this, commands[i].second);
        buttons->addWidget(exclusionButtons_[i]);
    }
    auto* column = new QVBoxLayout(group);
    column->addWidget(exclusions_);
    column->addLayout(buttons);
    return group;
}

void SettingsDialog::Fill(const SettingsForm& form)
{
    for (size_t i = 0; i < zoomBoxes_.size(); ++i) {
        const int index = zoomBoxes_[i]->findText(Q(form.zoomTexts[i]));
        if (index >= 0)
            zoomBoxes_[i]->setCurrentIndex(index);
        else
            zoomBoxes_[i]->setEditText(Q(form.zoomTexts[i]));
    }
    sideBySide_->setChecked(form.videoSideBySide);
    openWith_ = form.openWith;
    for (size_t i = 0; i < tempFolders_.size(); ++i)
        tempFolders_[i]->setText(Q(form.tempPathTexts[i]));
    overlappedPlayTime_->setText(Q(form.overlappedPlayTimeText));
    menuHotkeys_->setChecked(form.useMenuHotkeys);
    (form.deleteWithoutAsking ? dontAskBeforeDelete_ : askBeforeDelete_)->setChecked(true);
    for (const std::string& folder : form.hisExclude)
        exclusions_->addItem(Q(folder));
    UpdateExclusionButtons();
}

SettingsForm SettingsDialog::Read() const
{
    SettingsForm form;
    for (size_t i = 0; i < zoomBoxes_.size(); ++i)
        form.zoomTexts[i] = S(zoomBoxes_[i]->currentText());
    form.videoSideBySide = sideBySide_->isChecked();
    form.openWith = openWith_;
    form.openWithEdited = openWithEdited_;
    for (size_t i = 0; i < tempFolders_.size(); ++i)
        form.tempPathTexts[i] = S(tempFolders_[i]->text());
    form.overlappedPlayTimeText = S(overlappedPlayTime_->text());
    form.useMenuHotkeys = menuHotkeys_->isChecked();
    form.deleteWithoutAsking = dontAskBeforeDelete_->isChecked();
    for (int row = 0; row < exclusions_->count(); ++row)
        form.hisExclude.push_back(S(exclusions_->item(row)->text()));
    return form;
}

void SettingsDialog::EditOpenWith()
{
    std::vector<OpenWithItem> copy = openWith_;
    if (!hooks_.EditOpenWith(this, copy))
        return;
    openWith_ = std::move(copy);
    openWithEdited_ = true;
}

void SettingsDialog::BrowseTempFolder(size_t i)
{
    const std::string chosen = ChooseFolder(S(tempFolders_[i]->text()));
    if (!chosen.empty())
        tempFolders_[i]->setText(Q(chosen));
}

void SettingsDialog::AddExclusion()
{
    const std::string chosen = ChooseFolder({});
    if (chosen.empty())
        return;
    exclusions_->addItem(Q(chosen));
    exclusions_->setCurrentRow(exclusions_->count() - 1);
    UpdateExclusionButtons();
}

void SettingsDialog::EditExclusion()
{
    QListWidgetItem* entry = exclusions_->currentItem();
    if (!entry)
        return;
    const std::string chosen = ChooseFolder(S(entry->text()));
    if (!chosen.empty())
        entry->setText(Q(chosen));
}

void SettingsDialog::DeleteExclusion()
{
    delete exclusions_->currentItem();
    UpdateExclusionButtons();
}

// Edit and Delete need a chosen entry; Add stops where the stored list ends.
void SettingsDialog::UpdateExclusionButtons()
{
    const bool chosen = exclusions_->currentItem() != nullptr;
    exclusionButtons_[0]->setEnabled(chosen);
    exclusionButtons_[1]->setEnabled(chosen);
    exclusionButtons_[2]->setEnabled(exclusions_->count() < kMaxHisExcludeEntries);
}

std::string SettingsDialog::ChooseFolder(const std::string& start)
{
    return hooks_.ChooseFolder ? hooks_.ChooseFolder(this, kSelectFolderCaption, start) : std::string{};
}

void SettingsDialog::Confirm()
{
    result_ = ValuesFromForm(Read(), result_);
    accept();
}

}  // namespace vistrel::settingsdlg
