#include "test_main.h"
#include "unicode/ucforms.h"

int main(int argc, char** argv)
{
    int result = RunTests(argc, argv, [] { InitUcProgram(); });
    DoneUcProgram();
    return result;
}
