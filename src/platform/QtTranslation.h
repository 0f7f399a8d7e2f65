#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in
// Chinese, like every other text of the program, whatever the machine's
// locale. The translation is Qt's (Debian: qt6-translations-l10n), with a
// few texts of our own that it lacks; the default locale is Chinese.

namespace nbr {

// Installs Qt's zh_CN translation and our supplement into the running
// application. False when Qt's file is missing; most of Qt's texts then stay
// English.
bool installQtTranslation();

} // namespace nbr
