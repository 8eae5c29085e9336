#include "test_main.h"
#include "msgrecorder.h"
#include "classlib/forms.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "unicode/ucsystem.h"

int main(int argc, char** argv)
{
    return RunTests(argc, argv, [] {
        InitSysUtils();
        InitUcSystem();
        InitSkinEngine();
        InitSkinGraphics();
        InitForms();
        InitSkinManager();
        TMsgRecorder::NameMessage(SM_SKINCMD, "SM_SKINCMD");
    });
}
