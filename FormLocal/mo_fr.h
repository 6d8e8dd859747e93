// The French texts.
#pragma once

// Assigns every text of LocaleStrings in French.
void FillFrench();
// Registers French (primary language 12, default character set).
void mo_frInitialization();
