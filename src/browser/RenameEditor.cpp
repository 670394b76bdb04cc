#include "browser/RenameEditor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>

namespace vistrel {

RenameEditor::RenameEditor(QListView* list) : list_(list), edit_(new QLineEdit(list->viewport()))
{
    edit_->setObjectName("renameEditor");
    edit_->hide();
    edit_->installEventFilter(this);
}

RenameEditor::~RenameEditor() = default;

void RenameEditor::Open(int row, const QString& text)
{
    const QRect item = list_->visualRect(list_->model()->index(row, 0));
    edit_->setGeometry(item.x(), item.y(), list_->viewport()->width() - item.x(), std::max(item.height(), edit_->sizeHint().height()));
    edit_->setText(text);
    edit_->selectAll();
    edit_->show();
    edit_->setFocus(Qt::OtherFocusReason);
}

// Hidden before the focus moves, so that the focus loss it causes finds it closed.
void RenameEditor::Close()
{
    closing_ = true;
    edit_->hide();
    list_->setFocus(Qt::OtherFocusReason);
    closing_ = false;
}

bool RenameEditor::IsOpen() const
{
    return !edit_->isHidden();
}

bool RenameEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const std::string text = edit_->text().toStdString();
            Close();
            if (Confirmed)
                Confirmed(text);
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        if (!closing_)
            edit_->hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vistrel
