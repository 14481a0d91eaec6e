#pragma once

// Qt's own texts (the buttons of message boxes, the file dialogs) in the
// interface language: simplified Chinese for language 1, English for 2,
// traditional Chinese for 3. Where Qt's translation files are not installed
// they stay English.
namespace QtTranslation
{

void use(int language);

} // namespace QtTranslation
