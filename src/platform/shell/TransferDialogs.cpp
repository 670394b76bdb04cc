#include "platform/shell/TransferDialogs.h"

#include "support/AppTitle.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <utility>
#include <vector>

namespace vistrel::shell {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kProgressSteps = 1000;

QString Text(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Verb(FileOp op)
{
    return op == FileOp::Move ? QStringLiteral("Moving") : QStringLiteral("Copying");
}

// Runs a window-modal box with the given buttons (the last one also answers Escape) and
// returns the index of the button pressed.
size_t AskWithButtons(QWidget* window, QMessageBox::Icon icon, const QString& title, const QString& text,
                      const std::vector<QString>& buttons)
{
    QMessageBox box(icon, title, text, QMessageBox::NoButton, window);
    box.setWindowModality(Qt::WindowModal);
    std::vector<QAbstractButton*> added;
    for (const QString& caption : buttons)
        added.push_back(box.addButton(caption, QMessageBox::ActionRole));
    box.setDefaultButton(static_cast<QPushButton*>(added.front()));
    box.setEscapeButton(added.back());
    box.exec();
    for (size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i])
            return i;
    return added.size() - 1;
}

}  // namespace

TransferDialogs::TransferDialogs(QWidget* window) : window_(window)
{
    started_.start();
}

TransferDialogs::~TransferDialogs() = default;

bool TransferDialogs::Progress(FileOp op, const std::string& name, int number, int count, uint64_t bytesDone,
                               uint64_t bytesTotal)
{
    ShowProgressWhenDue(op);
    if (progress_) {
        progress_->setLabelText(QStringLiteral("%1 '%2' (%3 of %4)").arg(Verb(op), Text(name)).arg(number).arg(count));
        const uint64_t step = bytesTotal == 0 ? 0 : bytesDone * kProgressSteps / bytesTotal;
        progress_->setValue(static_cast<int>(std::min<uint64_t>(step, kProgressSteps)));
    }
    // Until the window-modal progress dialog shows, clicks and keys wait: they must not
    // start another operation on the files this one is working on.
    QCoreApplication::processEvents(progress_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    cancelled_ = cancelled_ || (progress_ && progress_->wasCanceled());
    return !cancelled_;
}

void TransferDialogs::ShowProgressWhenDue(FileOp op)
{
    if (progress_ || started_.elapsed() < kShowAfterMs)
        return;
    progress_ = std::make_unique<QProgressDialog>(window_.data());
    progress_->setWindowTitle(op == FileOp::Move ? QStringLiteral("Moving files") : QStringLiteral("Copying files"));
    progress_->setCancelButtonText(QStringLiteral("Cancel"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    progress_->setRange(0, kProgressSteps);
    progress_->show();
}

ConflictAnswer TransferDialogs::AskConflict(const std::string& name, const std::string& folder)
{
    const QString text = QStringLiteral("'%1' already exists in '%2'.\nReplace it?").arg(Text(name), Text(folder));
    static const std::vector<std::pair<QString, ConflictAnswer>> kButtons{
        {QStringLiteral("Replace"), ConflictAnswer::Replace},
        {QStringLiteral("Replace All"), ConflictAnswer::ReplaceAll},
        {QStringLiteral("Skip"), ConflictAnswer::Skip},
        {QStringLiteral("Skip All"), ConflictAnswer::SkipAll},
        {QStringLiteral("Cancel"), ConflictAnswer::Cancel}};
    std::vector<QString> captions;
    for (const auto& button : kButtons)
        captions.push_back(button.first);
    return kButtons[AskWithButtons(window_, QMessageBox::Question, QStringLiteral("Confirm"), text, captions)].second;
}

ErrorAnswer TransferDialogs::AskError(FileOp op, const std::string& name, const std::string& reason)
{
    const QString verb = op == FileOp::Move ? QStringLiteral("move") : QStringLiteral("copy");
    const QString text = QStringLiteral("Cannot %1 '%2':\n%3").arg(verb, Text(name), Text(reason));
    static const ErrorAnswer kAnswers[] = {ErrorAnswer::Retry, ErrorAnswer::Skip, ErrorAnswer::Cancel};
    const size_t index = AskWithButtons(window_, QMessageBox::Warning, QString::fromUtf8(kAppTitle), text,
                                        {QStringLiteral("Retry"), QStringLiteral("Skip"), QStringLiteral("Cancel")});
    return kAnswers[index];
}

void TransferDialogs::Finished()
{
    progress_.reset();
}

}  // namespace vistrel::shell
