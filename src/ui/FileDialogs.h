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
    // Save: ask before an existing file is chosen. Off where saving adds to
    // the file rather than replacing it.
    bool confirmOverwrite = true;
    // Open: only a file that exists can be chosen. Off where a new name has
    // a meaning of its own.
    bool mustExist = true;
};

// Shows the dialog and returns the chosen path, or an empty text when it was
// cancelled. Both kinds add the default suffix to a name typed without one.
QString runFileDialog(QWidget *parent, const FileDialogRequest &request);

using FileDialogHook = std::function<QString(const FileDialogRequest &)>;
// Installs a hook that answers every dialog; an empty function removes it.
void setFileDialogHook(FileDialogHook hook);

} // namespace orvel
