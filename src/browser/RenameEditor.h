#pragma once
// The rename editor: a line edit laid over an item of the file list. Enter hands its text
// to Confirmed; Escape gives the focus back to the list; losing the focus closes it
// without renaming.
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QLineEdit;
class QListView;

namespace vistrel {

class RenameEditor : public QObject {
    Q_OBJECT

public:
    explicit RenameEditor(QListView* list);
    ~RenameEditor() override;

    // Shows the editor over `row`, filled with `text`, and focuses it.
    void Open(int row, const QString& text);
    void Close();
    bool IsOpen() const;
    QLineEdit* LineEdit() const { return edit_; }

    // Enter: the editor is closed already; the argument is its text (UTF-8).
    std::function<void(const std::string& text)> Confirmed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListView* list_;
    QLineEdit* edit_;
    bool closing_ = false;
};

}  // namespace vistrel
