#include "test_main.h"
#include "classlib/forms.h"
#include "classlib/menus.h"
#include "unicode/uccontrols.h"
#include "unicode/ucsystem.h"

int main(int argc, char** argv)
{
    int result = RunTests(argc, argv, [] {
        InitSysUtils();
        InitUcSystem();
        InitForms();
        InitMenus();
        InitUcControls();
    });
    // The program's end, in the reverse order of the start-up.
    DoneUcControls();
    DoneMenus();
    DoneForms();
    return result;
}
