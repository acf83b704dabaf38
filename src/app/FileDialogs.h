#pragma once
// Open and save dialogs. Windows describe the dialog they need; tests install
// a hook that answers it instead of a person.
#include <QString>

#include <functional>

class QWidget;

namespace orvel {

struct FileDialogRequest {
    enum Kind { Save, Open };
    Kind kind = Save;
    QString name;          // the dialog's form name, e.g. "SaveDialog1"
    QString filter;        // "Книга Excel 97-2003|*.xls" style: description|patterns
    QString defaultSuffix; // without the dot, e.g. "xls"
    QString fileName;      // the file name the dialog starts with (may be empty)
};

// Shows the dialog and returns the chosen path, or an empty text when it was
// cancelled. A save dialog asks before an existing file is replaced and adds
// the default suffix to a name typed without one.
QString runFileDialog(QWidget *parent, const FileDialogRequest &request);

using FileDialogHook = std::function<QString(const FileDialogRequest &)>;
// Installs a hook that answers every dialog; an empty function removes it.
void setFileDialogHook(FileDialogHook hook);

} // namespace orvel
