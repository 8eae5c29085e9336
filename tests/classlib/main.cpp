#include "test_main.h"
#include "classlib/forms.h"
#include "classlib/menus.h"
#include "classlib/sysutils.h"

int main(int argc, char** argv)
{
    int result = RunTests(argc, argv, [] {
        InitSysUtils();
        InitForms();
        InitMenus();
    });
    DoneMenus();
    DoneForms();
    return result;
}
