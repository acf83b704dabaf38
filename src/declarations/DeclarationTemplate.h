#pragma once
// The declaration templates that ship in the program's shablon folder, and the
// fresh copy of one that a run fills.
#include <QString>

namespace orvel {

// programFolder() + "/shablon/" + fileName.
QString declarationTemplatePath(const QString &fileName);

// Puts a fresh copy of the template at target. A missing template fails with
// "Не найден шаблон декларации: <path>" before anything is written; an
// existing target is replaced (the save dialog asked about it already); a
// copy that cannot be made fails instead of leaving an old workbook to fill.
void copyDeclarationTemplate(const QString &templatePath, const QString &target);

} // namespace orvel
