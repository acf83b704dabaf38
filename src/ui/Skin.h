#pragma once
#include <QString>

namespace orvel {
// The skin manager: a named Qt style sheet (<name>.qss) in the skin folder,
// applied to the whole application when switched on. A missing file leaves
// the default look.
class SkinManager {
public:
    QString skinName = QStringLiteral("MacMetal");
    QString skinDirectory; // with the trailing separator
    void setActive(bool active);
    bool isActive() const { return m_active; }

private:
    bool m_active = false;
};
} // namespace orvel
