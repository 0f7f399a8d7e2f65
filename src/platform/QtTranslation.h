#pragma once
// Qt's own texts (the buttons of message boxes, the file dialog) in
// Chinese, like every other text of the program, whatever the machine's
// locale. The translation is Qt's (Debian: qt6-translations-l10n).

namespace nbr {

// Installs Qt's zh_CN translation into the running application. False when
// the translation file is missing; Qt's texts then stay English.
bool installQtTranslation();

} // namespace nbr
