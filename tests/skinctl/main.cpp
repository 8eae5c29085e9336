#include "test_main.h"
#include "msgrecorder.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zlabel.h"
#include "skinctl/zlistview.h"
#include "unicode/ucforms.h"

int main(int argc, char** argv)
{
    const int result = RunTests(argc, argv, [] {
        InitUcProgram();
        InitSkinEngine();
        InitSkinGraphics();
        InitSkinManager();
        InitUcTreeView();
        InitSkinnedLabels();
        InitSkinnedLists();
        TMsgRecorder::NameMessage(SM_SKINCMD, "SM_SKINCMD");
    });
    DoneUcProgram();
    DoneSkinEngine();
    return result;
}
