#include "test_main.h"
#include "classlib/forms.h"
#include "classlib/sysutils.h"

int main(int argc, char** argv)
{
    int result = RunTests(argc, argv, [] {
        InitSysUtils();
        InitForms();
    });
    DoneForms();
    return result;
}
