// The process's Polish locale, set up once at start-up by VeldrixApp: the C
// library's locale, the program's catalogue "Veldrix" (looked up under "./langs")
// and the GUI library's own, which translates its stock buttons, dialogs and controls;
// and the yes/no texts of every property grid.
#pragma once

class wxLocale;

// Initialises `locale` for Polish with both catalogues; a catalogue that is missing
// leaves its texts as written. False, with `locale` untouched and a note on standard
// output, when the system has no Polish locale. Either way property grids show a
// yes/no value as "Tak" or "Nie".
bool SetUpPolishLocale(wxLocale& locale);
