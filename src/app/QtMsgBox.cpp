#include "app/QtMsgBox.h"

#include "browser/FileOperations.h"
#include "support/MsgBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace vistrel {

namespace {

QMessageBox::Icon IconOf(int flags)
{
    switch (flags & kMsgIconMask) {
    case kMsgCritical: return QMessageBox::Critical;
    case kMsgQuestion: return QMessageBox::Question;
    case kMsgExclamation: return QMessageBox::Warning;
    case kMsgInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(int flags)
{
    switch (flags & kMsgButtonsMask) {
    case kMsgOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case kMsgYesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case kMsgYesNo: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

int ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel: return kAnswerCancel;
    case QMessageBox::Yes: return kAnswerYes;
    case QMessageBox::No: return kAnswerNo;
    default: return kAnswerOk;
    }
}

int ShowQtMessageBox(const std::string& text, int flags, const std::string& title)
{
    // Message texts break lines with CR LF; QMessageBox wants LF.
    QString body = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconOf(flags), QString::fromStdString(title), body, ButtonsOf(flags),
                    QApplication::activeWindow());
    // The first button is the default one: Return answers Yes to a question.
    const int buttons = flags & kMsgButtonsMask;
    box.setDefaultButton(buttons == kMsgYesNo || buttons == kMsgYesNoCancel ? QMessageBox::Yes : QMessageBox::Ok);
    return ResultOf(box.exec());
}

}  // namespace

void InstallQtMsgBox()
{
    SetMsgBoxHandler(ShowQtMessageBox);
}

void InstallQtFileDialogs()
{
    SetInputDialog([](const std::string& title, const std::string& prompt) {
        return QInputDialog::getText(QApplication::activeWindow(), QString::fromStdString(title),
                                     QString::fromStdString(prompt))
            .toStdString();
    });
}

}  // namespace vistrel
