#pragma once
// What the user sees of a copy or move: a progress window with Cancel that appears when
// the job has run for half a second, the "already exists" question and the error box.
// All are window-modal to `window`, and the job keeps the window painted by processing
// events between its steps.
#include "platform/shell/CopyEngine.h"

#include <QElapsedTimer>
#include <QPointer>

#include <memory>

class QProgressDialog;
class QWidget;

namespace vistrel::shell {

class TransferDialogs : public TransferUi {
public:
    explicit TransferDialogs(QWidget* window);
    ~TransferDialogs() override;

    bool Progress(FileOp op, const std::string& name, int number, int count, uint64_t bytesDone,
                  uint64_t bytesTotal) override;
    ConflictAnswer AskConflict(const std::string& name, const std::string& folder) override;
    ErrorAnswer AskError(FileOp op, const std::string& name, const std::string& reason) override;
    void Finished() override;

    // The progress window once it is shown (for the window's tests).
    QProgressDialog* ProgressWindow() const { return progress_.get(); }

private:
    void ShowProgressWhenDue(FileOp op);

    QPointer<QWidget> window_;
    std::unique_ptr<QProgressDialog> progress_;
    QElapsedTimer started_;
    bool cancelled_ = false;
};

}  // namespace vistrel::shell
