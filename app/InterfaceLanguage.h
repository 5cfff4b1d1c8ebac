#pragma once

#include "app/CaptionTable.h"

#include <QString>

class QWidget;

namespace tw {

// The caption tables the program ships: English for "en", Chinese for "cn".
const CaptionTable& englishCaptions();
const CaptionTable& chineseCaptions();

// Applies an interface language to the wizard form. For "en" and "cn": every
// label, group box and check box of the form, in the order the form holds
// them, takes the table's value for its name (the empty text when the table
// has no such row), then the buttons take the language's captions. Any other
// code changes nothing.
void applyLanguage(QWidget& form, const QString& code);

// The language a user chose through TABLEWRIGHT_LANG ("en" or "cn"); empty
// when the variable is unset or holds anything else.
QString languageFromEnvironment();

} // namespace tw
