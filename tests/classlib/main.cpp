#include "test_main.h"
#include "classlib/sysutils.h"

int main(int argc, char** argv)
{
    return RunTests(argc, argv, [] { InitSysUtils(); });
}
