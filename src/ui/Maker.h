#pragma once
// The maker's addresses, shown as links in the main window's footer and the
// about window and written under the title of the loan payment schedule.
#include <QString>

namespace orvel {

inline constexpr char kMakerSiteUrl[] = "http://www.kestrin.example/";
inline constexpr char kMakerEmail[] = "orvel@kestrin.example";

// The web site as a full "http://" address.
inline QString makerSiteUrl() { return QString::fromLatin1(kMakerSiteUrl); }
// The bare e-mail address, as the link shows it.
inline QString makerEmail() { return QString::fromLatin1(kMakerEmail); }
// The "mailto:" address the e-mail link opens.
inline QString makerMailUrl() { return QStringLiteral("mailto:") + makerEmail(); }

} // namespace orvel
