#pragma once

// Gives every open window the texts of the current language: window captions, labels, buttons, check
// boxes, group titles, menus and commands, tabs, list and grid headings, the items of fixed lists and
// hints. A text the program made in another language is found again by its source (SourceText); a
// text that is not one of the program's own (data, numbers, names) stays as it is. Views whose
// headings come from their models are asked to show them again.
void RetranslateOpenWindows();

// Makes RetranslateOpenWindows run whenever the language changes (InstallWidgetHooks does it).
void InstallRetranslation();
