// The main of each test program: the program's start-up routines, then doctest.
#pragma once

#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

template <class Init> int RunTests(int argc, char** argv, Init init)
{
    init();
    doctest::Context context;
    context.setOption("no-colors", true);
    context.applyCommandLine(argc, argv);
    return context.run();
}
