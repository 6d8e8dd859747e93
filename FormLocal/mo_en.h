// The English texts.
#pragma once

// Assigns every text of LocaleStrings in English.
void FillEnglish();
// Registers English (primary language 9, ANSI character set).
void mo_enInitialization();
