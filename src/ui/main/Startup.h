#pragma once
// The program's start-up sequence, shared by main() and the tests.
class TForm1;
class TForm2;
class Tnds;
class Tnull1;

namespace orvel {

struct OrvelWindows {
    TForm1 *form1 = nullptr;
    TForm2 *form2 = nullptr;
    Tnds *nds = nullptr;
    Tnull1 *null1 = nullptr;
};

// Needs a QApplication. Sets the application title "Orvel", prepares the
// floating-point unit, and creates the windows in order: the main window
// (which runs its creation handler), the about window, the VAT declaration
// window and the simplified declaration window. Only the main window is meant
// to be shown; the caller shows it.
OrvelWindows createOrvelWindows();

// Destroys the windows in the reverse order of their creation.
void destroyOrvelWindows(OrvelWindows &windows);

} // namespace orvel
